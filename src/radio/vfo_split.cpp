// VFO, split and tones: the working frequency's limits, zeroFrequency, and
// the tone commands in each radio's form.
#include "radio/vfo_split.h"

#include "cat/exchange.h"
#include "shell/program_state.h"
#include "shell/records.h"
#include "shell/text.h"
#include "speech/prompts.h"

namespace {

// The TS-990S has a main and a sub receiver: its tone commands name the VFO
// ("TN0" + number), and it refuses the two-digit form every other model takes.
constexpr int kVfoDigitToneModel = 22;

}  // namespace

void moveFrequency(long long hz) {
    auto& R = radioState;
    if (hz < kLowestFreqHz) {
        R.freqHz = static_cast<int>(kLowestFreqHz);
        playPrompt("min");
    } else if (hz > kHighestFreqHz) {
        R.freqHz = static_cast<int>(kHighestFreqHz);
        playPrompt("max");
    } else {
        R.freqHz = static_cast<int>(hz);
    }
}

void sendWorkingFrequency() {
    sendText(frequencyCommand("FA", radioState.freqHz));
}

void zeroFrequency() {
    auto& R = radioState;
    const long long old = R.freqHz;
    // Floor to a whole kilohertz (also for a value held at the bottom).
    long long hz = old - (old % 1000 + 1000) % 1000;
    const long long remainder = old - hz;
    // It always moves: a frequency already on a whole kilohertz steps one
    // kilohertz, up in USB and down elsewhere.
    if (remainder == 0) hz += R.mode == kModeUsb ? 1000 : -1000;
    else if (R.mode == kModeUsb) hz += 1000;
    moveFrequency(hz);
    sendWorkingFrequency();
}

std::string committedToneCode() {
    const auto& R = radioState;
    return R.toneDigitsTyped == 0 && isCommittedTone(R.toneCode) ? R.toneCode : std::string(kNoTone);
}

std::vector<std::string> toneOnCommands(std::string_view toneCode, int rigModel) {
    if (!isCommittedTone(toneCode) || rigModel == kReducedModel) return {};
    const std::string number = toneNumberText(toneCode);
    const std::string field = rigModel == kVfoDigitToneModel ? "0" + number : number;
    std::vector<std::string> commands{"TN" + field};
    if (textInt(number) < kHighestToneNumber) commands.push_back("CN" + field);
    commands.push_back("CT1");
    return commands;
}

void sendToneOn(std::string_view toneCode) {
    for (const std::string& command : toneOnCommands(toneCode, catState.rigModel)) sendText(command);
}
