// Up/down adjustment: one step of a control, held in its limits with
// "max"/"min", then sent. The keys choose the control (adjust_keys).
#pragma once

// Tuning: 1 kHz, 500 Hz in CW. Only moves freqHz: the tuning keys' row sends it.
void stepTuning(bool up);
// The filter width (setFilter clamps, snaps and sends).
void stepFilter(bool up);
// Power 5, 10, 20, 30 ... up to the ceiling (a quarter of it in AM).
void stepPower(bool up);
void stepRfGain(bool up);
void stepAfGain(bool up);
// The noise level levelTarget names: noise blanker or noise reduction.
void stepNoiseLevel(bool up);
void stepKeyerSpeed(bool up);
void stepMicGain(bool up);
