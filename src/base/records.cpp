// The band and channel records: their one check each, the tone rule, and the
// frequency texts built from a record's digits.
#include "base/records.h"

#include "base/named_values.h"
#include "base/text.h"

namespace {

bool digitsAt(std::string_view text, int start, int width) {
    const std::string field = midText(text, start, width);
    return static_cast<int>(field.size()) == width && allDigits(field);
}

bool modeDigitAt(std::string_view text, int position) {
    const std::string c = midText(text, position, 1);
    return c.size() == 1 && allDigits(c) && isModeNumber(c[0] - '0');
}

// Characters 3..30 of a band record, found from position start on ("A",
// VFO A, "B", VFO B, tone and preamp digits).
bool bandRecordTailAt(std::string_view text, int start) {
    const int shift = start - kBandVfoAAt;
    return midText(text, kBandVfoAAt + shift, 1) == "A" && digitsAt(text, kBandVfoAAt + shift + 1, kFreqDigits) &&
           midText(text, kBandVfoBAt + shift, 1) == "B" && digitsAt(text, kBandVfoBAt + shift + 1, kFreqDigits) &&
           digitsAt(text, kBandToneAt + shift, kToneWidth) && digitsAt(text, kBandPreampAt + shift, 1);
}

}  // namespace

bool bandRecordUsable(std::string_view record) {
    return static_cast<int>(record.size()) == kBandRecordLength && digitsAt(record, kBandSplitAt, 1) &&
           modeDigitAt(record, kBandModeAt) && bandRecordTailAt(record, kBandVfoAAt);
}

bool isChannelRecord(std::string_view record) {
    if (static_cast<int>(record.size()) != kChannelLength) return false;
    const std::string split = midText(record, kChannelSplitAt, 1);
    if (split != "0" && split != "1") return false;
    if (!modeDigitAt(record, kChannelModeAt) || !digitsAt(record, kChannelBandAt, kChannelBandWidth)) return false;
    const int band = channelBandOf(record);
    if (!(bandHasRecord(band) || band == kNoBand)) return false;
    return bandRecordTailAt(record, kChannelVfoAAt);
}

bool isRecallableChannel(std::string_view record) {
    if (!isChannelRecord(record)) return false;
    return bandHasRecord(channelBandOf(record));
}

bool isEmptyChannel(std::string_view record) { return record.empty() || record[0] == kEmptyChannel[0]; }

int channelBandOf(std::string_view record) { return textInt(midText(record, kChannelBandAt, kChannelBandWidth)); }

std::string buildChannelRecord(int splitState, int mode, int band, std::string_view bandRecord) {
    std::string record = splitState != 0 ? "1" : "0";
    record += zeroPad(mode, 1);
    record += zeroPad(band, kChannelBandWidth);
    record += midText(bandRecord, kBandVfoAAt);
    capText(record);
    return record;
}

std::string bandRecordOfChannel(std::string_view channel) {
    return midText(channel, kChannelSplitAt, 2) + midText(channel, kChannelVfoAAt);
}

bool isCommittedTone(std::string_view code) {
    return static_cast<int>(code.size()) == kToneWidth && allDigits(code) && code[0] == '0';
}

std::string toneNumberText(std::string_view code) { return rightText(code, 2); }

std::string recordDigits(std::string_view record, int letterAt) {
    return midText(record, letterAt + 1, kFreqDigits);
}

long long recordHz(std::string_view record, int letterAt) {
    const std::string digits = recordDigits(record, letterAt);
    if (static_cast<int>(digits.size()) != kFreqDigits || !allDigits(digits)) return 0;
    long long hz = 0;
    for (char c : digits) hz = hz * 10 + (c - '0');
    return hz;
}

std::string frequencyDigitsOf(std::string_view text) { return midText(text, kFreqDigitsAt, kFreqDigits); }

std::string mhzText(std::string_view hzDigits) {
    return leftText(hzDigits, kMHzDigits) + "." + midText(hzDigits, kMHzDigits + 1);
}

std::string displayFrequency(std::string_view hzDigits) {
    const std::string text = mhzText(hzDigits);
    return text.substr(text.find_first_not_of('0'));  // never npos: the point is always there
}

std::string frequencyCommand(std::string_view vfo, long long hz) {
    if (hz < 0) hz = 0;
    return std::string(vfo) + zeroPad(hz, kFreqDigits);
}

std::string withField(std::string_view record, int at, std::string_view value) {
    if (at < 1 || static_cast<int>(record.size()) < at - 1) return std::string(record);
    std::string updated = leftText(record, at - 1);
    updated += value;
    updated += midText(record, at + static_cast<int>(value.size()));
    capText(updated);
    return updated;
}
