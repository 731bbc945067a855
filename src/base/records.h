// The band record and the channel record, described once: field positions
// and widths, the check that says whether a record can be used, the tone
// code a record may carry, and the frequency command built from a record's
// digits. Every reader and writer of a record uses these names. Positions
// count from 1, as midText takes them. Pure helpers; nothing here throws.
#pragma once

#include <string>
#include <string_view>

// --- the band record: 30 characters ---------------------------------------
//   1      split digit, "0" + splitState
//   2      mode digit (the mode numbers of named_values.h)
//   3      "A", then VFO A in Hz at 4..14
//   15     "B", then VFO B in Hz at 16..26
//   27..29 tone code (kNoTone = none)
//   30     preamp flag "0" or "1"
// "F" in front of the letter and its digits is the radio's frequency command.
constexpr int kBandRecordLength = 30;
constexpr int kBandSplitAt = 1;
constexpr int kBandModeAt = 2;
constexpr int kBandVfoAAt = 3;    // the letter "A"
constexpr int kBandVfoBAt = 15;   // the letter "B"
constexpr int kBandToneAt = 27;
constexpr int kBandPreampAt = 30;
constexpr int kFreqDigits = 11;   // Hz digits of a frequency field and of "FA"/"FB"
constexpr int kMHzDigits = 5;     // of those, the whole megahertz; the other six are the fraction
// A frequency command or answer: "FA" or "FB", the Hz digits from
// kFreqDigitsAt, then ";" in the answer.
constexpr int kFreqDigitsAt = 3;
constexpr int kFreqAnswerLength = kFreqDigitsAt - 1 + kFreqDigits;  // without the ";"
constexpr int kToneWidth = 3;

// --- the channel record: 32 characters ------------------------------------
//   1      split flag "0" or "1"
//   2      mode digit
//   3..4   band number, two digits ("99" outside every band)
//   5..32  characters 3..30 of the band record
constexpr int kChannelLength = 32;
constexpr int kChannelSplitAt = 1, kChannelModeAt = 2;
constexpr int kChannelBandAt = 3, kChannelBandWidth = 2;
constexpr int kChannelShift = 2;  // a band-record field from character 3 on sits this much further on
constexpr int kChannelVfoAAt = kBandVfoAAt + kChannelShift;
constexpr int kChannelVfoBAt = kBandVfoBAt + kChannelShift;
constexpr int kChannelToneAt = kBandToneAt + kChannelShift;
constexpr int kChannelPreampAt = kBandPreampAt + kChannelShift;

// The memory channels: 10 banks of 10, channel bank * 10 + slot.
constexpr int kChannelBanks = 10;
constexpr int kChannelsPerBank = 10;
constexpr int kChannelCount = kChannelBanks * kChannelsPerBank;
constexpr int channelIndex(int bank, int slot) { return bank * kChannelsPerBank + slot; }

constexpr const char* kEmptyChannel = "9";  // a slot holding nothing; no record begins with "9"
constexpr const char* kNoTone = "999";      // tone field and toneCode with no tone

// The highest CTCSS tone number the tone entry takes (00 to 42); the radio
// has no "CN" form for it. Records may carry higher numbers.
constexpr int kHighestToneNumber = 42;

// True for a band record the program can send and keep: 30 characters,
// split digit, a mode digit that is a mode number (isModeNumber), "A" and 11
// digits, "B" and 11 digits, three tone digits and a preamp digit.
bool bandRecordUsable(std::string_view record);
// True for a stored channel: 32 characters, split "0"/"1", a mode number,
// band "01".."14" or "99", then characters 3..30 of a usable band record.
bool isChannelRecord(std::string_view record);
// A channel that G and U can put into the radio: a channel record whose
// band is 1..14.
bool isRecallableChannel(std::string_view record);
// An empty slot: "9" (or any text starting with "9", or no text at all).
bool isEmptyChannel(std::string_view record);
// The band number a channel record carries (0 when unreadable).
int channelBandOf(std::string_view record);
// The channel record for a store: split flag, mode digit, two-digit band,
// then the band record from its third character.
std::string buildChannelRecord(int splitState, int mode, int band, std::string_view bandRecord);
// The band record a channel was made from: its split and mode characters,
// then its characters 5..32.
std::string bandRecordOfChannel(std::string_view channel);

// True for a tone code that stands for a tone: "0" followed by the two
// digits of the tone number, as the tone entry commits it and the band and
// channel records keep it. Anything else (kNoTone, digits still being typed)
// is no tone. The one rule for every store, recall and restore of a tone.
bool isCommittedTone(std::string_view code);
// The tone number's two digits: the last two characters of a tone code ("12"
// from "012", "99" from kNoTone; digits being typed show as typed, "1" from
// "1"). Every readout, status field and tone command cuts the number here.
std::string toneNumberText(std::string_view code);

// The 11 Hz digits of the frequency field whose letter stands at letterAt
// (kBandVfoAAt, kChannelVfoBAt, ...): as text (what there is of them), and
// as a number (0 when they are not 11 digits).
std::string recordDigits(std::string_view record, int letterAt);
long long recordHz(std::string_view record, int letterAt);
// The Hz digits of a frequency command or answer ("FA00007100000;"): what
// there is of them.
std::string frequencyDigitsOf(std::string_view text);
// 11 Hz digits as megahertz with six decimals, "ddddd.dddddd", zeros kept:
// the one place the digits are cut at the point.
std::string mhzText(std::string_view hzDigits);
// mhzText with its leading zeros removed, as the operator reads it:
// "14.074000", ".500000".
std::string displayFrequency(std::string_view hzDigits);
// "FA" or "FB" followed by hz as exactly 11 digits with leading zeros: the
// only place a frequency command is formed. A value outside the field's
// range never widens or breaks the command (negative gives zeros).
std::string frequencyCommand(std::string_view vfo, long long hz);
// record with the characters from position at on replaced by value (the
// record's length is kept when it reaches that far; a shorter record is
// returned unchanged).
std::string withField(std::string_view record, int at, std::string_view value);
