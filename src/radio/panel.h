// The radio's state on the window: the frequency display and the status row.
#pragma once

// Draws the frequency of lastFreqReply and the split marker (showFrequency).
void updateFrequencyDisplay();
// Redraws the status row from the radio's switches, the mode and the tone.
void updateStatusRow();
