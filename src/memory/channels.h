// Memory channels: the digit-key router, channel store, recall and step.
#pragma once

#include <string>
#include <string_view>

// Every digit key (keyCode '0'..'9'), when something is pending: the bank
// digit, menu digits, channel store or recall, typed frequency, band number
// (adjustTarget 1: 1..9 bands 1..9, 0 band 10, then recallBand), CTCSS tone.
// Clears cmdText first. Speaks, sends and changes state through the branch
// that takes the digit.
void onDigitKey();
// U: with a recalled channel (recalledBank 0..9) recalls the next usable
// channel of that bank, wrapping past slot 9; speaks "channel" first.
// Does nothing when no channel was recalled.
void channelStep();
// Any key but a digit and B while a channel command is pending:
// channelAction = 0, channelBank = 0. Speaks nothing.
void cancelChannelCommand();

// --- record helpers (pure) ---

// True for a 30-character band record: split digit, mode digit 1..7, "A",
// 11 digits, "B", 11 digits, 3 tone digits, preamp digit.
bool isBandRecord(std::string_view record);
// True for a 32-character stored channel: split "0"/"1", mode digit 1..7,
// band "01".."14" or "99", then the 28 characters of a band record from its
// third on.
bool isChannelRecord(std::string_view record);
// A channel that U and G can use: a channel record whose band is 1..14.
bool isRecallableChannel(std::string_view record);
// An empty slot: "9" (or any text starting with "9", or no text at all).
bool isEmptyChannel(std::string_view record);
// The channel record for a store: split flag, mode digit, two-digit band,
// then the band record from its third character.
std::string buildChannelRecord(int splitState, int mode, int band, std::string_view bandRecord);
// The frequency as displayed from 11 Hz digits: 5 digits, ".", 6 digits,
// leading zeros removed ("00007100000" gives "7.100000").
std::string channelDisplayFrequency(std::string_view hzDigits);
