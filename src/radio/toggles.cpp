// Receiver and transmit toggles: each names the function and says "on" or
// "off" when spoken, sends its switch command, flips its state and redraws
// the status row. The program's own state is the truth; nothing is read back
// except the noise levels that the arrow keys then adjust.
#include "radio/toggles.h"

#include <cstdint>
#include <string_view>

#include "base/records.h"
#include "base/text.h"
#include "link/cat_state.h"
#include "link/exchange.h"
#include "platform/platform.h"
#include "radio/gains.h"
#include "radio/panel.h"
#include "radio/radio_state.h"
#include "speech/prompts.h"

namespace {

constexpr int kTuneStartReplyOffset = 4;  // "AC" + P1 P2 P3: P3 is 1 while the tuner tunes

// The common switch: the function's name and "on" or "off" by the old state
// when spoken, the state flipped (every value but 0 counts as on), the
// command sent and the status row, which shows the switch, redrawn. True
// when the function is now on.
bool flipSwitch(int& state, bool spoken, std::string_view name, std::string_view onCommand,
                std::string_view offCommand) {
    const bool on = state == 0;
    if (spoken) {
        playPrompt(name);
        playPrompt(on ? "on" : "off");
    }
    state = on ? 1 : 0;
    sendText(on ? onCommand : offCommand);
    updateStatusRow();
    return on;
}

bool flipSwitch(SwitchState& state, bool spoken, std::string_view name, std::string_view onCommand,
                std::string_view offCommand) {
    const bool on = state == SwitchState::kOff;
    if (spoken) {
        playPrompt(name);
        playPrompt(on ? "on" : "off");
    }
    state = on ? SwitchState::kOn : SwitchState::kOff;
    sendText(on ? onCommand : offCommand);
    updateStatusRow();
    return on;
}

// The preamp state of the current band is kept in its record, so that each
// band comes back with its own preamp setting.
void storePreampFlag() {
    auto& R = radioState;
    if (!bandHasRecord(R.band)) return;
    std::string& record = R.bandTable[R.band];
    // A record too short to reach the flag is damaged: withField leaves it.
    record = withField(record, kBandPreampAt, R.preampOn == 1 ? "1" : "0");
}

// A noise function switched on becomes what the arrow keys step (target),
// and its level starts from the radio's own answer to query; switched off,
// the arrows leave it.
void followNoiseLevel(bool on, int target, std::string_view query, int offset, int digits, int& level) {
    auto& R = radioState;
    if (on) {
        R.levelTarget = target;
        // The level the arrow keys will step starts from the radio's own.
        level = replyValue(exchangeWithRadio(query).text, query, offset, digits, level);
    } else if (R.levelTarget == target) {
        R.levelTarget = kLevelNone;
    }
}

}  // namespace

void togglePreamp(bool spoken) {
    auto& R = radioState;
    if (reducedFeatureRadio()) {  // this radio has no preamp
        R.preampOn = 0;
        return;
    }
    flipSwitch(R.preampOn, spoken, "preamp", "PA1", "PA0");
    storePreampFlag();
}

void toggleAttenuator(bool spoken) { flipSwitch(radioState.attOn, spoken, "at", "RA01", "RA00"); }

void toggleNoiseBlanker(bool spoken) {
    auto& R = radioState;
    const bool on = flipSwitch(R.nbOn, spoken, "nb", "NB1", "NB0");
    followNoiseLevel(on, kLevelNoiseBlanker, "NL", kNbLevelReplyOffset, kLevelDigits, R.nbLevel);
    R.quietTicks = 0;
}

void toggleNoiseReduction(bool spoken) {
    auto& R = radioState;
    const bool on = flipSwitch(R.nrState, spoken, "nr", "NR1", "NR0");
    followNoiseLevel(on, kLevelNoiseReduction, "RL", kNrLevelReplyOffset, kNrLevelDigits, R.nrLevel);
}

void toggleNotch(bool spoken) {
    flipSwitch(radioState.notchOn, spoken, "notch", "NT10", "NT00");
}

void toggleProcessor(bool spoken) { flipSwitch(radioState.procState, spoken, "spc", "PR1", "PR0"); }

