// Transmit (Space), tune (T), antenna tuner (F12), split (V) and the CTCSS
// tone entry (I, digits, Enter).
#include "keys/transmit_keys.h"

#include <string>

#include "cat/exchange.h"
#include "keys/dispatcher.h"
#include "radio/gains.h"
#include "radio/mode_filter.h"
#include "radio/vfo_split.h"
#include "screen/display.h"
#include "shell/program_state.h"
#include "shell/records.h"
#include "shell/text.h"
#include "speech/prompts.h"

namespace {

constexpr int kTxParked = 10;        // txState = kTxParked + the parked swrSpeech
constexpr int kTimedTunePauses = 21; // pauses given to the tuner with tunerMode 2
constexpr int kAfterTunePauses = 5;  // pauses after "RX" before the power goes back

// End of the tune sequence: back to receive, power and mode restored.
void tuneOff() {
    auto& S = shellState;
    auto& R = radioState;
    R.tuning = 0;
    playPrompt("off.wav");
    if (S.swrSpeech == 2) S.swrSpeech = 1;
    if (S.tunerMode == 0 && !reducedFeatureRadio()) {
        sendText("AC110");
        return;
    }
    if (!reducedFeatureRadio()) {
        sendText("RX");
        for (int i = 0; i < kAfterTunePauses; ++i) speakDelay();
        R.quietPowerSet = 1;
        sendPower();
        R.quietPowerSet = 0;
    }
    setMode();
}

}  // namespace

void transmitKey() {
    auto& S = shellState;
    auto& R = radioState;
    if (R.txState == 0) {
        playPrompt("tx");
        playPrompt("on");
        // SWR speech is silenced while keyed by hand and given back on release.
        R.txState = S.swrSpeech + kTxParked;
        S.swrSpeech = 0;
        R.tunerState = 0;
        sendText("TX");
    } else {
        S.swrSpeech = R.txState - kTxParked;
        R.txState = 0;
        sendText("RX");
        playPrompt("tx");
        playPrompt("off");
    }
}

void tuneKey() {
    auto& S = shellState;
    auto& R = radioState;
    playPrompt("tune.wav");
    if (!reducedFeatureRadio()) {
        sendText("RM1");  // the radio's meter shows SWR
        if (R.tunerState == 0 && S.tunerMode != 1) {
            sendText("AC110");
            R.tunerState = 1;
        }
        if (R.tuning == 1) return tuneOff();
        R.tuning = 1;
        playPrompt("on.wav");
        if (S.tunerMode == 0 || S.tunerMode == 2) {
            sendText("AC111");  // start the automatic tuner
            if (S.tunerMode == 0) return;
            for (int i = 0; i < kTimedTunePauses; ++i) speakDelay();
            playPrompt("ok");
            sendText("AC110");
        }
    }
    if (S.tunerMode == 1 && R.tunerState == 0) {
        playPrompt("atu");
        playPrompt("off");
    }
    // The carrier: 5 W of AM keyed by command, or CW keyed by the operator
    // on the reduced radio.
    if (!reducedFeatureRadio()) {
        sendText("PC005");
        sendText("MD5");
        sendText("TX2");
        return;
    }
    if (R.tuning == 1) return tuneOff();
    R.tuning = 1;
    playPrompt("on");
    sendText("MD3");
    playPrompt("presskey");
}

void tunerKey() {
    auto& R = radioState;
    playPrompt("tuner");
    if (R.tunerState == 0) {
        sendText("AC110");
        playPrompt("on");
        R.tunerState = 1;
    } else {
        sendText("AC000");
        playPrompt("off");
        R.tunerState = 0;
    }
}

void splitKey() {
    auto& C = catState;
    auto& K = keysState;
    auto& R = radioState;
    if (!bandHasRecord(R.band)) {
        playPrompt("split");
        playPrompt("invalid");
        return;
    }
    K.adjustTarget = kTargetTuning;
    R.splitState = R.splitState == 0 ? 1 : 0;
    if (R.splitState == 1) {
        putText(R.splitFreqCmd, leftText(C.lastFreqCmd, 13));
        sendText(reducedFeatureRadio() ? "FT2" : "FT1");
        return;  // "split" is announced with the next frequency answer
    }
    if (reducedFeatureRadio()) sendText("FT0");
    sendText("RX0");
    std::string& record = R.bandTable[R.band];
    const std::string vfoA = frequencyCommand("FA", recordHz(record, kBandVfoAAt));
    if (C.bridgeUsed == 0) {
        // Only a committed code belongs in the record: typed digits are no
        // tone, and a half-typed number would shift the preamp flag.
        putText(record, withField(record, kBandToneAt, committedToneCode()));
    }
    sendText(vfoA);
    // The chain's frequency send that follows would put the working
    // frequency back on VFO A: swallow it.
    C.skipNextSend = 1;
    playPrompt("split");
    playPrompt("off");
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
    if (K.keyCode < kVk0 || K.keyCode > kVk9) return;
    // A committed tone is not an entry: a stray digit would make it typed
    // digits, and the next band store would drop the tone. I starts a new one.
    if (committedToneCode() != kNoTone) return;
    if (R.toneCode == kNoTone) R.toneCode.clear();
    R.toneCode += static_cast<char>(K.keyCode);
    capText(R.toneCode);
    R.toneDigitsTyped += 1;
    speakDigits(plainNumber(K.keyCode - kVk0));
}
