// Memory channels: the digit-key router, and the channel store, recall and
// step commands with the 32-character channel record.
#include "memory/channels.h"

#include "cat/exchange.h"
#include "keys/frequency_entry.h"
#include "keys/menu.h"
#include "keys/transmit_keys.h"
#include "memory/memory_file.h"
#include "radio/band_table.h"
#include "radio/mode_filter.h"
#include "radio/toggles.h"
#include "shell/program_state.h"
#include "shell/text.h"
#include "speech/prompts.h"
#include "speech/readouts.h"

namespace {

// Channel record fields (1-based positions, widths).
constexpr int kSplitAt = 1;
constexpr int kModeAt = 2;
constexpr int kBandAt = 3, kBandWidth = 2;
constexpr int kBandRecordFrom = 5;  // characters 5..32 are band-record characters 3..30
constexpr int kVfoAAt = 6, kVfoBAt = 18, kHzWidth = 11;
constexpr int kToneAt = 29, kToneWidth = 3;
constexpr int kPreampAt = 32;
constexpr int kChannelLength = 32;
constexpr int kBandRecordLength = 30;
constexpr int kNoBand = 99;

bool digitsAt(std::string_view text, int start, int width) {
    const std::string field = midText(text, start, width);
    return static_cast<int>(field.size()) == width && allDigits(field);
}

bool modeDigitAt(std::string_view text, int position) {
    const std::string c = midText(text, position, 1);
    return c.size() == 1 && c[0] >= '1' && c[0] <= '7';
}

// Characters 3..30 of a band record (characters 5..32 of a channel) from start.
bool bandRecordTailAt(std::string_view text, int start) {
    return midText(text, start, 1) == "A" && digitsAt(text, start + 1, kHzWidth) &&
           midText(text, start + 12, 1) == "B" && digitsAt(text, start + 13, kHzWidth) &&
           digitsAt(text, start + 24, kToneWidth + 1);
}

int channelBandOf(std::string_view record) { return textInt(midText(record, kBandAt, kBandWidth)); }

void speakDigit(int d) { playPrompt(std::string(1, static_cast<char>('0' + d))); }

// Row 4 of the router: store the current band's settings in slot d.
void storeChannel(int d) {
    auto& R = radioState;
    auto& M = memoryState;
    M.channelAction = 0;
    const int index = M.channelBank * 10 + d;
    // Outside every band there is no band record to copy; a store there
    // would give a channel that can never be recalled.
    std::string record;
    if (R.band >= 1 && R.band <= 14)
        record = buildChannelRecord(R.splitState, R.mode, R.band, R.bandTable[R.band]);
    if (index < 0 || index > 99 || !isChannelRecord(record)) {
        speakDigit(d);
        playPrompt("invalid");
        return;
    }
    M.memoryChannels[index] = record;
    writeMemoryFile();
    speakDigit(d);
    playPrompt(M.saveFailed ? "invalid" : "ok");
}

// Row 5 of the router: put the channel in slot d into the radio.
void recallChannel(int d) {
    auto& R = radioState;
    auto& M = memoryState;
    M.channelAction = 0;
    M.recalledBank = M.channelBank;
    M.recalledSlot = d;
    const int index = M.channelBank * 10 + d;
    const std::string record = index >= 0 && index <= 99 ? M.memoryChannels[index] : std::string("9");
    const std::string oldTone = R.toneCode;

    speakDigit(d);
    // Empty, damaged, or stored outside every band (no band record to rebuild).
    if (!isRecallableChannel(record)) {
        playPrompt("invalid");
        M.recalledBank = kNoBand;
        return;
    }
    R.quietTicks = 0;

    const std::string splitFlag = midText(record, kSplitAt, 1);
    if (R.splitState > 0 && splitFlag == "0") {
        playPrompt("split");
        playPrompt("off");
    }
    R.splitState = 0;

    R.band = channelBandOf(record);
    putText(R.bandTable[R.band], midText(record, 1, 2) + midText(record, kBandRecordFrom));

    R.mode = textInt(midText(record, kModeAt, 1));
    setMode();

    const std::string vfoA = midText(record, kVfoAAt, kHzWidth);
    R.freqDisplayText = channelDisplayFrequency(vfoA);
    sendText("FA" + vfoA);
    speakFrequency();
    speakMode();

    R.toneCode = midText(record, kToneAt, kToneWidth);
    if (oldTone != "999" && R.toneCode == "999") {
        playPrompt("ctcss");
        playPrompt("off");
    }
    if (R.mode == 5 && R.toneCode != "999") {
        sendText("CN" + rightText(R.toneCode, 2));
        sendText("CT1");
        playPrompt("ctcss");
        playPrompt(midText(R.toneCode, 2, 1));
        playPrompt(midText(R.toneCode, 3, 1));
        R.ctcssOn = 1;
    } else {
        R.ctcssOn = 0;
        R.toneCode = "999";
        sendText("CT0");
    }

    R.splitState = textInt(splitFlag);
    if (R.splitState == 1) {
        sendText("FB" + midText(record, kVfoBAt, kHzWidth));
        sendText("FT1");
    } else {
        sendText("RX0");
    }

    // The toggle flips preampOn, so start from the opposite of the wanted state.
    R.preampOn = midText(record, kPreampAt, 1) == "1" ? 0 : 1;
    togglePreamp();
}

}  // namespace

