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
// it when missing. An unrecognised file, or one with damaged or missing
// records, is kept whole under the first free name savmem.bad,
// savmem1.bad .. savmem9.bad and replaced; records that fail their checks
// keep the value the table held. When it cannot be kept (no free name, or
// the directory cannot be written) it is left untouched and every save of
// this run is refused (saveRefused). Gives up after a few tries with the
// tables as they are. Speaks "invalid" once when it works without the file.
void loadMemoryFile();

// Line 1 of the file for the current band and version text.
std::string memoryFileHeader();
