// Frequency entry, readout, zero and the tuning keys.
#pragma once

// Fraction digits a typed frequency keeps: six reach 1 Hz, and the commit
// command stays "FA" + 11 digits.
constexpr int kMaxFractionDigits = 6;

// E: opens a typed frequency (freqMHz 0, no point, no fraction),
// adjustTarget 0; speaks "EF". The key then goes on down the chain.
void startFrequencyEntry();
// .: entryPoint 1, entryZeros emptied; speaks "point" (entry open or not).
void frequencyEntryPoint();
// Enter while freqMHz is not 999: with an open entry, sets band from the MHz
// (bandOfMHz), the mode from the band's record (FM narrow below 25 MHz
// becomes AM; outside every band the mode is kept), sends "FA"/"FB" with the
// typed frequency, sets the preamp from the band (off outside every band)
// and speaks "ok". Silent without an open entry. freqHz is left to follow
// the radio's next frequency answer.
void commitFrequencyEntry();
// A digit of the typed frequency (from onDigitKey, keyCode '0'..'9'): builds
// freqMHz before the point, entryZeros/entryFraction after it; speaks the
// digit. Closes the entry with "invalid" when freqMHz leaves 1..439. A
// fraction digit beyond the sixth is not kept and speaks "max".
void frequencyEntryDigit();
// F: speaks the frequency and mode (the other VFO in the extended state,
// with "vfoa" when that is VFO A), then the tone when one is on;
// adjustTarget 0.
void frequencyReadout();
// Z: speaks "0" "ok"; sends "CA01" in CW, zeroFrequency otherwise.
void zeroKey();
// The last row of the chain: the tuning step of keyCode (1 MHz on = and -,
// 10 or 12.5 kHz on Page Up/Down, 10 or 100 Hz on Right/Left, the squelch on
// Right/Left in FM narrow), then "FA" with freqHz sent again, for every key
// that gets here. freqHz is held at 0 Hz and above ("min").
void tuningKeys();
