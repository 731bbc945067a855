// Tune and tone keys.
#pragma once

// T: the tune sequence by tunerMode (0 automatic tuner, 1 carrier only,
// 2 timed tuning then carrier); a second T ends it, restoring power and mode.
void tuneKey();
// On every tick: the tune sequence's timed step once it is due (the carrier
// after the tuner's time; the power and mode back after "RX").
void continueTune();
// I in FM: opens a tone entry ("ec"), or switches the tone off ("CT0").
void toneKey();
// Enter with ctcssOn 1 and no frequency entry: a two-digit tone number up
// to 42 goes on (sendToneOn); anything else is "invalid".
void commitTone();
// A digit of the tone entry (from onDigitKey, keyCode '0'..'9').
void toneDigit();
