// Transmit, tune, tuner, split and tone keys.
#pragma once

// Space: transmit on ("tx" "on", "TX"; SWR speech parked in txState, tuner
// state 0) or off ("RX", "tx" "off"; SWR speech restored).
void transmitKey();
// T: the tune sequence by tunerMode (0 automatic tuner, 1 carrier only,
// 2 timed tuning then carrier); a second T ends it, restoring power and mode.
void tuneKey();
// F12: antenna tuner on ("AC110") or off ("AC000"), spoken.
void tunerKey();
// V: split on ("FT1", "FT2" on the reduced radio; announced later by the
// status row) or off ("RX0", VFO A from the band record, the next send
// swallowed, "split" "off"). Outside every band: "split" "invalid" only.
void splitKey();
// I in FM: opens a tone entry ("ec"), or switches the tone off ("CT0").
void toneKey();
// Enter with ctcssOn 1 and no frequency entry: a two-digit tone number up
// to 42 goes on (sendToneOn); anything else is "invalid".
void commitTone();
// A digit of the tone entry (from onDigitKey, keyCode '0'..'9').
void toneDigit();
