// The program's mirror of the radio's settings, the band table and the
// transmit/tune state. The program's own variables are the truth for the
// radio's switches: setting commands are never read back.
#pragma once

#include <cstdint>
#include <string>

#include "base/named_values.h"
#include "base/text.h"
#include "radio/models.h"

// levelTarget values: which noise level the L key and the arrows adjust.
constexpr int kLevelNone = 0;
constexpr int kLevelNoiseBlanker = 2;
constexpr int kLevelNoiseReduction = 3;

// Factory band records, bands 1 to 14 (slot 0 unused).
extern const char* const kFactoryBandRecords[kBandSlots];

constexpr int kNoTypedMHz = 999;      // freqMHz while no typed frequency is pending
constexpr int kNoSMeterReading = -1;  // sMeter before the radio has given a reading
constexpr int kStepsPerSUnit = 3;     // sMeter runs 0..30, three steps per S unit

// A switch of the radio whose state the program mirrors: the noise
// reduction, the speech processor, VOX and CW break-in.
enum class SwitchState { kOff, kOn };

// The antenna tuner. Once the SWR has been spoken with its name ("swr",
// "21"), later readings of the same tuning or transmission are spoken as
// bare numbers; the tuner still counts as on.
enum class TunerState { kOff, kOn, kSwrAnnounced };

// The ALC watch of F11: off; on, with "alc" still to be said before the
// next reading; on, "alc" said for this series of readings.
enum class AlcWatch { kOff, kNameNext, kNameSaid };

struct RadioState {
    int freqHz = 7100000;                 // working VFO A frequency in Hz
    int freqMHz = kNoTypedMHz;            // whole MHz typed in frequency entry
    int band = kDefaultBand;              // current band 1..14, kNoBand = outside every band
    int bandCandidate = 0;                // band derived from a frequency
    std::string bandTable[kBandSlots];          // band records, slots 1..14, 30 characters each
    int bandSplitFlag = 0;                // character 1 of the band record at start
    int mode = kModeLsb;                  // ModeNumber
    int savedMode = kModeLsb;             // mode before the keyer-speed command switched to CW
    int filterWidth = 7;                  // SSB index, CW Hz, 2 AM, 8 FM
    int ssbWidth = 7;                     // last SSB high-cut index
    int cwWidth = 600;                    // last CW width in Hz
    int squelchLevel = 60;                // FM squelch level
    int splitState = 0;                   // 0 simplex, 1 split (VFO B transmits)
    int splitAnnounced = 0;               // 1 once "split" has been said for the split now on
    std::string toneCode = "999";         // "0" + two-digit CTCSS tone number, "999" = none (kNoTone)
    int ctcssOn = 0;                      // tone encoder on (or tone entry pending)
    int toneDigitsTyped = 0;              // digits typed into toneCode since I or the last commit
    int txPower = 100;                    // watts (config line 3)
    int powerCeiling = 100;               // upper limit of txPower
    int afGain = 50;
    int rfGain = 255;
    int micGain = 0;
    int keyerSpeed = 15;                  // words per minute
    int preampOn = 0, attOn = 0, nbOn = 0, notchOn = 0;
    SwitchState nrState = SwitchState::kOff, procState = SwitchState::kOff;
    SwitchState voxState = SwitchState::kOff;      // VOX in the voice modes (the radio's VX switch)
    SwitchState breakInState = SwitchState::kOff;  // break-in in CW (the same VX switch)
    int nbLevel = 0, nrLevel = 0;         // levels read from the radio
    int levelTarget = kLevelNone;         // level the L key adjusts: noise blanker or noise reduction
    int monitorOn = 0;
    std::string monitorLevel = "000";     // monitor level digits sent with "ML"
    TunerState tunerState = TunerState::kOff;  // set by F12, the tune key and the state query
    int tuning = 0;                       // 1 while the tune sequence runs
    int txState = 0;                      // 1 = transmitting (Space, a network client or the pass-through)
    std::string txAfterSpeech;            // the transmit command Space keys once "tx on" has sounded; "" = none
    int parkedSwrSpeech = 0;              // swrSpeech kept while transmitting, given back on release
    std::int64_t txByProgramAtMs = -1;    // platform clock when another program keyed it; -1 = the operator did, or receiving
    std::int64_t tuneByProgramAtMs = -1;  // platform clock when the pass-through program started the tuner ("AC111"); -1 = none
    int sMeter = kNoSMeterReading;        // last S-meter reading 0..30, kNoSMeterReading = none yet
    std::string swrText;                  // last SWR reading, the ratio in tenths ("15" = 1.5); empty = none yet
    int alcValue = -1;                    // ALC value to be spoken
    AlcWatch alcAnnounce = AlcWatch::kOff;    // started and ended by F11, advanced by speakAlc
    int quietTicks = 0;                   // ticks since the last spoken ALC value, held at 20
    // CW text for the radio's keyer (cw_text): queued by a sender, fed to the
    // radio piece by piece by the poll, dropped by a stop or a lost link.
    std::string cwText;                   // text not yet in the radio's buffer (at most kCwTextCapacity)
    int cwRadioBusy = 0;                  // 1 from a piece sent until the radio reports room with nothing left
    std::int64_t cwAskAtMs = 0;           // platform clock before which "KY;" is not asked again (buffer full)
    int cwForm = 0;                       // CwTextForm of the radio connected now; 0 = not yet asked since the link came
    std::int64_t cwKeyedUntilMs = 0;      // platform clock until which the keyer may still key what it took
    int rigModel = kAssumedModel;         // model from the "ID" answer (models.h); kReducedModel = reduced-feature radio

    // Configuration (rigvox.cfg), written by readConfiguration; resetStartValues keeps it.
    int swrSpeech = 0;                    // line 4: above 0 = SWR spoken while tuning or transmitting
    int tunerMode = 0;                    // line 5: 0 automatic tuner, 1 carrier only, 2 timed tuning then carrier
    std::string bandCoverage;             // line 6: highest band, "1" 10 m, "6" 6 m, "2" 2 m, "7" 70 cm
    int powerSwitching = 0;               // line 7: 1 = power on at start, power command at quit and from a client
    int txLimitSeconds = 180;             // "TXLIMIT=": another program's transmission ends after this, 0 = never

    RadioState() {
        for (int i = 0; i < kBandSlots; ++i) bandTable[i] = kFactoryBandRecords[i];
    }
};

extern RadioState radioState;

// The VFO the operator listens on, as a command's letters: while split the
// radio transmits on VFO A and the operator listens on VFO B.
inline const char* listeningVfo() { return radioState.splitState > 0 ? "FB" : "FA"; }

// The split digit of a band record: 0 simplex, 1 split not yet announced,
// 2 split announced. The records keep both facts in one digit.
inline int splitDigit() {
    const auto& R = radioState;
    return R.splitState == 0 ? 0 : R.splitAnnounced == 1 ? 2 : 1;
}
// The band record's first two characters as the state stands: the split
// digit and the mode digit.
inline std::string splitModeDigits() { return zeroPad(splitDigit(), 1) + zeroPad(radioState.mode, 1); }
inline void takeSplitDigit(int digit) {
    auto& R = radioState;
    R.splitState = digit > 0 ? 1 : 0;
    R.splitAnnounced = digit == 2 ? 1 : 0;
}
