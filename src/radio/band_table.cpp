// Band records: store, check, recall, whole-MHz lookup, and band stepping.
#include "radio/band_table.h"

#include "base/records.h"
#include "base/text.h"
#include "link/cat_state.h"
#include "link/exchange.h"
#include "radio/mode_filter.h"
#include "radio/radio_state.h"
#include "radio/toggles.h"
#include "radio/vfo_split.h"
#include "speech/prompts.h"
#include "speech/readouts.h"

namespace {

// The record of band b (1..14), replaced by the factory record when it is
// damaged, so a bad memory file can never send garbage to the radio.
std::string& recordOf(int b) {
    std::string& r = radioState.bandTable[b];
    if (!bandRecordUsable(r)) r = kFactoryBandRecords[b];
    return r;
}

// The top of 70 cm: the widest allocation (430 to 450 MHz), so that a radio
// reporting any of it keeps the 70 cm record. Frequency entry stops at 439
// by its own limit.
constexpr int kTop70cmMHz = 449;

// Band of a whole-MHz value; the answer outside every band is the caller's.
int bandOfWholeMHz(int mhz, int outside) {
    if (mhz == 1) return 1;
    if (mhz == 3) return 2;
    if (mhz == 5) return 3;
    if (mhz == 7) return 4;
    if (mhz == 10) return 5;
    if (mhz == 14) return 6;
    if (mhz == 18) return 7;
    if (mhz == 21) return 8;
    if (mhz == 24) return 9;
    if (mhz == 28 || mhz == 29) return kBand10m;
    if (mhz >= 50 && mhz <= 54) return kBand6m;
    if (mhz >= 144 && mhz <= 148) return kBand2m;
    if (mhz >= 430 && mhz <= kTop70cmMHz) return kBand70cm;
    return outside;
}

// The 11 frequency digits of a frequency command or answer led by letters,
// or "" when it is led by others or damaged.
std::string frequencyDigits(const std::string& text, std::string_view letters) {
    const std::string digits = frequencyDigitsOf(text);
    if (!startsWith(text, letters) || static_cast<int>(digits.size()) != kFreqDigits || !allDigits(digits)) return {};
    return digits;
}

}  // namespace

int highestBand() {
    const std::string& coverage = radioState.bandCoverage;
    if (coverage == "6") return kBand6m;
    if (coverage == "2") return kBand2m;
    if (coverage == "7") return kBand70cm;
    return kBand10m;  // "1", and any value the configuration did not foresee
}

bool checkBand() {
    auto& R = radioState;
    const auto& C = catState;
    // Without a frequency answer there is nothing to judge: the band stays
    // and nothing may be stored (an empty text would read as 0 MHz and pull
    // the band to general coverage).
    const std::string hz = rightText(C.lastFreqReply, 9);
    if (!startsWith(C.lastFreqReply, "F") || hz.size() != 9 || !allDigits(hz)) return false;
    const int mhz = textInt(hz) / 1000000;
    R.bandCandidate = bandOfWholeMHz(mhz, kBandGeneral);
    int allowed = (R.bandCandidate != R.band || R.band == kNoBand) ? 0 : 1;
    R.band = R.bandCandidate;
    // FM never goes into the records of 160 m to 15 m.
    if (R.band < kBand12m && R.mode > kModeAm) allowed = 0;
    return allowed == 1;
}

void storeBand() {
    auto& R = radioState;
    const auto& C = catState;
    const std::string prefix = splitModeDigits();
    if (!checkBand()) return;
    if (!bandHasRecord(R.band) || C.bridgeUsed != 0) return;

    std::string& r = recordOf(R.band);
    std::string record = withField(r, kBandSplitAt, prefix);  // the split and mode digits
    // Simplex: the report is VFO A's, and VFO B keeps its stored value.
    // Split: the poll asks VFO B, so the report belongs in the B field.
    const int letterAt = R.splitState == 0 ? kBandVfoAAt : kBandVfoBAt;
    record = withField(record, letterAt + 1, frequencyDigitsOf(C.lastFreqReply));
    record = withField(record, kBandToneAt, committedToneCode());
    putText(r, record);
}

