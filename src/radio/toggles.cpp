// Receiver and transmit toggles.
#include "radio/toggles.h"

// NOT BUILT YET: placeholder bodies so the program links while this file is written.

void togglePreamp() {}
void toggleAttenuator() {}
void toggleNoiseBlanker() {}
void toggleNoiseReduction() {}
void toggleNotch() {}
void toggleProcessor() {}
void toggleVox() {}
