// Up and Down: one step of the control adjustTarget names.
#pragma once

// One step up or down of the control adjustTarget names (tuning, band,
// filter, power, RF gain, AF gain, noise level, keyer speed, microphone
// gain), held in its limits with "max"/"min", then sent. Tuning only moves
// freqHz: the tuning keys' row sends it. Targets 8, 9 and 14 step nothing.
// The reduced-feature radio's power is fixed: its step gives the keys back
// to tuning.
void stepUp();
void stepDown();
