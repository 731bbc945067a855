// Meter answers and their readouts: the S-meter on screen and on the S key,
// the SWR while tuning or transmitting, and the F11 microphone-gain run with
// its ALC watch.
#include "keys/meters.h"

#include <string>

#include "cat/exchange.h"
#include "screen/display.h"
#include "shell/program_state.h"
#include "shell/text.h"
#include "speech/prompts.h"
#include "speech/readouts.h"

namespace {

constexpr int kSMeterX = 750;
constexpr int kSMeterY = 45;
constexpr int kStepsPerSUnit = 3;     // sMeter runs 0..30, three steps per S unit
constexpr int kSNinePlus = 30;        // sMeter from here on is above S9
constexpr int kSwrStepsPerUnit = 6;   // swrText steps per unit of ratio
constexpr int kSwrOffScale = 30;      // swrText "30": ratio 6 or more
constexpr int kSwrMeterFull = 30;     // radio's SWR meter count at an infinite ratio
constexpr int kAlcQuietTicks = 10;    // ticks between two spoken ALC peaks

// Reply fields, counted from the first letter of the marker.
constexpr int kSwrFieldOffset = 3;    // "RM1" + four digits
constexpr int kMeterFieldLength = 4;
constexpr int kAlcPollOffset = 5;     // last two of the four "RM3" digits
constexpr int kAlcPollLength = 2;
constexpr int kSMeterOffset = 5;      // "SM0" + four digits: characters 6 and 7
constexpr int kReducedSMeterOffset = 3;  // "SM" + three digits: characters 4 and 5
constexpr int kSMeterLength = 2;

// The S-meter as the common 0..30 scale: model 100 counts three times as
// fine, model 20 two thirds as fine.
int sMeterFromReply() {
    const auto& C = catState;
    int value;
    if (reducedFeatureRadio()) {
        value = replyValue("SM", kReducedSMeterOffset, kSMeterLength, 0) / 3;
        if (value >= 28 && value <= 31) value = 27;  // this radio's top readings are S9
    } else {
        value = replyValue("SM", kSMeterOffset, kSMeterLength, 0);
    }
    if (C.rigModel == 20) value = value / 2 + value;
    return value;
}

void showSMeter() {
    const int s = radioState.sMeter;
    std::string text = "S";
    // The two blanks erase an earlier "9+".
    if (s > kSNinePlus - 1) text += "9+";
    else text += plainNumber(s < 0 ? 0 : s / kStepsPerSUnit) + "  ";
    printAt(kSMeterX, kSMeterY, text);
}

// SWR while tuning: every reading is kept (the S key speaks the last one)
// and spoken when the configuration asks for it. A garbled count keeps the
// last reading rather than claiming a perfect match.
void handleSwrReply() {
    const auto& S = shellState;
    auto& R = radioState;
    std::string field;
    if (!replyField("RM1", kSwrFieldOffset, kMeterFieldLength, field)) return;
    const bool countRead = static_cast<int>(field.size()) == kMeterFieldLength && allDigits(field);
    // The reduced-feature radio's reading is spoken from its reply's own
    // characters below; it is not a meter count.
    if (countRead && !reducedFeatureRadio())
        putText(R.swrText, plainNumber(swrReadoutSteps(textInt(field))));
    if (S.swrSpeech <= 0) return;

    if (reducedFeatureRadio()) {
        // This radio's reading is spoken from the reply's own characters.
        const std::string& reply = catState.replyText;
        if (R.tunerState < 2) playPrompt("swr");
        const std::string whole = midText(reply, 3, 1);
        const std::string tenth = midText(reply, 4, 1);
        // Only digits name recordings: a garbled character is not spoken.
        if (allDigits(whole)) playPrompt(whole);
        playPrompt("point");
        if (allDigits(tenth)) playPrompt(tenth);
        if (R.tunerState < 2) playPrompt("21");
        R.tunerState = 2;
        return;
    }
    speakSwr();
}

// ALC during the watch: keep the peak, speak it after a quiet spell.
void handleAlcReply() {
    auto& R = radioState;
    if (findText(catState.replyText, "RM3") == 0 || R.alcAnnounce <= 0) return;
    const int reading = replyValue("RM3", kAlcPollOffset, kAlcPollLength, 0);
    if (reading > R.alcValue) R.alcValue = reading;
    if (R.quietTicks > kAlcQuietTicks) speakAlc();
}

void handleSMeterReply() {
    auto& R = radioState;
    if (!startsWith(catState.replyText, "SM") || R.tuning != 0) return;
    R.sMeter = sMeterFromReply();
    showSMeter();
}

}  // namespace

