// The program's mirror of the radio's settings, the band table and the
// transmit/tune state. The program's own variables are the truth for the
// radio's switches: setting commands are never read back.
#pragma once

#include <string>

// Mode numbers, as the band records keep them. The radio numbers its modes
// differently ("MD5" is AM, "MD4" both FM widths): mode_filter translates.
enum ModeNumber { kModeLsb = 1, kModeUsb = 2, kModeCw = 3, kModeAm = 4, kModeFmNarrow = 5, kModeFm = 7 };
// The one answer to "is this a mode": the record checks and every reader of
// a mode digit ask it. 6 is none: no mode command is sent for it.
constexpr bool isModeNumber(int m) {
    return m == kModeLsb || m == kModeUsb || m == kModeCw || m == kModeAm || m == kModeFmNarrow || m == kModeFm;
}

// Band numbers: 1 = 160 m ... 10 = 10 m, 11 = 6 m, 12 = 2 m, 13 = 70 cm,
// 14 = general coverage; kNoBand = a frequency outside every band, which has
// no record in the band table.
constexpr int kFirstBand = 1;
constexpr int kBand12m = 9;
constexpr int kBand10m = 10;
constexpr int kBand6m = 11;
constexpr int kBand2m = 12;
constexpr int kBand70cm = 13;
constexpr int kBandGeneral = 14;
constexpr int kLastBand = kBandGeneral;
constexpr int kNoBand = 99;
constexpr int kDefaultBand = 4;  // 40 m, when the memory file names no band
// Bands with a record in the band table.
constexpr bool bandHasRecord(int band) { return band >= kFirstBand && band <= kLastBand; }

// levelTarget values: which noise level the L key and the arrows adjust.
constexpr int kLevelNone = 0;
constexpr int kLevelNoiseBlanker = 2;
constexpr int kLevelNoiseReduction = 3;

// Factory band records, bands 1 to 14 (slot 0 unused).
extern const char* const kFactoryBandRecords[15];

constexpr int kNoTypedMHz = 999;      // freqMHz while no typed frequency is pending
constexpr int kNoSMeterReading = -1;  // sMeter before the radio has given a reading

struct RadioState {
    int freqHz = 7100000;                 // working VFO A frequency in Hz
    int freqMHz = kNoTypedMHz;            // whole MHz typed in frequency entry
    std::string freqDisplayText = "    7.100000"; // frequency as shown
    int band = kDefaultBand;              // current band 1..14, kNoBand = outside every band
    int bandCandidate = 0;                // band derived from a frequency
    std::string bandTable[15];            // band records, slots 1..14, 30 characters each
    int bandSplitFlag = 0;                // character 1 of the band record at start
    int mode = kModeLsb;                  // ModeNumber
    int savedMode = kModeLsb;             // mode before the keyer-speed command switched to CW
    int filterWidth = 7;                  // SSB index, CW Hz, 2 AM, 8 FM
    int ssbWidth = 7;                     // last SSB high-cut index
    int cwWidth = 600;                    // last CW width in Hz
    int squelchLevel = 60;                // FM squelch level
    int splitState = 0;                   // 0 simplex, 1 split not yet announced, 2 announced
    std::string splitFreqCmd;             // frequency command kept when split went on
    std::string toneCode = "999";         // "0" + two-digit CTCSS tone number, "999" = none (kNoTone)
    int ctcssOn = 0;                      // tone encoder on (or tone entry pending)
    int toneDigitsTyped = 0;              // digits typed into toneCode since I or the last commit
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
    int levelTarget = kLevelNone;         // level the L key adjusts: noise blanker or noise reduction
    int monitorOn = 0;
    std::string monitorLevel = "000";     // monitor level digits sent with "ML"
    int tunerState = 0;                   // 0 off, 1 on, 2 SWR announced
    int tuning = 0;                       // 1 while the tune sequence runs
    int txState = 0;                      // above 0 = transmitting by the Space key
    int sMeter = kNoSMeterReading;        // last S-meter reading 0..30, kNoSMeterReading = none yet
    std::string swrText;                  // last SWR reading, the ratio in tenths ("15" = 1.5); empty = none yet
    int alcValue = -1;                    // ALC value to be spoken
    int alcAnnounce = 0;                  // ALC watch state
    int quietTicks = 0;                   // ticks since the last spoken ALC value, held at 20

    RadioState() {
        for (int i = 0; i < 15; ++i) bandTable[i] = kFactoryBandRecords[i];
    }
};

extern RadioState radioState;
