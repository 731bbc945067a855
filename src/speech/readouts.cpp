// Readouts: frequency, bandwidth, power, band, mode, ALC and keyer speed as prompt sequences.
#include "speech/readouts.h"

// NOT BUILT YET: placeholder bodies so the program links while this file is written.

void speakFrequency() {}
void speakBandwidth() {}
void speakPower() {}
void speakBand() {}
void speakMode() {}
void speakAlc() {}
void speakKeyerSpeed() {}
