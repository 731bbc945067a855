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
    const bool ssb = isSsb(R.mode);
    StatusRow row;
    // Only state 1 shows a label: the state 2 of the switches means "off,
    // not yet spoken" or "not known".
    row.preamp = R.preampOn == 1;
    row.attenuator = R.attOn == 1;
    row.noiseBlanker = R.nbOn == 1;
    row.noiseReduction = R.nrState == 1;
    row.notch = R.notchOn == 1;
    row.processor = R.procState == 1 && ssb;
    row.cw = R.mode == kModeCw;
    row.breakIn = R.breakInState == 1;
    row.vox = R.voxState == 1;
    row.monitor = R.monitorOn == 1;
    if (R.toneCode != kNoTone) row.toneNumber = toneNumberText(R.toneCode);
    showStatusRow(row);
}
