// Transmit, tune, tuner, split and tone keys.
#pragma once

void transmitKey();    // Space
void tuneKey();        // T
void tunerKey();       // F12
void splitKey();       // V
void toneKey();        // I in FM
void commitTone();     // Enter with ctcssOn 1
void toneDigit();      // a digit of the tone entry (from onDigitKey)
