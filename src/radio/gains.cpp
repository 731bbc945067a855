// Gains and levels: format and send.
#include "radio/gains.h"

// NOT BUILT YET: placeholder bodies so the program links while this file is written.

void sendMicGain() {}
void sendAfGain() {}
void sendRfGain() {}
void sendKeyerSpeed() {}
void sendPower() {}
