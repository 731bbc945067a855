// The radio's state on the window: the frequency display and the status row.
#pragma once

#include <string>

// Draws the frequency of lastFreqReply and the split marker (showFrequency).
void updateFrequencyDisplay();
// Redraws the status row from the radio's switches, the mode and the tone.
void updateStatusRow();
// The panel line for the braille display and the screen reader: the
// frequency of lastFreqReply in MHz (at least three decimals, "14.074 MHz";
// nothing before the radio has answered), the mode, "split" and the functions
// switched on, as the window shows them. Reads only.
std::string panelLine();
// The cells the frequency takes at the start of panelLine (0 without one).
int panelFrequencyCells(const std::string& line);
// Gives the panel line to the display when it has changed.
void updatePanelLine();
