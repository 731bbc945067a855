// Readouts: frequency, bandwidth, power, band, mode, ALC and keyer speed as prompt sequences.
#pragma once

// The current band record's VFO A (VFO B after "vfob" while split) in MHz;
// outside every band the frequency the radio last reported.
void speakFrequency();
void speakBandwidth();
void speakPower();
void speakBand();
void speakMode();
void speakAlc();
void speakKeyerSpeed();
