// Readouts: frequency, bandwidth, power, band, mode, ALC and keyer speed as prompt sequences.
#include "speech/readouts.h"

#include "shell/program_state.h"
#include "shell/records.h"
#include "shell/text.h"
#include "speech/prompts.h"

namespace {

// The 11 frequency digits of a frequency command or answer led by letters,
// or "" when it is led by others or damaged.
std::string frequencyDigits(const std::string& text, std::string_view letters) {
    const std::string digits = midText(text, 3, kFreqDigits);
    if (!startsWith(text, letters) || static_cast<int>(digits.size()) != kFreqDigits || !allDigits(digits)) return {};
    return digits;
}

// The 11-digit Hz field the frequency readout speaks. Once the program has
// sent a frequency, nothing the radio reported before counts: until its next
// report the frequency sent is spoken (a recall or a tuning key, or another
// program's command through the pass-through, which leaves the band records
// alone). Otherwise the radio's last report, when the band has followed it
// (bandCandidate is the band of the last report): the record can be behind
// it, for a report not yet stored after a band change, or never stored while
// another program drives the radio. Then the band record's VFO A field, or
// VFO B's while split; outside every band (band 99) there is no record, and
// the report of the other VFO, else freqHz, is spoken, the same when a
// record's field is damaged.
std::string frequencyField() {
    const auto& R = radioState;
    const auto& C = catState;
    const std::string vfoRead = R.splitState > 0 ? "FB" : "FA";
    if (C.freqReportSuperseded == 1) {
        const std::string sent = frequencyDigits(C.lastFreqCmd, vfoRead);
        if (!sent.empty()) return sent;
    }
    const bool reportUsable = C.freqReportSuperseded == 0;
    const std::string reported = frequencyDigits(C.lastFreqReply, vfoRead);
    if (reportUsable && !reported.empty() && R.bandCandidate == R.band) return reported;
    if (bandHasRecord(R.band)) {
        const std::string& record = R.bandTable[R.band];
        const int letterAt = R.splitState > 0 ? kBandVfoBAt : kBandVfoAAt;
        std::string field = recordDigits(record, letterAt);
        if (static_cast<int>(field.size()) == kFreqDigits && allDigits(field)) return field;
    }
    const std::string anyReported = frequencyDigits(C.lastFreqReply, "F");
    if (reportUsable && !anyReported.empty()) return anyReported;
    return zeroPad(R.freqHz, kFreqDigits);
}

}  // namespace

void speakFrequency() {
    auto& S = shellState;
    const auto& R = radioState;
    const std::string field = frequencyField();

    // MHz with six decimals, leading zeros removed: "14.074000", ".500000".
    std::string text = leftText(field, 5) + "." + rightText(field, 6);
    std::size_t firstKept = 0;
    while (firstKept < text.size() && text[firstKept] == '0') ++firstKept;
    putText(S.freqText, std::string_view(text).substr(firstKept));

    if (R.splitState > 0) playPrompt("vfob");
    const int point = findText(S.freqText, ".");
    speakDigits(leftText(S.freqText, point - 1));

    std::string decimals = midText(S.freqText, point + 1);
    while (!decimals.empty() && decimals.back() == '0') decimals.pop_back();
    if (!decimals.empty()) {
        playPrompt("point");
        speakDigits(decimals);
    }
    playPrompt("mhz");
}

void speakBandwidth() {
    const auto& R = radioState;
    playPrompt("bw");
    if (R.mode == kModeLsb || R.mode == kModeUsb) {
        // High-cut index 0..12 stands for 1.0 to 3.4 kHz in 200 Hz steps.
        const int index = R.filterWidth;
        speakDigits(index <= 4 ? "1" : index <= 9 ? "2" : "3");
        playPrompt("point");
        if (index >= 0 && index <= 12) speakDigits(plainNumber((index * 2) % 10));
        playPrompt("khz");
    } else if (R.mode == kModeCw) {
        const int width = R.filterWidth;
        if (width < 1000) {
            speakDigits(plainNumber(width));
            playPrompt("hz");
        } else {
            speakDigits(width < 2000 ? "1" : "2");
            playPrompt("point");
            speakDigits(midText(plainNumber(width), 2, 1));
            playPrompt("khz");
        }
    }
}

void speakPower() {
    const auto& R = radioState;
    if (reducedFeatureRadio()) {
        // The reduced-feature radio has a fixed output: nothing to adjust,
        // so the arrow keys go back to tuning.
        playPrompt("4");
        playPrompt("point");
        playPrompt("5");
        playPrompt("watts");
        keysState.adjustTarget = kTargetTuning;
        return;
    }
    speakDigits(plainNumber(R.txPower));
    playPrompt("watts");
}

void speakBand() {
    static const char* const kBandNames[15] = {"",   "160", "80", "60", "40", "30", "20", "17",
                                               "15", "12",  "10", "6",  "2",  "70", "un"};
    const int band = radioState.band;
    if (!bandHasRecord(band)) return;  // kNoBand: outside every band
    playPrompt(kBandNames[band]);
    if (band != kBandGeneral) playPrompt("metres");
}

void speakMode() {
    switch (radioState.mode) {
    case kModeLsb: playPrompt("lsb"); break;
    case kModeUsb: playPrompt("usb"); break;
    case kModeCw: playPrompt("cw"); break;
    case kModeAm: playPrompt("am"); break;
    case kModeFmNarrow:
        playPrompt("fm");
        playPrompt("nar");
        break;
    case kModeFm: playPrompt("fm"); break;
    default: break;
    }
}

void speakAlc() {
    auto& R = radioState;
    if (R.alcAnnounce == 1) {
        // "alc" once at the start of a series of readings.
        playPrompt("alc");
        R.alcAnnounce = 2;
    }
    speakDigits(plainNumber(R.alcValue));
    R.quietTicks = 0;
}

void speakKeyerSpeed() {
    // Two digits from 10 up, one below; the whole number should a radio
    // report a speed of 100 or more.
    speakDigits(plainNumber(radioState.keyerSpeed));
    playPrompt("wpm");
}
