// VFO, split and tones: the zero key outside CW.
#pragma once

// Moves the frequency to a whole kilohertz (the zero key in every mode but CW).
void zeroFrequency();