// A Kenwood SWR meter is a reflection meter: its needle (and the count the
// radio reports, 0 to 30) moves linearly with the reflection coefficient
// |G| = count / 30, and the scale printed under it reads SWR = (1 + |G|) /
// (1 - |G|) = (30 + count) / (30 - count): count 0 is 1.0, 6 is 1.5, 10 is
// 2.0, 15 is 3.0, 20 is 5.0, 30 is infinite. The readout steps are six per
// unit of ratio above 1, so steps = 6 x (SWR - 1) = 12 x count / (30 - count),
// rounded; a ratio of 6 or more (count 22 and up) is off the readout's scale.
int swrReadoutSteps(int meterCount) {
    if (meterCount <= 0) return 0;
    if (meterCount >= kSwrMeterFull) return kSwrOffScale;
    const int remaining = kSwrMeterFull - meterCount;
    const int steps = (2 * kSwrStepsPerUnit * meterCount + remaining / 2) / remaining;
    return steps >= kSwrOffScale ? kSwrOffScale : steps;
}

void speakSMeter() {
    auto& C = catState;
    const int units = radioState.sMeter / kStepsPerSUnit;
    playPrompt("s");
    if (units >= 10) {
        playPrompt("9");
        playPrompt("plus");
    } else {
        speakDigits(plainNumber(units < 0 ? 0 : units));
    }
    // The answer the poll is waiting for arrived during the speech and is
    // stale: drop it and let the next tick ask again.
    C.replyText.clear();
    C.pollAwaitingReply = 0;
}

void speakSwr() {
    auto& R = radioState;
    if (R.tunerState < 2) playPrompt("SWR");
    if (R.swrText.empty()) {
        // No reading has come from the radio yet: say so rather than a ratio.
        playPrompt("na");
        return;
    }
    if (R.swrText == plainNumber(kSwrOffScale)) {
        playPrompt("gt6");
    } else {
        int steps = textInt(R.swrText);
        if (steps < 0) steps = 0;
        const int whole = steps / kSwrStepsPerUnit;
        // The steps left over are sixths of a unit, spoken as the nearest tenth.
        const int tenths = ((steps - kSwrStepsPerUnit * whole) * 10 + kSwrStepsPerUnit / 2) / kSwrStepsPerUnit;
        speakDigits(plainNumber(1 + whole));
        playPrompt("point");
        speakDigits(plainNumber(tenths));
    }
    if (R.tunerState < 2 || R.txState > 0) playPrompt("21");
    if (R.tunerState < 2) R.tunerState = 2;
}

void handleMeterReply() {
    handleSwrReply();
    handleAlcReply();
    handleSMeterReply();
}

void meterKey() {
    const auto& R = radioState;
    if (R.txState < 1 && R.tuning != 1) speakSMeter();
    else speakSwr();
}

void startAlcWatch() {
    auto& R = radioState;
    playPrompt("micgain");
    keysState.adjustTarget = 12;  // Up and Down now step the microphone gain
    R.quietTicks = 0;
    playPrompt("lev");

    // A missing answer keeps the gain the program knew: stepping from a
    // made-up value would change the radio's gain by more than one step.
    queryRadio("MG");
    R.micGain = replyValue("MG", 2, 3, R.micGain);

    R.alcValue = 0;
    queryRadio("RM3");
    R.alcValue = replyValue("RM3", 3, kMeterFieldLength, 0);

    R.alcAnnounce = -1;  // the start value is spoken without "alc"
    speakAlc();
    speakDelay();
    R.alcValue = 0;
    R.alcAnnounce = 1;
}

void endAlcWatch() {
    auto& R = radioState;
    R.alcAnnounce = -1;
    playPrompt("micgain");
    playPrompt("lev");
    R.alcValue = R.micGain;
    speakAlc();
    R.alcAnnounce = 0;
    R.alcValue = 0;
    playPrompt("off");
}
