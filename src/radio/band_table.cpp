// Band records: store, check, recall, whole-MHz lookup, and band stepping.
#include "radio/band_table.h"

#include "cat/exchange.h"
#include "radio/mode_filter.h"
#include "radio/toggles.h"
#include "shell/program_state.h"
#include "shell/text.h"
#include "speech/prompts.h"
#include "speech/readouts.h"

namespace {

constexpr int kFirstBand = 1;
constexpr int kLastBand = 14;       // general coverage; the table has no slot beyond it
constexpr int kOutsideBands = 99;
constexpr int kRecordLength = 30;
constexpr int kFreqDigits = 11;
// Record pieces (1-based): split, mode, "A" + VFO A, "B" + VFO B, tone, preamp.
constexpr int kSplitAt = 1;
constexpr int kModeAt = 2;
constexpr int kVfoACmdAt = 3;       // "A" and its 11 digits: "F" in front makes "FA..."
constexpr int kVfoADigitsAt = 4;
constexpr int kVfoBCmdAt = 15;
constexpr int kVfoBDigitsAt = 16;
constexpr int kFreqCmdLength = 12;
constexpr int kToneAt = 27;
constexpr int kToneLength = 3;
constexpr int kPreampAt = 30;

bool hasRecord(int band) { return band >= kFirstBand && band <= kLastBand; }

// A tone the radio has been given: "0" and the two-digit tone number. Digits
// still being typed in a tone entry (toneCode is its buffer) are not one.
bool committedTone(const std::string& code) {
    return static_cast<int>(code.size()) == kToneLength && code[0] == '0' && allDigits(code);
}

void send(std::string_view command) {
    putText(catState.cmdText, command);
    sendCommand();
}

// A record as the rest of the program relies on it: 30 characters, digit
// flags, both frequency fields whole.
bool wellFormed(const std::string& r) {
    return static_cast<int>(r.size()) == kRecordLength && allDigits(midText(r, kSplitAt, 1)) &&
           allDigits(midText(r, kModeAt, 1)) && midText(r, kVfoACmdAt, 1) == "A" &&
           allDigits(midText(r, kVfoADigitsAt, kFreqDigits)) && midText(r, kVfoBCmdAt, 1) == "B" &&
           allDigits(midText(r, kVfoBDigitsAt, kFreqDigits));
}

// The record of band b (1..14), replaced by the factory record when it is
// damaged, so a bad memory file can never send garbage to the radio.
std::string& recordOf(int b) {
    std::string& r = radioState.bandTable[b];
    if (!wellFormed(r)) r = kFactoryBandRecords[b];
    return r;
}

// The one-character digit of a state value, "0" + value.
std::string digitOf(int value) { return zeroPad(value, 1); }

// Band of a whole-MHz value; the upper end of 70 cm and the answer outside
// every band are the caller's.
int bandOfWholeMHz(int mhz, int top70cm, int outside) {
    if (mhz == 1) return 1;
    if (mhz == 3) return 2;
    if (mhz == 5) return 3;
    if (mhz == 7) return 4;
    if (mhz == 10) return 5;
    if (mhz == 14) return 6;
    if (mhz == 18) return 7;
    if (mhz == 21) return 8;
    if (mhz == 24) return 9;
    if (mhz == 28 || mhz == 29) return 10;
    if (mhz >= 50 && mhz <= 54) return 11;
    if (mhz >= 144 && mhz <= 148) return 12;
    if (mhz >= 430 && mhz <= top70cm) return 13;
    return outside;
}

}  // namespace

int highestBand() {
    const std::string& coverage = shellState.bandCoverage;
    if (coverage == "6") return 11;
    if (coverage == "2") return 12;
    if (coverage == "7") return 13;
    return 10;  // "1", and any value the configuration did not foresee
}

void checkBand() {
    auto& S = shellState;
    auto& R = radioState;
    const auto& C = catState;
    // Without a frequency answer there is nothing to judge: the band stays
    // and nothing may be stored (an empty text would read as 0 MHz and pull
    // the band to general coverage).
    const std::string hz = rightText(C.lastFreqReply, 9);
    if (!startsWith(C.lastFreqReply, "F") || hz.size() != 9 || !allDigits(hz)) {
        S.scratchInt2 = 0;
        return;
    }
    const int mhz = textInt(hz) / 1000000;
    R.bandCandidate = bandOfWholeMHz(mhz, 449, 14);
    int allowed = (R.bandCandidate != R.band || R.band == kOutsideBands) ? 0 : 1;
    R.band = R.bandCandidate;
    // FM never goes into the records of 160 m to 15 m.
    if (R.band < 9 && R.mode > 4) allowed = 0;
    S.scratchInt2 = allowed;
}