void recallBand() {
    auto& R = radioState;
    if (!bandHasRecord(R.band)) return;  // band 99 has no record to recall
    const std::string r = recordOf(R.band);

    if (R.splitState > 0 && midText(r, kBandSplitAt, 1) == "0") {
        // Leaving split for a simplex band: transmit and receive back on A
        // before anything else goes out.
        playPrompt("split");
        playPrompt("off");
        sendText("FT0");
        sendText("FR0");
        R.splitState = 0;
    }
    R.quietTicks = 0;

    R.mode = textInt(midText(r, kBandModeAt, 1));
    sendText(frequencyCommand("FA", recordHz(r, kBandVfoAAt)));

    takeSplitDigit(textInt(midText(r, kBandSplitAt, 1)));
    if (R.splitState > 0) {
        sendText(frequencyCommand("FB", recordHz(r, kBandVfoBAt)));
        playPrompt("split");
        sendText("FT1");
    }

    const std::string tone = midText(r, kBandToneAt, kToneWidth);
    R.toneCode = isCommittedTone(tone) ? tone : kNoTone;
    R.toneDigitsTyped = 0;
    if (R.mode == kModeFmNarrow && R.toneCode != kNoTone) {
        R.ctcssOn = 1;
        sendToneOn(R.toneCode);
        playPrompt("ctcss");
        speakDigits(toneNumberText(R.toneCode));
    }

    setPreamp(midText(r, kBandPreampAt, 1) == "1", true);

    speakBand(R.band);
    setMode(true);
}

void storeVfoA(long long hz) {
    const auto& R = radioState;
    if (!bandHasRecord(R.band) || catState.bridgeUsed != 0 || hz < 0) return;
    if (bandOfWholeMHz(static_cast<int>(hz / 1000000), kBandGeneral) != R.band) return;
    std::string& r = recordOf(R.band);
    putText(r, withField(r, kBandVfoAAt + 1, zeroPad(hz, kFreqDigits)));
}

void bandOfMHz() {
    auto& R = radioState;
    R.band = bandOfWholeMHz(R.freqMHz, kNoBand);
    if (R.band == kNoBand && R.splitState == 1 && R.splitAnnounced == 0) R.splitState = 0;
}

namespace {

// The start of a band step: outside every band there is nothing to step
// from, which is said; otherwise the band left is stored. False when no step
// is to be made.
bool leaveBandForStep() {
    if (!bandHasRecord(radioState.band)) {
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
    if (R.band < kFirstBand || R.band > highestBand()) R.band = highestBand();
    recallBand();
}

std::string frequencyField(bool vfoB) {
    const auto& R = radioState;
    const auto& C = catState;
    const std::string vfoRead = vfoB ? "FB" : "FA";
    if (C.freqReportSuperseded == 1) {
        const std::string sent = frequencyDigits(C.lastFreqCmd, vfoRead);
        if (!sent.empty()) return sent;
    }
    const bool reportUsable = C.freqReportSuperseded == 0;
    const std::string reported = frequencyDigits(C.lastFreqReply, vfoRead);
    if (reportUsable && !reported.empty() && R.bandCandidate == R.band) return reported;
    if (bandHasRecord(R.band)) {
        const std::string& record = R.bandTable[R.band];
        const int letterAt = vfoB ? kBandVfoBAt : kBandVfoAAt;
        std::string field = recordDigits(record, letterAt);
        if (static_cast<int>(field.size()) == kFreqDigits && allDigits(field)) return field;
    }
    const std::string anyReported = frequencyDigits(C.lastFreqReply, "F");
    if (reportUsable && !anyReported.empty()) return anyReported;
    return zeroPad(R.freqHz, kFreqDigits);
}

