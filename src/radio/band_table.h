// Band records: store, check, recall, whole-MHz lookup.
#pragma once

#include <string>

// Writes the current frequency, mode, split state and tone into the band's record.
void storeBand();
// Derives the band from lastFreqReply; sets band; true when storing is
// allowed. Without a frequency answer in lastFreqReply the band stays and
// storing is refused.
bool checkBand();
// Puts the current band's record into the radio (VFO A, split and VFO B,
// tone in FM narrow, preamp, mode) and announces it. Outside bands 1..14
// (band 99) there is no record and it does nothing.
void recallBand();
// While split the poll reads VFO B only: a VFO A frequency set from elsewhere
// (a network client) is written into VFO A's field of the current band's
// record here, when it lies in that band and no pass-through program drives
// the radio, so that leaving split returns to it.
void storeVfoA(long long hz);
// Sets band from freqMHz after frequency entry.
void bandOfMHz();
// Band stepping with the up and down keys (adjustTarget 1): store the band
// left, step, wrap within 1..highestBand(), recall. At band 99 speaks
// "band" "un" and changes nothing.
void stepBandUp();
void stepBandDown();
// The 11 Hz digits of VFO A, or of VFO B when vfoB, as the frequency readout
// speaks them: the frequency last sent to it until the radio reports again,
// else the radio's report when the band has followed it, else the band
// record's field, else the last report of either VFO, else freqHz.
std::string frequencyField(bool vfoB);
// The highest band the radio covers, from bandCoverage ("1" 10, "6" 11,
// "2" 12, "7" 13; 10 for anything else).
int highestBand();
