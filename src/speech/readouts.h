// Readouts: frequency, bandwidth, power, band, mode, ALC and keyer speed as prompt sequences.
#pragma once

void speakFrequency();
void speakBandwidth();
void speakPower();
void speakBand();
void speakMode();
void speakAlc();
void speakKeyerSpeed();
