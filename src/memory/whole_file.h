// Files written whole, so that an interrupted save never leaves half a file:
// the memory file, its report, and the configuration the radio search
// rewrites.
#pragma once

#include <string>
#include <string_view>
#include <vector>

// Writes text and CR LF to the open file handle; false when the write fails.
bool writeLine(int handle, std::string_view text);
// Deletes path, then writes lines to it, each ending in CR LF, and pushes
// them to the disk. True when the whole file got there; otherwise writing
// stops at the first failure and nothing is left at path.
bool writeLinesFile(const char* path, const std::vector<std::string>& lines);
// Renames the complete file newPath to path. With keptPath the old path
// first moves aside to keptPath, and back should the new one not move in;
// with nullptr the new file replaces path directly. False, with newPath
// deleted and path as it was, when a rename fails.
bool moveIntoPlace(const char* newPath, const char* path, const char* keptPath);
