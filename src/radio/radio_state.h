// The program's mirror of the radio's settings, the band table and the
// transmit/tune state. The program's own variables are the truth for the
// radio's switches: setting commands are never read back.
#pragma once

#include <string>

// Factory band records, bands 1 to 14 (slot 0 unused).
extern const char* const kFactoryBandRecords[15];

struct RadioState {
    int freqHz = 7100000;                 // working VFO A frequency in Hz
    int freqMHz = 999;                    // whole MHz typed in frequency entry; 999 = none pending
    std::string freqDisplayText = "    7.100000"; // frequency as shown
    int band = 4;                         // current band 1..14, 99 = outside every band
    int bandCandidate = 0;                // band derived from a frequency
    std::string bandTable[15];            // band records, slots 1..14, 30 characters each
    int bandSplitFlag = 0;                // character 1 of the band record at start
    int mode = 1;                         // 1 LSB, 2 USB, 3 CW, 4 AM, 5 FM narrow, 7 FM
    int savedMode = 1;                    // mode before the keyer-speed command switched to CW
    int filterWidth = 7;                  // SSB index, CW Hz, 2 AM, 8 FM
    int ssbWidth = 7;                     // last SSB high-cut index
    int cwWidth = 600;                    // last CW width in Hz
    int squelchLevel = 60;                // FM squelch level
    int splitState = 0;                   // 0 simplex, 1 split not yet announced, 2 announced
    std::string splitFreqCmd;             // frequency command kept when split went on
    std::string toneCode = "999";         // "0" + two-digit CTCSS tone number, "999" = none
    int ctcssOn = 0;                      // tone encoder on (or tone entry pending)
    int txPower = 100;                    // watts (config line 3)
    int powerCeiling = 100;               // upper limit of txPower
    int quietPowerSet = 0;                // 1 = power re-sent without being spoken
    int afGain = 50;
    int rfGain = 255;
    int micGain = 0;
    int keyerSpeed = 15;                  // words per minute
    int preampOn = 0, attOn = 0, nbOn = 0, notchOn = 0;
    int nrState = 0, procState = 0;       // 0 off, 1 on, 2 off without speech
    int voxState = 0, breakInState = 0;   // 0 off, 1 on, 2 undetermined
    int nbLevel = 0, nrLevel = 0;         // levels read from the radio
    int levelTarget = 0;                  // level the L key adjusts: 2 noise blanker, 3 noise reduction
    int monitorOn = 0;
    std::string monitorLevel = "000";     // monitor level digits sent with "ML"
    int tunerState = 0;                   // 0 off, 1 on, 2 SWR announced
    int tuning = 0;                       // 1 while the tune sequence runs
    int txState = 0;                      // above 0 = transmitting by the Space key
    int sMeter = 0;                       // last S-meter reading 0..30
    std::string swrText;                  // SWR reading as text
    int alcValue = -1;                    // ALC value to be spoken
    int alcAnnounce = 0;                  // ALC watch state
    int quietTicks = 0;                   // ticks since the last spoken ALC value, held at 20

    RadioState() {
        for (int i = 0; i < 15; ++i) bandTable[i] = kFactoryBandRecords[i];
    }
};

extern RadioState radioState;
