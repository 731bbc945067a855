// Changes nobody asked about (made at the radio or by another program),
// spoken once they have settled, as far as the announcement level allows.
#pragma once

#include <string_view>

// The operator knows the radio as it stands now (after a key, which spoke
// for itself, and after the connection sequence): the heard state becomes
// the current band, frequency, mode and transmit state, and nothing waits
// to be announced.
void acceptHeardState();
// A change seen by the poll, or made by a network client: who made it
// (kChangeAtRadio, kChangeByOtherProgram) joins what waits, and the settle
// time starts again.
void noteChange(int origin);
// A frequency report that showed no change: what waits has been seen once
// more as it stands.
void noteSteadyReport();
// Run on every tick. Once nothing has changed for half a second (when
// only another program changed something, once it has made no change for
// two seconds), and at least two frequency reports since have shown no
// change, and no
// readout is sounding (readoutRunning: one the keys run across ticks; also a
// prompt still sounding, help said by the system's speech and not yet
// silenced, the ALC watch, tuning), speaks what differs from
// the heard state when the level allows who changed it: the band, the
// frequency as the frequency readout says it, the mode, transmit on or off.
// What stands is heard from then on, spoken or not.
void announceSettledChanges(bool readoutRunning);
// The level a name stands for ("quiet", "radio", "all", any letter case),
// -1 for any other text.
int announceLevelNamed(std::string_view name);
// The prompt that names a level.
const char* announceLevelName(int level);
