// Memory channels and the state of the channel store and recall commands.
#pragma once

#include <string>

struct MemoryState {
    int channelBank = 0;             // bank of the channel command, -1 = bank digit expected
    int channelAction = 0;           // 1 store pending, 2 recall pending
    int recalledBank = 99;           // bank of the last recalled channel, 99 = none
    int recalledSlot = 0;            // slot of the last recalled channel
    std::string memoryChannels[100]; // channel records, bank * 10 + slot; "9" = empty
    int saveFailed = 0;              // 1 = the last save did not reach the disk (writeMemoryFile)
    int saveRefused = 0;             // 1 = savmem.dat holds something unreadable that could not be
                                     //     kept elsewhere; saves leave it alone for this run (load)

    MemoryState() {
        for (auto& c : memoryChannels) c = "9";
    }
};

extern MemoryState memoryState;
