// Band records: store, check, recall, whole-MHz lookup.
#pragma once

// Writes the current frequency, mode, split state and tone into the band's record.
void storeBand();
// Derives the band from lastFreqReply; sets band; tells storeBand (through
// scratchInt2: 1 allowed, 0 refused) whether storing is allowed.
void checkBand();
// Puts the current band's record into the radio and announces it.
void recallBand();
// Sets band from freqMHz after frequency entry.
void bandOfMHz();
// Band stepping with the up and down keys (adjustTarget 1), coverage wrap.
void stepBandUp();
void stepBandDown();
// The highest band the radio covers, from bandCoverage.
int highestBand();
