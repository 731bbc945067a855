// The memory file savmem.dat: load at start, save at quit and on channel store.
#pragma once

#include <string>

// Writes band, the 14 band records and the 100 channels to savmem.dat
// (through savemem.dat, synced and renamed over it, so an interrupted save
// leaves the old file whole), then, when it got there, writes memory.txt.
// Sets saveFailed.
// Speaks nothing; the tables in memory are never changed.
void writeMemoryFile();
// writeMemoryFile, then speaks "invalid" when the file did not reach the disk.
void saveMemoryFile();
// Fills band, bandTable[1..14] and memoryChannels from savmem.dat, creating
// it when missing and replacing it (after keeping a copy as savmem.bad) when
// unrecognised. Records that fail their checks keep the value the table
// held. Gives up after a few tries with the tables as they are and speaks
// "invalid" once.
void loadMemoryFile();

// Line 1 of the file for the current band and version text.
std::string memoryFileHeader();
