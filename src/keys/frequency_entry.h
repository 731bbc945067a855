// Frequency entry, readout, zero and the tuning keys.
#pragma once

// E: start frequency entry.
void startFrequencyEntry();
// .: the decimal point of the entry.
void frequencyEntryPoint();
// Enter while freqMHz is not 999: commit the typed frequency.
void commitFrequencyEntry();
// A digit of the typed frequency (from onDigitKey).
void frequencyEntryDigit();
// F: speak the frequency (the other VFO in the extended state).
void frequencyReadout();
// Z: zero beat in CW, zero frequency otherwise.
void zeroKey();
// The last row of the chain: tuning keys, then the frequency sent again.
void tuningKeys();
