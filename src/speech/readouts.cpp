// Readouts: frequency, bandwidth, power, band, mode, ALC and keyer speed as prompt sequences.
#include "speech/readouts.h"

#include <cstdlib>

#include "shell/program_state.h"
#include "shell/text.h"
#include "speech/prompts.h"

namespace {

constexpr int kFreqDigits = 11;  // Hz field of a band record and of a frequency answer

// Digits of a number without sign, one prompt each.
void speakNumber(long long value) { speakDigits(plainNumber(std::llabs(value))); }

// The 11-digit Hz field the frequency readout speaks. For bands 1 to 14 it is
// the band record's VFO A field, or VFO B's while split. Outside every band
// (band 99) there is no record: the readout speaks the frequency the radio
// last reported (the answer kept in lastFreqReply, else freqHz), and the
// same when a record's field is damaged.
std::string frequencyField() {
    const auto& R = radioState;
    const auto& C = catState;
    const std::string reported = midText(C.lastFreqReply, 3, kFreqDigits);
    const bool reportUsable = startsWith(C.lastFreqReply, "F") &&
                              static_cast<int>(reported.size()) == kFreqDigits && allDigits(reported);
    // The radio's last report for the VFO read, when the band has followed it
    // (bandCandidate is the band of the last report): the record can be
    // behind it, for a report not yet stored after a band change, or never
    // stored while another program drives the radio.
    const std::string vfoRead = R.splitState > 0 ? "FB" : "FA";
    if (reportUsable && startsWith(C.lastFreqReply, vfoRead) && R.bandCandidate == R.band) return reported;
    if (R.band >= 1 && R.band <= 14) {
        const std::string& record = R.bandTable[R.band];
        std::string field = R.splitState > 0 ? midText(record, 16, kFreqDigits)
                                             : midText(record, 4, kFreqDigits);
        if (static_cast<int>(field.size()) == kFreqDigits && allDigits(field)) return field;
    }
    if (reportUsable) return reported;
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
    if (R.mode == 1 || R.mode == 2) {
        // High-cut index 0..12 stands for 1.0 to 3.4 kHz in 200 Hz steps.
        const int index = R.filterWidth;
        playPrompt(index <= 4 ? "1" : index <= 9 ? "2" : "3");
        playPrompt("point");
        if (index >= 0 && index <= 12) speakNumber((index * 2) % 10);
        playPrompt("khz");
    } else if (R.mode == 3) {
        const int width = R.filterWidth;
        if (width < 1000) {
            speakNumber(width);
            playPrompt("hz");
        } else {
            playPrompt(width < 2000 ? "1" : "2");
            playPrompt("point");
            playPrompt(midText(plainNumber(width), 2, 1));
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
        keysState.adjustTarget = 0;
        return;
    }
    speakNumber(R.txPower);
    playPrompt("watts");
}

void speakBand() {
    static const char* const kBandNames[15] = {"",   "160", "80", "60", "40", "30", "20", "17",
                                               "15", "12",  "10", "6",  "2",  "70", "un"};
    const int band = radioState.band;
    if (band < 1 || band > 14) return;  // 99: outside every band
    playPrompt(kBandNames[band]);
    if (band <= 13) playPrompt("metres");
}

void speakMode() {
    switch (radioState.mode) {
    case 1: playPrompt("lsb.wav"); break;
    case 2: playPrompt("usb.wav"); break;
    case 3: playPrompt("cw.wav"); break;
    case 4: playPrompt("am.wav"); break;
    case 5:
        playPrompt("fm.wav");
        playPrompt("nar.wav");
        break;
    case 7: playPrompt("fm.wav"); break;
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
    speakNumber(R.alcValue);
    R.quietTicks = 0;
}

void speakKeyerSpeed() {
    // Two digits from 10 up, one below; the whole number should a radio
    // report a speed of 100 or more.
    speakNumber(radioState.keyerSpeed);
    playPrompt("wpm");
}
