// Tune (T) and the CTCSS tone entry (I, digits, Enter). Transmit, split
// and the antenna tuner are radio functions the network port runs too.
#include "keys/transmit_keys.h"

#include <string>

#include "base/records.h"
#include "base/text.h"
#include "keys/dispatcher.h"
#include "keys/keys_state.h"
#include "link/exchange.h"
#include "platform/platform.h"
#include "radio/gains.h"
#include "radio/mode_filter.h"
#include "radio/models.h"
#include "radio/panel.h"
#include "radio/radio_state.h"
#include "radio/vfo_split.h"
#include "speech/prompts.h"

namespace {

constexpr int kTimedTunePauses = 21; // reply pauses given to the tuner with tunerMode 2
constexpr int kAfterTunePauses = 5;  // reply pauses after "RX" before the power goes back

// A step of the tune sequence, due that many reply pauses from now.
void scheduleTuneStep(TuneStep step, int pauses) {
    auto& K = keysState;
    K.tuneStep = step;
    K.tuneStepDueMs = platTickMs() + static_cast<std::int64_t>(pauses) * replyPauseMs();
}

// The carrier: 5 W of AM keyed by command.
void sendTuneCarrier() {
    sendText("PC005");
    sendText("MD5");
    sendText("TX2");
}

// End of the tune sequence: back to receive, power and mode restored after
// the radio's pause.
void tuneOff() {
    auto& R = radioState;
    auto& K = keysState;
    // A tuner still tuning is stopped: a carrier must always have its way out.
    if (K.tuneStep == TuneStep::kTunerRunning) sendText("AC110");
    K.tuneStep = TuneStep::kNone;
    R.tuning = 0;
    playPrompt("off");
    if (R.swrSpeech == 2) R.swrSpeech = 1;
    if (R.tunerMode == 0 && !reducedFeatureRadio()) {
        sendText("AC110");
        return;
    }
    if (!reducedFeatureRadio()) {
        sendText("RX");
        scheduleTuneStep(TuneStep::kAfterReceive, kAfterTunePauses);
        return;
    }
    setMode(true);
}

}  // namespace

void tuneKey() {
    auto& R = radioState;
    playPrompt("tune");
    if (!reducedFeatureRadio()) {
        sendText(meterSelectCommand(kMeterSwr));  // the radio's meter shows SWR
        if (R.tunerState == TunerState::kOff && R.tunerMode != 1) {
            sendText("AC110");
            R.tunerState = TunerState::kOn;
        }
        if (R.tuning == 1) return tuneOff();
        R.tuning = 1;
        keysState.tuneStep = TuneStep::kNone;
        playPrompt("on");
        if (R.tunerMode == 0 || R.tunerMode == 2) {
            sendText("AC111");  // start the automatic tuner
            if (R.tunerMode == 0) return;
            // The tuner's time runs on the tick: keys and the poll go on.
            scheduleTuneStep(TuneStep::kTunerRunning, kTimedTunePauses);
            return;
        }
    }
    if (R.tunerMode == 1 && R.tunerState == TunerState::kOff) {
        playPrompt("atu");
        playPrompt("off");
    }
    // The carrier: 5 W of AM keyed by command, or CW keyed by the operator
    // on the reduced radio.
    if (!reducedFeatureRadio()) return sendTuneCarrier();
    if (R.tuning == 1) return tuneOff();
    R.tuning = 1;
    playPrompt("on");
    sendText("MD3");
    playPrompt("presskey");
}

void continueTune() {
    auto& K = keysState;
    if (K.tuneStep == TuneStep::kNone || platTickMs() < K.tuneStepDueMs) return;
    const TuneStep step = K.tuneStep;
    K.tuneStep = TuneStep::kNone;
    if (step == TuneStep::kTunerRunning) {
        playPrompt("ok");
        sendText("AC110");
        sendTuneCarrier();
        return;
    }
    sendPower(false);  // the power goes back silently after tuning
    setMode(true);
}

void toneKey() {
    auto& R = radioState;
    if (R.ctcssOn != 1) {
        playPrompt("ec");
        R.ctcssOn = 1;
        R.toneCode = kNoTone;
        R.toneDigitsTyped = 0;
        return;
    }
    sendText("CT0");
    R.ctcssOn = 0;
    R.toneCode = kNoTone;
    updateStatusRow();
    playPrompt("ctcss");
    playPrompt("off");
}

void commitTone() {
    auto& R = radioState;
    const int n = textInt(R.toneCode);
    if (R.toneCode.size() == 2 && allDigits(R.toneCode) && n <= kHighestToneNumber) {
        playPrompt("ctcss");
        playPrompt("on");
        R.toneCode = "0" + R.toneCode;
        R.toneDigitsTyped = 0;
        sendToneOn(R.toneCode);
        updateStatusRow();
        return;
    }
    playPrompt("invalid");
    R.ctcssOn = 0;
    // A rejected entry leaves no tone behind: typed digits would go into the
    // band record at the next store. Enter again on a committed code, with
    // no digit typed, leaves it: the radio's tone is still on, and the band
    // record keeps it.
    R.toneCode = committedToneCode();
    R.toneDigitsTyped = 0;
}

void toneDigit() {
    auto& K = keysState;
    auto& R = radioState;
    if (K.keyCode < kKey0 || K.keyCode > kKey9) return;
    // A committed tone is not an entry: a stray digit would make it typed
    // digits, and the next band store would drop the tone. I starts a new one.
    if (committedToneCode() != kNoTone) return;
    if (R.toneCode == kNoTone) R.toneCode.clear();
    R.toneCode += static_cast<char>(K.keyCode);
    capText(R.toneCode);
    R.toneDigitsTyped += 1;
    speakDigits(plainNumber(K.keyCode - kKey0));
}