void toggleVox(bool spoken) {
    auto& R = radioState;
    // VOX and CW break-in share the radio's "VX" switch; the program keeps
    // their states apart by mode.
    const bool cw = R.mode == kModeCw;
    flipSwitch(cw ? R.breakInState : R.voxState, spoken, cw ? "bkin" : "vox", "VX1", "VX0");
}

void toggleTuner(bool spoken) {
    auto& R = radioState;
    if (spoken) playPrompt("tuner");
    if (R.tunerState == TunerState::kOff) {
        sendText("AC110");
        if (spoken) playPrompt("on");
        R.tunerState = TunerState::kOn;
    } else {
        sendText("AC000");
        if (spoken) playPrompt("off");
        R.tunerState = TunerState::kOff;
    }
}

void toggleMonitor(bool spoken) {
    auto& R = radioState;
    if (spoken) playPrompt("mon");
    if (R.monitorOn == 1) {
        if (spoken) playPrompt("off");
        R.monitorOn = 0;
        sendText("ML000");
        R.levelTarget = kLevelNone;
    } else {
        if (spoken) playPrompt("on");
        sendText("ML" + R.monitorLevel);
        R.monitorOn = 1;
    }
    updateStatusRow();
}

void setTransmitState(bool on) {
    auto& R = radioState;
    if (on == (R.txState > 0)) return;
    R.txByProgramAtMs = -1;
    if (on) {
        // SWR speech is silenced while keyed by hand and given back on release.
        R.txState = 1;
        R.parkedSwrSpeech = R.swrSpeech;
        R.swrSpeech = 0;
        R.tunerState = TunerState::kOff;
    } else {
        R.swrSpeech = R.parkedSwrSpeech;
        R.parkedSwrSpeech = 0;
        R.txState = 0;
        R.txAfterSpeech.clear();  // a transmission not yet keyed never will be
    }
}

void toggleTransmit(bool spoken, const char* txCommand) {
    auto& R = radioState;
    if (R.txState == 0) {
        setTransmitState(true);
        if (spoken) {
            // Keyed once "tx on" has sounded, so the words are not sent on
            // the air (sendTransmitAfterSpeech).
            playPrompt("tx");
            playPrompt("on");
            R.txAfterSpeech = txCommand;
            return;
        }
        sendText(txCommand);
    } else {
        setTransmitState(false);
        sendText("RX");
        if (spoken) {
            playPrompt("tx");
            playPrompt("off");
        }
    }
}

void sendTransmitAfterSpeech() {
    auto& R = radioState;
    if (R.txAfterSpeech.empty() || speechBusy()) return;
    sendText(R.txAfterSpeech);
    R.txAfterSpeech.clear();
}

bool endProgramTuning(bool spoken) {
    auto& R = radioState;
    if (R.tuneByProgramAtMs < 0) return false;
    R.tuneByProgramAtMs = -1;
    // Most tunings end by themselves well within the limit: asked first, a
    // finished one is not announced. No answer counts as still tuning.
    if (replyValue(exchangeWithRadio("AC").text, "AC", kTuneStartReplyOffset, 1, 1) == 0) return false;
    sendText("AC110");  // tuning stopped, tuner left in line, as T ends it
    if (spoken) {
        playPrompt("tune");
        playPrompt("off");
    }
    return true;
}

bool limitProgramTransmission() {
    const auto& R = radioState;
    if (R.txLimitSeconds <= 0) return false;
    const std::int64_t limitMs = static_cast<std::int64_t>(R.txLimitSeconds) * 1000;
    if (R.tuneByProgramAtMs >= 0 && platTickMs() - R.tuneByProgramAtMs >= limitMs) {
        if (endProgramTuning(true)) {
            if (catState.debugLog == 1) debugLine("Transmit limit reached: tuning stopped");
            return true;
        }
    }
    if (R.txState == 0 || R.txByProgramAtMs < 0) return false;
    if (platTickMs() - R.txByProgramAtMs < limitMs) return false;
    if (catState.debugLog == 1) debugLine("Transmit limit reached: back to receive");
    toggleTransmit(true);
    return true;
}

void setPreamp(bool on, bool spoken) {
    // togglePreamp flips preampOn, so it starts from the opposite.
    radioState.preampOn = on ? 0 : 1;
    togglePreamp(spoken);
}
