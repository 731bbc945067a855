// Mode and filter: the mode commands with their side effects, and the filter width.
#pragma once

// Applies mode: ends a CTCSS tone outside FM narrow ("CT0"), sends the mode
// command ("MD1".."MD5") and the mode's filter (with setFilter's "min"/"max"
// when spoken), prints the mode name at 50,45, reads the squelch ("SQ0") in
// FM, and keeps split and mode in the band's record (not for band 99 or
// while bridgeUsed) with the status row.
void setMode(bool spoken);
// As setMode for a mode the radio already has (another program set it):
// the program's side only, nothing sent and no squelch read.
void followMode();
// Applies filterWidth for the current mode: SSB index 0..12 ("SH"), CW width
// snapped to the radio's series 50..2500 Hz ("FW"), AM/FM fixed ("SH02",
// "SH08" with "FW0001"/"FW0000"); keeps ssbWidth/cwWidth; "min"/"max" at the
// ends. Nothing on the reduced-feature radio.
void setFilter();

// True when mode may be chosen on the current band, by the mode key and a
// network client alike: the reduced-feature radio's modes end at CW; FM
// (either width) from 10 m up, and outside every band from 27 MHz up.
bool modeAllowedHere(int mode);

// The receive filter's ranges, held as setFilter holds them: the SSB
// high-cut index 0..12 (1.0 to 3.4 kHz), the CW width snapped to the radio's
// series 50..2500 Hz.
int heldSsbWidth(int index);
int heldCwWidth(int hz);
// The passband of mode in hertz as the program keeps it: SSB and CW from
// ssbWidth and cwWidth, AM and the FM widths fixed.
int modePassbandHz(int mode);
// Keeps hz as the width mode will be set with (ssbWidth, cwWidth), held in
// the filter's range: 0 is the mode's normal width, below 0 keeps the
// width. Modes without a filter to choose keep nothing. Sends nothing.
void keepPassband(int mode, int hz);
// The FM width a client's passband names: above 12.5 kHz FM wide, up to it
// FM narrow; 0 and below keep the FM width in use (FM narrow from another mode).
int fmModeForPassband(int hz);
