// VFO, split and tones: the working frequency's limits, zeroFrequency,
// split on and off, and the tone commands in each radio's form.
#include "radio/vfo_split.h"

#include "base/records.h"
#include "base/text.h"
#include "link/cat_state.h"
#include "link/exchange.h"
#include "radio/radio_state.h"
#include "speech/prompts.h"

void moveFrequency(long long hz, bool spoken) {
    auto& R = radioState;
    if (hz < kLowestFreqHz) {
        R.freqHz = static_cast<int>(kLowestFreqHz);
        if (spoken) playPrompt("min");
    } else if (hz > kHighestFreqHz) {
        R.freqHz = static_cast<int>(kHighestFreqHz);
        if (spoken) playPrompt("max");
    } else {
        R.freqHz = static_cast<int>(hz);
    }
}

void sendWorkingFrequency() {
    // While split the operator listens on VFO B.
    const auto& R = radioState;
    sendText(frequencyCommand(listeningVfo(), R.freqHz));
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
    moveFrequency(hz, true);
    sendWorkingFrequency();
}

std::string committedToneCode() {
    const auto& R = radioState;
    return R.toneDigitsTyped == 0 && isCommittedTone(R.toneCode) ? R.toneCode : std::string(kNoTone);
}

bool splitKey(bool spoken) {
    const auto& C = catState;
    auto& R = radioState;
    if (!bandHasRecord(R.band)) {
        if (spoken) {
            playPrompt("split");
            playPrompt("invalid");
        }
        return false;
    }
    R.splitState = R.splitState == 0 ? 1 : 0;
    if (R.splitState == 1) {
        // The V key's split is announced with the next frequency answer; a
        // network client's is not announced at all.
        R.splitAnnounced = spoken ? 0 : 1;
        sendText(reducedFeatureRadio() ? "FT2" : "FT1");
        return true;
    }
    R.splitAnnounced = 0;
    if (reducedFeatureRadio()) sendText("FT0");
    sendText("RX0");
    std::string& record = R.bandTable[R.band];
    const std::string vfoA = frequencyCommand("FA", recordHz(record, kBandVfoAAt));
    if (C.bridgeUsed == 0) {
        // Only a committed code belongs in the record: typed digits are no
        // tone, and a half-typed number would shift the preamp flag.
        putText(record, withField(record, kBandToneAt, committedToneCode()));
    }
    sendText(vfoA);
    if (spoken) {
        playPrompt("split");
        playPrompt("off");
    }
    return false;
}

std::vector<std::string> toneOnCommands(std::string_view toneCode, int rigModel) {
    const ToneForm form = modelRow(rigModel).toneForm;
    if (!isCommittedTone(toneCode) || form == kToneNone) return {};
    const std::string number = toneNumberText(toneCode);
    const std::string field = form == kToneVfoTwoDigits ? "0" + number : number;
    std::vector<std::string> commands{"TN" + field};
    if (textInt(number) < kHighestToneNumber) commands.push_back("CN" + field);
    commands.push_back("CT1");
    return commands;
}

void sendToneOn(std::string_view toneCode) {
    for (const std::string& command : toneOnCommands(toneCode, radioState.rigModel)) sendText(command);
}