void storeBand() {
    const auto& S = shellState;
    auto& R = radioState;
    const auto& C = catState;
    const std::string prefix = digitOf(R.splitState) + digitOf(R.mode);
    checkBand();
    if (S.scratchInt2 != 1) return;
    if (!hasRecord(R.band) || C.bridgeUsed != 0) return;

    std::string& r = recordOf(R.band);
    const std::string reported = rightText(C.lastFreqReply, kFreqDigits);
    const std::string tone = committedTone(R.toneCode) ? R.toneCode : "999";
    std::string record = prefix;
    if (R.splitState == 0) {
        // Simplex: the report is VFO A's; VFO B keeps its stored value.
        record += "A" + reported + "B" + midText(r, kVfoBDigitsAt, kFreqDigits);
    } else {
        // Split: the poll asks VFO B, so the report belongs in the B field.
        record += "A" + midText(r, kVfoADigitsAt, kFreqDigits) + "B" + reported;
    }
    record += tone + midText(r, kPreampAt, 1);
    putText(r, record);
}

void recallBand() {
    auto& R = radioState;
    if (!hasRecord(R.band)) return;  // band 99 has no record to recall
    const std::string r = recordOf(R.band);

    if (R.splitState > 0 && midText(r, kSplitAt, 1) == "0") {
        // Leaving split for a simplex band: transmit and receive back on A
        // before anything else goes out.
        playPrompt("split");
        playPrompt("off");
        send("FT0");
        send("FR0");
        R.splitState = 0;
    }
    R.quietTicks = 0;

    R.mode = textInt(midText(r, kModeAt, 1));
    // Held at 0 so the exchange does not turn this "FA" into "FB".
    R.splitState = 0;
    send("F" + midText(r, kVfoACmdAt, kFreqCmdLength));

    R.splitState = textInt(midText(r, kSplitAt, 1));
    if (R.splitState > 0) {
        send("F" + midText(r, kVfoBCmdAt, kFreqCmdLength));
        playPrompt("split");
        send("FT1");
    }

    R.toneCode = midText(r, kToneAt, kToneLength);
    if (R.mode == 5 && R.toneCode != "999") {
        R.ctcssOn = 1;
        send("CN" + R.toneCode);
        send("CT1");
        playPrompt("ctcss");
        speakDigits(midText(R.toneCode, 2, 2));
    }

    // The toggle flips the state, so start from the opposite of the wanted one.
    R.preampOn = midText(r, kPreampAt, 1) == "1" ? 0 : 1;
    togglePreamp();

    speakBand();
    setMode();
}

void storeVfoA(long long hz) {
    const auto& R = radioState;
    if (!hasRecord(R.band) || catState.bridgeUsed != 0 || hz < 0) return;
    if (bandOfWholeMHz(static_cast<int>(hz / 1000000), 449, 14) != R.band) return;
    std::string& r = recordOf(R.band);
    putText(r, leftText(r, kVfoADigitsAt - 1) + zeroPad(hz, kFreqDigits) +
                   midText(r, kVfoADigitsAt + kFreqDigits));
}

void bandOfMHz() {
    auto& R = radioState;
    R.band = bandOfWholeMHz(R.freqMHz, 439, kOutsideBands);
    if (R.band == kOutsideBands && R.splitState == 1) R.splitState = 0;
}

namespace {

// The start of a band step: outside every band there is nothing to step
// from, which is said; otherwise the band left is stored. False when no step
// is to be made.
bool leaveBandForStep() {
    if (!hasRecord(radioState.band)) {
        playPrompt("band");
        playPrompt("un");
        return false;
    }
    storeBand();
    return true;
}

}  // namespace

void stepBandUp() {
    auto& R = radioState;
    if (!leaveBandForStep()) return;
    R.band = R.band + 1;
    // Past the highest band the radio has (general coverage is never
    // stepped to) back to 160 m.
    if (R.band > highestBand()) R.band = 1;
    recallBand();
}

void stepBandDown() {
    auto& R = radioState;
    if (!leaveBandForStep()) return;
    R.band = R.band - 1;
    // Below 160 m, or down from a band above the radio's coverage, to the
    // highest band the radio has.
    if (R.band < 1 || R.band > highestBand()) R.band = highestBand();
    recallBand();
}
