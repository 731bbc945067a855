// Readouts: frequency, bandwidth, power, band, mode and keyer speed as prompt sequences.
#include "speech/readouts.h"

#include "base/named_values.h"
#include "base/records.h"
#include "base/text.h"
#include "speech/prompts.h"

void speakFrequency(std::string_view hzDigits, bool vfoB) {
    // MHz with six decimals, leading zeros removed: "14.074000", ".500000".
    const std::string freqText = displayFrequency(hzDigits);

    if (vfoB) playPrompt("vfob");
    const int point = findText(freqText, ".");
    speakDigits(leftText(freqText, point - 1));

    std::string decimals = midText(freqText, point + 1);
    while (!decimals.empty() && decimals.back() == '0') decimals.pop_back();
    if (!decimals.empty()) {
        playPrompt("point");
        speakDigits(decimals);
    }
    playPrompt("mhz");
}

void speakBandwidth(int mode, int filterWidth) {
    playPrompt("bw");
    if (isSsb(mode)) {
        // High-cut index 0..12 stands for 1.0 to 3.4 kHz in 200 Hz steps.
        const int index = filterWidth;
        speakDigits(index <= 4 ? "1" : index <= 9 ? "2" : "3");
        playPrompt("point");
        if (index >= 0 && index <= 12) speakDigits(plainNumber((index * 2) % 10));
        playPrompt("khz");
    } else if (mode == kModeCw) {
        const int width = filterWidth;
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

void speakPower(int watts, bool fixedOutput) {
    if (fixedOutput) {
        // The reduced-feature radio's fixed output.
        playPrompt("4");
        playPrompt("point");
        playPrompt("5");
        playPrompt("watts");
        return;
    }
    speakDigits(plainNumber(watts));
    playPrompt("watts");
}

void speakBand(int band) {
    static const char* const kBandNames[kBandSlots] = {"",   "160", "80", "60", "40", "30", "20", "17",
                                               "15", "12",  "10", "6",  "2",  "70", "un"};
    if (!bandHasRecord(band)) return;  // kNoBand: outside every band
    playPrompt(kBandNames[band]);
    if (band != kBandGeneral) playPrompt("metres");
}

void speakMode(int mode) {
    switch (mode) {
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

void speakKeyerSpeed(int wordsPerMinute) {
    // Two digits from 10 up, one below; the whole number should a radio
    // report a speed of 100 or more.
    speakDigits(plainNumber(wordsPerMinute));
    playPrompt("wpm");
}
