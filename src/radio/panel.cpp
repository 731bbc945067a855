// The radio's state on the window: what the frequency display and the status
// row are given to draw.
#include "radio/panel.h"

#include <string>

#include "base/records.h"
#include "base/text.h"
#include "link/cat_state.h"
#include "radio/radio_state.h"
#include "screen/display.h"
#include "speech/readout_text.h"
#include "speech/speech_state.h"

void updateFrequencyDisplay() {
    showFrequency(frequencyDigitsOf(catState.lastFreqReply), radioState.splitState > 0);
}

void updateStatusRow() {
    const auto& R = radioState;
    const bool ssb = isSsb(R.mode);
    StatusRow row;
    row.preamp = R.preampOn == 1;
    row.attenuator = R.attOn == 1;
    row.noiseBlanker = R.nbOn == 1;
    row.noiseReduction = R.nrState == SwitchState::kOn;
    row.notch = R.notchOn == 1;
    row.processor = R.procState == SwitchState::kOn && ssb;
    row.cw = R.mode == kModeCw;
    row.breakIn = R.breakInState == SwitchState::kOn;
    row.vox = R.voxState == SwitchState::kOn;
    row.monitor = R.monitorOn == 1;
    if (R.toneCode != kNoTone) row.toneNumber = toneNumberText(R.toneCode);
    showStatusRow(row);
}

namespace {

// The written mode, as a readout writes it.
const char* modeText(int mode) {
    switch (mode) {
    case kModeLsb: return "LSB";
    case kModeUsb: return "USB";
    case kModeCw: return "CW";
    case kModeAm: return "AM";
    case kModeFmNarrow: return "FM narrow";
    case kModeFm: return "FM";
    default: return "";
    }
}

constexpr const char* kMhzSuffix = " MHz";

}  // namespace

std::string panelLine() {
    const auto& R = radioState;
    std::string line;
    const std::string digits = frequencyDigitsOf(catState.lastFreqReply);
    if (digits.size() == 11) {
        // "14.074000": trailing zeros go, down to kHz.
        std::string freq = displayFrequency(digits);
        const std::size_t point = freq.find('.');
        while (point != std::string::npos && freq.size() > point + 4 && freq.back() == '0') freq.pop_back();
        if (!freq.empty() && freq.front() == '.') freq.insert(0, "0");
        line = freq + kMhzSuffix;
    }
    auto add = [&line](std::string_view word) {
        if (word.empty()) return;
        if (!line.empty()) line += ' ';
        line += word;
    };
    add(modeText(R.mode));
    if (R.splitState > 0) add("split");
    const bool ssb = R.mode == kModeLsb || R.mode == kModeUsb;
    if (R.preampOn == 1) add("preamp");
    if (R.attOn == 1) add("att");
    if (R.nbOn == 1) add("NB");
    if (R.nrState == SwitchState::kOn) add("NR");
    if (R.notchOn == 1) add("notch");
    if (R.procState == SwitchState::kOn && ssb) add("proc");
    const bool cw = R.mode == kModeCw;
    if ((cw ? R.breakInState : R.voxState) == SwitchState::kOn) add(cw ? "break-in" : "vox");
    if (R.monitorOn == 1) add("mon");
    if (R.toneCode != kNoTone) add("tone " + toneNumberText(R.toneCode));
    return line;
}

int panelFrequencyCells(const std::string& line) {
    const std::size_t at = line.find(kMhzSuffix);
    return at == std::string::npos ? 0 : static_cast<int>(at + std::string_view(kMhzSuffix).size());
}

// Runs after every event: without a display or screen reader the line is
// not built at all.
void updatePanelLine() {
    if (speechState.accessOpen != 1) return;
    givePanelLine(panelLine());
}
