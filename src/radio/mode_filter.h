// Mode and filter: the mode commands with their side effects, and the filter width.
#pragma once

// Applies mode: ends a CTCSS tone outside FM narrow ("CT0"), sends the mode
// command ("MD1".."MD5") and the mode's filter, prints the mode name at
// 50,45, reads the squelch ("SQ0") in FM, and keeps split and mode in the
// band's record (not for band 99 or while bridgeUsed) with the status row.
void setMode();
// As setMode for a mode the radio already has (another program set it):
// the program's side only, nothing sent and no squelch read.
void followMode();
// Applies filterWidth for the current mode: SSB index 0..12 ("SH"), CW width
// snapped to the radio's series 50..2500 Hz ("FW"), AM/FM fixed ("SH02",
// "SH08" with "FW0001"/"FW0000"); keeps ssbWidth/cwWidth; "min"/"max" at the
// ends. Nothing on the reduced-feature radio.
void setFilter();