// ---------------------------------------------------------------------------
// [SECTION] Record helpers
// ---------------------------------------------------------------------------

bool isBandRecord(std::string_view record) {
    return static_cast<int>(record.size()) == kBandRecordLength && digitsAt(record, 1, 1) &&
           modeDigitAt(record, 2) && bandRecordTailAt(record, 3);
}

bool isChannelRecord(std::string_view record) {
    if (static_cast<int>(record.size()) != kChannelLength) return false;
    const std::string split = midText(record, kSplitAt, 1);
    if (split != "0" && split != "1") return false;
    if (!modeDigitAt(record, kModeAt) || !digitsAt(record, kBandAt, kBandWidth)) return false;
    const int band = channelBandOf(record);
    if (!((band >= 1 && band <= 14) || band == kNoBand)) return false;
    return bandRecordTailAt(record, kBandRecordFrom);
}

bool isRecallableChannel(std::string_view record) {
    if (!isChannelRecord(record)) return false;
    const int band = channelBandOf(record);
    return band >= 1 && band <= 14;
}

bool isEmptyChannel(std::string_view record) { return record.empty() || record[0] == '9'; }

std::string buildChannelRecord(int splitState, int mode, int band, std::string_view bandRecord) {
    std::string record = splitState != 0 ? "1" : "0";
    record += zeroPad(mode, 1);
    record += zeroPad(band, kBandWidth);
    record += midText(bandRecord, 3);
    capText(record);
    return record;
}

std::string channelDisplayFrequency(std::string_view hzDigits) {
    std::string text = leftText(hzDigits, 5) + "." + rightText(hzDigits, 6);
    const std::size_t first = text.find_first_not_of('0');
    return first == std::string::npos ? std::string() : midText(text, static_cast<int>(first) + 1);
}

// ---------------------------------------------------------------------------
// [SECTION] Keys
// ---------------------------------------------------------------------------

void onDigitKey() {
    auto& K = keysState;
    auto& R = radioState;
    auto& M = memoryState;
    if (K.keyCode < '0' || K.keyCode > '9') return;
    if (K.adjustTarget == 0 && K.entryActive == 0 && M.channelAction == 0 && R.ctcssOn == 0) return;
    catState.cmdText.clear();
    const int d = K.keyCode - '0';

    if (M.channelBank == -1) {
        M.channelBank = d;
        speakDigit(d);
        playPrompt("channel");
    } else if (K.adjustTarget == 8 || K.adjustTarget == 9) {
        menuDigit();
    } else if (M.channelAction == 1) {
        storeChannel(d);
    } else if (M.channelAction == 2) {
        recallChannel(d);
    } else if (K.adjustTarget == 0 && K.entryActive > 0) {
        frequencyEntryDigit();
    } else if (K.adjustTarget == 1) {
        R.band = d == 0 ? 10 : d;
        recallBand();
    } else if (R.ctcssOn == 1) {
        toneDigit();
    }
}

void channelStep() {
    auto& K = keysState;
    auto& M = memoryState;
    if (M.recalledBank < 0 || M.recalledBank > 9) return;
    const int bank = M.recalledBank;
    int slot = ((M.recalledSlot % 10) + 10) % 10;
    // At most one round of the bank: it holds at least the channel last recalled.
    for (int i = 0; i < 10; ++i) {
        slot = (slot + 1) % 10;
        if (isRecallableChannel(M.memoryChannels[bank * 10 + slot])) break;
    }
    M.recalledSlot = slot;
    M.channelBank = bank;
    K.keyCode = '0' + slot;
    playPrompt("channel");
    M.channelAction = 2;
    onDigitKey();
}

void cancelChannelCommand() {
    memoryState.channelAction = 0;
    memoryState.channelBank = 0;
}
