// VFO, split and tones: the working frequency's limits and zeroFrequency.
#include "radio/vfo_split.h"

#include "cat/exchange.h"
#include "shell/program_state.h"
#include "shell/records.h"
#include "shell/text.h"
#include "speech/prompts.h"

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
