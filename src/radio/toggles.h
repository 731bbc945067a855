// Receiver and transmit toggles.
#pragma once

void togglePreamp();
void toggleAttenuator();
void toggleNoiseBlanker();
void toggleNoiseReduction();
void toggleNotch();
void toggleProcessor();
void toggleVox();
