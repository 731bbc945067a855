// Memory channels and the state of the channel store and recall commands.
#pragma once

#include <string>

#include "base/records.h"

constexpr int kNoRecall = 99;  // recalledBank when no channel was recalled (U does nothing)
constexpr int kBankDigitNext = -1;  // channelBank while the next digit is the bank number

struct MemoryState {
    int channelBank = 0;             // bank of the channel command, kBankDigitNext = bank digit expected
    int channelAction = 0;           // 1 store pending, 2 recall pending
    int recalledBank = kNoRecall;    // bank of the last recalled channel
    int recalledSlot = 0;            // slot of the last recalled channel
    std::string memoryChannels[kChannelCount]; // channel records by channelIndex; "9" = empty
    int saveFailed = 0;              // 1 = the last save did not reach the disk (writeMemoryFile)
    int saveRefused = 0;             // 1 = savmem.dat holds something unreadable that could not be
                                     //     kept elsewhere; saves leave it alone for this run (load)

    MemoryState() {
        for (auto& c : memoryChannels) c = "9";
    }
};

extern MemoryState memoryState;
