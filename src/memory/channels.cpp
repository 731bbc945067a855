// Memory channels: the channel store, recall and step commands with the
// 32-character channel record.
#include "memory/channels.h"

#include <string>

#include "base/records.h"
#include "base/text.h"
#include "link/exchange.h"
#include "memory/memory_file.h"
#include "memory/memory_state.h"
#include "radio/band_table.h"
#include "radio/mode_filter.h"
#include "radio/radio_state.h"
#include "radio/toggles.h"
#include "radio/vfo_split.h"
#include "speech/prompts.h"
#include "speech/readouts.h"

namespace {

bool channelIndexValid(int index) { return index >= 0 && index < kChannelCount; }

}  // namespace

void chooseChannelBank(int bank) {
    memoryState.channelBank = bank;
    speakDigits(plainNumber(bank));
    playPrompt("channel");
}

void storeChannel(int slot) {
    auto& R = radioState;
    auto& M = memoryState;
    M.channelAction = 0;
    const int index = channelIndex(M.channelBank, slot);
    // Outside every band there is no band record to copy; a store there
    // would give a channel that can never be recalled.
    std::string record;
    if (bandHasRecord(R.band)) record = buildChannelRecord(R.splitState, R.mode, R.band, R.bandTable[R.band]);
    speakDigits(plainNumber(slot));
    if (!channelIndexValid(index) || !isChannelRecord(record)) {
        playPrompt("invalid");
        return;
    }
    const std::string previous = M.memoryChannels[index];
    M.memoryChannels[index] = record;
    writeMemoryFile();
    if (M.saveFailed) {
        // "invalid" means nothing changed: a channel kept only in memory
        // would be lost at the end of the run without another word.
        M.memoryChannels[index] = previous;
        playPrompt("invalid");
        return;
    }
    playPrompt("ok");
}

void recallChannel(int slot) {
    auto& R = radioState;
    auto& M = memoryState;
    M.channelAction = 0;
    M.recalledBank = M.channelBank;
    M.recalledSlot = slot;
    const int index = channelIndex(M.channelBank, slot);
    const std::string record = channelIndexValid(index) ? M.memoryChannels[index] : std::string(kEmptyChannel);
    const std::string oldTone = R.toneCode;

    speakDigits(plainNumber(slot));
    // Empty, damaged, or stored outside every band (no band record to rebuild).
    if (!isRecallableChannel(record)) {
        playPrompt("invalid");
        M.recalledBank = kNoRecall;
        return;
    }
    R.quietTicks = 0;

    const std::string splitFlag = midText(record, kChannelSplitAt, 1);
    if (R.splitState > 0 && splitFlag == "0") {
        playPrompt("split");
        playPrompt("off");
    }
    R.splitState = 0;

    R.band = channelBandOf(record);
    putText(R.bandTable[R.band], bandRecordOfChannel(record));

    R.mode = textInt(midText(record, kChannelModeAt, 1));
    setMode(true);

    sendText(frequencyCommand("FA", recordHz(record, kChannelVfoAAt)));
    speakFrequency(frequencyField(false), false);
    speakMode(R.mode);

    const std::string tone = midText(record, kChannelToneAt, kToneWidth);
    R.toneCode = isCommittedTone(tone) ? tone : kNoTone;
    R.toneDigitsTyped = 0;
    if (oldTone != kNoTone && R.toneCode == kNoTone) {
        playPrompt("ctcss");
        playPrompt("off");
    }
    if (R.mode == kModeFmNarrow && R.toneCode != kNoTone) {
        sendToneOn(R.toneCode);
        playPrompt("ctcss");
        speakDigits(toneNumberText(R.toneCode));
        R.ctcssOn = 1;
    } else {
        R.ctcssOn = 0;
        R.toneCode = kNoTone;
        if (!reducedFeatureRadio()) sendText("CT0");
    }

    takeSplitDigit(textInt(splitFlag));
    if (R.splitState == 1) {
        sendText(frequencyCommand("FB", recordHz(record, kChannelVfoBAt)));
        sendText("FT1");
    } else {
        sendText("RX0");
    }

    setPreamp(midText(record, kChannelPreampAt, 1) == "1", true);
}

void channelStep() {
    auto& M = memoryState;
    if (M.recalledBank < 0 || M.recalledBank >= kChannelBanks) return;
    const int bank = M.recalledBank;
    int slot = ((M.recalledSlot % kChannelsPerBank) + kChannelsPerBank) % kChannelsPerBank;
    // At most one round of the bank: it holds at least the channel last recalled.
    for (int i = 0; i < kChannelsPerBank; ++i) {
        slot = (slot + 1) % kChannelsPerBank;
        if (isRecallableChannel(M.memoryChannels[channelIndex(bank, slot)])) break;
    }
    M.recalledSlot = slot;
    M.channelBank = bank;
    playPrompt("channel");
    recallChannel(slot);
}

void cancelChannelCommand() {
    memoryState.channelAction = 0;
    memoryState.channelBank = 0;
}
