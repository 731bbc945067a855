// The radio's state on the window: what the frequency display and the status
// row are given to draw.
#include "radio/panel.h"

#include <string>

#include "base/records.h"
#include "base/text.h"
#include "link/cat_state.h"
#include "radio/radio_state.h"
#include "screen/display.h"

void updateFrequencyDisplay() {
    showFrequency(frequencyDigitsOf(catState.lastFreqReply), radioState.splitState > 0);
}

void updateStatusRow() {
    const auto& R = radioState;
    const bool ssb = R.mode == kModeLsb || R.mode == kModeUsb;
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
