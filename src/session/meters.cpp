// Meter answers and their readouts: the S-meter on screen, the SWR while
// tuning or transmitting, the ALC peaks of the F11 watch.
#include "session/meters.h"

#include <iterator>
#include <string>
#include <string_view>

#include "base/text.h"
#include "link/exchange.h"
#include "radio/models.h"
#include "radio/radio_state.h"
#include "screen/display.h"
#include "speech/prompts.h"

namespace {

constexpr int kSMeterX = 750;
constexpr int kSMeterY = 45;
constexpr int kSwrTopTenths = 60;     // above a ratio of 6 the readout says "gt6"
constexpr int kAlcQuietTicks = 10;    // ticks between two spoken ALC peaks

// Reply fields, counted from the first letter of the marker.
constexpr int kAlcPollOffset = 5;     // last two of the ALC meter's four digits
constexpr int kAlcPollLength = 2;
constexpr int kSMeterOffset = 5;      // "SM0" + four digits: characters 6 and 7
constexpr int kReducedSMeterOffset = 3;  // "SM" + three digits: characters 4 and 5
constexpr int kSMeterLength = 2;

// The S-meter as the common 0..30 scale, from the connected model's scale.
// An answer without digits where the reading stands ("SM;", as radios that
// cannot read the meter answer) is no reading: false, value untouched.
bool sMeterFromReply(std::string_view answer, int& value) {
    const SMeterScale scale = connectedModel().sMeterScale;
    int reading = 0;
    if (scale == kSMeterNinety) {
        if (!replyNumber(answer, "SM", kReducedSMeterOffset, kSMeterLength, reading)) return false;
        reading /= 3;
        if (reading >= 28 && reading <= 31) reading = 27;  // this scale's top readings are S9
    } else if (!replyNumber(answer, "SM", kSMeterOffset, kSMeterLength, reading)) {
        return false;
    }
    if (scale == kSMeterTwenty) reading = reading / 2 + reading;
    value = reading < 0 ? 0 : reading;
    return true;
}

void showSMeter() {
    const int s = radioState.sMeter;
    std::string text = "S";
    // The two blanks erase an earlier "9+".
    if (s >= kSNinePlus) text += "9+";
    else text += plainNumber(s < 0 ? 0 : s / kStepsPerSUnit) + "  ";
    printAt(kSMeterX, kSMeterY, text);
}

// SWR while tuning: every reading is kept (the S key speaks the last one)
// and spoken when the configuration asks for it. A garbled count keeps the
// last reading rather than claiming a perfect match.
void handleSwrReply(std::string_view answer) {
    auto& R = radioState;
    std::string field;
    if (!replyField(answer, meterLetters(kMeterSwr), kSwrFieldOffset, kMeterFieldLength, field)) return;
    const bool countRead = static_cast<int>(field.size()) == kMeterFieldLength && allDigits(field);
    // The reduced-feature radio's reading is spoken from its reply's own
    // characters below; it is not a meter count.
    if (countRead && !reducedFeatureRadio())
        putText(R.swrText, plainNumber(swrTenths(textInt(field))));
    // Spoken only while tuning: a radio that gives all its meters at once
    // also reports SWR to the ALC watch. And only when nothing else is
    // being said: a reading that comes meanwhile is kept, and the next one
    // after it is spoken, so the operator never hears a backlog of ratios.
    if (R.swrSpeech <= 0 || R.tuning != 1 || speechBusy()) return;

    if (reducedFeatureRadio()) {
        // This radio's reading is spoken from the reply's own characters.
        const bool named = R.tunerState != TunerState::kSwrAnnounced;
        if (named) playPrompt("swr");
        const std::string whole = midText(answer, 3, 1);
        const std::string tenth = midText(answer, 4, 1);
        // Only digits name recordings: a garbled character is not spoken.
        if (allDigits(whole)) speakDigits(whole);
        playPrompt("point");
        if (allDigits(tenth)) speakDigits(tenth);
        if (named) playPrompt("21");
        R.tunerState = TunerState::kSwrAnnounced;
        return;
    }
    speakSwr();
}

// ALC during the watch: keep the peak, speak it after a quiet spell.
void handleAlcReply(std::string_view answer) {
    auto& R = radioState;
    const std::string alc = meterLetters(kMeterAlc);
    if (findText(answer, alc) == 0 || R.alcAnnounce == AlcWatch::kOff) return;
    const int reading = replyValue(answer, alc, kAlcPollOffset, kAlcPollLength, 0);
    if (reading > R.alcValue) R.alcValue = reading;
    // The peak is kept while speech sounds, and spoken after it.
    if (R.quietTicks > kAlcQuietTicks && !speechBusy()) speakAlc();
}

void handleSMeterReply(std::string_view answer) {
    auto& R = radioState;
    if (!startsWith(answer, "SM") || R.tuning != 0) return;
    if (!sMeterFromReply(answer, R.sMeter)) return;
    showSMeter();
}

}  // namespace

// The radio's SWR meter (0..30 dots on the TS-590) is printed 1.0 at count
// 0, 1.5 at 6, 2.0 at 12, 3.0 at 18 and about 10 at its far end, 30; between
// those marks it reads as straight lines. The readout says what that scale
// shows, in tenths, rounded half up.
int swrTenths(int meterCount) {
    struct Mark {
        int count, tenths;
    };
    static constexpr Mark kScale[] = {{0, 10}, {6, 15}, {12, 20}, {18, 30}, {30, 100}};
    if (meterCount <= kScale[0].count) return kScale[0].tenths;
    for (int i = 1; i < static_cast<int>(std::size(kScale)); ++i) {
        const Mark& a = kScale[i - 1];
        const Mark& b = kScale[i];
        if (meterCount > b.count) continue;
        const int span = b.count - a.count;
        return a.tenths + ((meterCount - a.count) * (b.tenths - a.tenths) * 2 + span) / (2 * span);
    }
    return kScale[std::size(kScale) - 1].tenths;
}

void speakSwr() {
    auto& R = radioState;
    const bool named = R.tunerState != TunerState::kSwrAnnounced;
    if (named) playPrompt("swr");
    if (R.swrText.empty()) {
        // No reading has come from the radio yet: say so rather than a ratio.
        playPrompt("na");
        return;
    }
    const int tenths = textInt(R.swrText);
    if (tenths > kSwrTopTenths) {
        playPrompt("gt6");
    } else {
        speakDigits(plainNumber(tenths < 10 ? 1 : tenths / 10));
        playPrompt("point");
        speakDigits(plainNumber(tenths < 10 ? 0 : tenths % 10));
    }
    if (named || R.txState > 0) playPrompt("21");
    R.tunerState = TunerState::kSwrAnnounced;
}

void handleMeterReply(std::string_view answer) {
    handleSwrReply(answer);
    handleAlcReply(answer);
    handleSMeterReply(answer);
}

void speakAlc() {
    auto& R = radioState;
    if (R.alcAnnounce == AlcWatch::kNameNext) {
        // "alc" once at the start of a series of readings.
        playPrompt("alc");
        R.alcAnnounce = AlcWatch::kNameSaid;
    }
    speakDigits(plainNumber(R.alcValue));
    R.quietTicks = 0;
}
