// The memory file savmem.dat: load at start, save at quit and on channel store.
#pragma once

void saveMemoryFile();
void loadMemoryFile();
