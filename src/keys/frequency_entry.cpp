// Frequency entry (E, digits, point, Enter), the frequency readout (F), the
// zero key (Z) and the tuning keys of the last row of the key chain.
#include "keys/frequency_entry.h"

#include <string>

#include "base/records.h"
#include "base/text.h"
#include "keys/dispatcher.h"
#include "keys/keys_state.h"
#include "link/exchange.h"
#include "radio/band_table.h"
#include "radio/gains.h"
#include "radio/mode_filter.h"
#include "radio/radio_state.h"
#include "radio/toggles.h"
#include "radio/vfo_split.h"
#include "speech/prompts.h"
#include "speech/readouts.h"

namespace {

constexpr int kLowestEntryMHz = 1;
constexpr int kHighestEntryMHz = 439;
constexpr int kFmToAmBelowMHz = 25;   // FM narrow is not used below 25 MHz: AM instead
constexpr int kLastFmPageBand = kBand6m;   // Page Up/Down step 12.5 kHz in FM narrow above 6 m
constexpr int kSquelchStep = 5;

// Fraction digits typed after the point, in the order typed.
std::string typedFraction() {
    const auto& K = keysState;
    return K.entryZeros + (K.entryFraction > 0 ? plainNumber(K.entryFraction) : std::string());
}

// The typed frequency in hertz: whole MHz, then the fraction digits as the
// leading digits of the six below the point.
long long typedHz() {
    std::string fraction = leftText(typedFraction(), kMaxFractionDigits);
    while (fraction.size() < static_cast<std::size_t>(kMaxFractionDigits)) fraction += '0';
    return radioState.freqMHz * 1000000LL + textInt(fraction);
}

// Left and Right in FM narrow: the squelch instead of the frequency.
void squelchStep(int delta) {
    auto& R = radioState;
    R.squelchLevel += delta;
    if (R.squelchLevel > kGainTop) {
        R.squelchLevel = kGainTop;
        playPrompt("max");
    } else if (R.squelchLevel < 1) {
        R.squelchLevel = 0;
        playPrompt("0");
    }
    sendSquelch();
}

int pageStepHz() {
    const auto& R = radioState;
    const bool fmChannels = R.mode == kModeFmNarrow && R.band > kLastFmPageBand && R.band != kNoBand;
    return fmChannels ? 12500 : 10000;
}

int fineStepHz() { return radioState.mode == kModeCw ? 10 : 100; }

}  // namespace

void startFrequencyEntry() {
    auto& K = keysState;
    auto& R = radioState;
    R.freqMHz = 0;
    K.entryFraction = 0;
    K.entryZeros.clear();
    K.adjustTarget = kTargetTuning;
    playPrompt("ef");
    K.entryPoint = 0;
    K.entryActive = 1;
}

void frequencyEntryPoint() {
    auto& K = keysState;
    K.entryPoint = 1;
    K.entryZeros.clear();
    playPrompt("point");
}

void frequencyEntryDigit() {
    auto& K = keysState;
    auto& R = radioState;
    if (K.entryActive <= 0 || K.keyCode < kKey0 || K.keyCode > kKey9) return;
    const int d = K.keyCode - kKey0;
    if (K.entryPoint == 0) {
        R.freqMHz = R.freqMHz * 10 + d;
    } else {
        // Six fraction digits reach 1 Hz; a seventh would widen the command.
        if (static_cast<int>(typedFraction().size()) >= kMaxFractionDigits) {
            playPrompt("max");
            return;
        }
        if (K.entryFraction == 0 && d == 0) K.entryZeros += '0';
        K.entryFraction = K.entryFraction * 10 + d;
    }
    speakDigits(plainNumber(d));
    if (R.freqMHz > kHighestEntryMHz || R.freqMHz < kLowestEntryMHz) {
        playPrompt("invalid");
        K.entryActive = 0;
    }
}

void commitFrequencyEntry() {
    auto& K = keysState;
    auto& R = radioState;
    if (K.entryActive == 0) return;
    K.entryActive = 0;
    // Enter before any megahertz digit ("E Enter", "E . Enter") would tune
    // the radio to 0 Hz and switch the preamp: refuse it and change nothing.
    if (R.freqMHz < kLowestEntryMHz) {
        playPrompt("invalid");
        return;
    }
    R.quietTicks = 0;

    bandOfMHz();
    const bool inBand = bandHasRecord(R.band);
    // Outside every band there is no record to take a mode from: the
    // current mode stays.
    if (inBand) {
        const int recorded = textInt(midText(R.bandTable[R.band], kBandModeAt, 1));
        if (isModeNumber(recorded)) R.mode = recorded;
        if (R.freqMHz < kFmToAmBelowMHz && R.mode == kModeFmNarrow) R.mode = kModeAm;
    }
    setMode(true);
    if (R.band == kNoBand) R.splitState = 0;

    sendText(frequencyCommand(listeningVfo(), typedHz()));

    // The band's own preamp setting; outside every band the preamp goes off
    // and no record is touched.
    setPreamp(inBand && midText(R.bandTable[R.band], kBandPreampAt, 1) == "1", true);
    playPrompt("ok");
}

void frequencyReadout() {
    auto& K = keysState;
    auto& R = radioState;
    const bool otherVfo = K.adjustTarget == kTargetExtended;
    const bool split = R.splitState > 0;
    // The extended state reads the VFO not in use. VFO A is named only once
    // split has been announced: before that the operator has not heard of B.
    const bool vfoB = otherVfo ? !split : split;
    if (otherVfo && split && R.splitAnnounced == 1) playPrompt("vfoa");
    speakFrequency(frequencyField(vfoB), vfoB);
    speakMode(R.mode);
    if (R.ctcssOn == 1) {
        const std::string first = leftText(R.toneCode, 1);
        playPrompt(first == "N" || first == "R" ? "dcs" : "ctcss");
        speakDigits(toneNumberText(R.toneCode));
    }
    K.adjustTarget = kTargetTuning;
}

void zeroKey() {
    playPrompt("0");
    playPrompt("ok");
    // CW has the radio's own zero beat; the other modes round the frequency.
    if (radioState.mode == kModeCw) sendText("CA01");
    else zeroFrequency();
}

void tuningKeys() {
    const auto& K = keysState;
    auto& R = radioState;
    long long hz = R.freqHz;
    switch (K.keyCode) {
        case kKeyEquals:
        case kKeyPadPlus: hz += 1000000; break;
        case kKeyMinus:
        case kKeyPadMinus: hz -= 1000000; break;
        case kKeyPageUp: hz += pageStepHz(); break;
        case kKeyPageDown: hz -= pageStepHz(); break;
        case kKeyRight:
            if (R.mode == kModeFmNarrow) return squelchStep(kSquelchStep);
            hz += fineStepHz();
            break;
        case kKeyLeft:
            if (R.mode == kModeFmNarrow) return squelchStep(-kSquelchStep);
            hz -= fineStepHz();
            break;
        default: break;
    }
    // Every key that gets here sends the frequency again, stepped or not.
    moveFrequency(hz, true);
    sendWorkingFrequency();
}
