// VFO, split and tones: the working frequency's limits and the zero key
// outside CW. Frequency commands are built by frequencyCommand
// (shell/records.h).
#pragma once

#include <string>
#include <string_view>
#include <vector>

// Lowest and highest working frequency the tuning steps and the zero key
// reach. Below 0 Hz the 11-digit field has no meaning; the top is the range
// of freqHz itself.
constexpr long long kLowestFreqHz = 0;
constexpr long long kHighestFreqHz = 2147483647;

// Sets freqHz to hz, held within kLowestFreqHz..kHighestFreqHz; speaks "min"
// or "max" when it had to be held and spoken. Sends nothing.
void moveFrequency(long long hz, bool spoken);

// Sends freqHz to VFO A, or to VFO B while split is on.
void sendWorkingFrequency();

// Moves freqHz to a whole kilohertz (up in USB, down in the other modes,
// always by some amount) and sends it. The zero key in every mode but CW.
void zeroFrequency();

// The tone code the band record keeps: toneCode when it is a committed code
// (isCommittedTone) and no digit has been typed into it since, else kNoTone.
// Typed digits ("043" before Enter) never reached the radio. The one answer
// for the band store, the split key and a refused tone entry.
std::string committedToneCode();
// Split, for the V key and a network client: on ("FT1", "FT2" on the
// reduced radio; when spoken, announced with the next frequency answer,
// otherwise marked as announced) or off ("RX0", VFO A from the band record,
// "split" "off" when spoken). Outside every band: "split" "invalid" when
// spoken, nothing else. True when split is now on: the caller then sends
// the working frequency to VFO B; off, VFO A has its frequency already.
bool splitKey(bool spoken);

// The commands that switch the radio's CTCSS tone on at toneCode, in the
// tone form of rigModel's row: "TN" and "CN" with the two-digit tone number,
// or with the VFO digit "0" in front; no "CN" from the highest tone number
// on, which has none; then "CT1". None for a code that is no committed tone
// (isCommittedTone) and none for a model without tone commands. The one
// place a tone command is formed.
std::vector<std::string> toneOnCommands(std::string_view toneCode, int rigModel);
// Sends toneOnCommands(toneCode) for the connected model. Changes no state.
void sendToneOn(std::string_view toneCode);
