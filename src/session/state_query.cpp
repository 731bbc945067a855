// The model check and the full radio-state query run on the first frequency
// answer after a (re)connection.
#include "session/state_query.h"

#include <string>

#include "base/records.h"
#include "base/text.h"
#include "link/cat_state.h"
#include "link/exchange.h"
#include "link/serial_port.h"
#include "radio/band_table.h"
#include "radio/gains.h"
#include "radio/panel.h"
#include "radio/radio_state.h"
#include "radio/toggles.h"
#include "radio/vfo_split.h"
#include "session/session_state.h"
#include "speech/prompts.h"
#include "speech/readouts.h"

namespace {

constexpr int kDefaultAfGain = 80;      // set when the radio does not tell its AF gain

// Offsets of the values after the answers' two letters.
constexpr int kAfGainOffset = 3;        // "AG0" + 3 digits
constexpr int kTunerOffset = 3;         // "AC" + P1 P2 P3: P2 is the transmit tuner switch
constexpr int kSwitchOffset = 2;        // "VX", "NR", "PR" + 1 digit
constexpr int kMonitorOffset = 2;       // "ML" + 3 digits
constexpr int kMonitorLength = 3;
constexpr int kModelOffset = 2;         // "ID" + 3 digits
constexpr int kModelDigits = 3;

// The current band's record, empty outside the 14 bands (band 99).
std::string currentBandRecord() {
    const auto& R = radioState;
    if (!bandHasRecord(R.band)) return {};
    return R.bandTable[R.band];
}

// Asks a one-character switch; its digit "1" is on. Without an answer the
// switch keeps previous.
SwitchState switchAnswer(std::string_view letters, SwitchState previous) {
    std::string field;
    if (!replyField(exchangeWithRadio(letters).text, letters, kSwitchOffset, 1, field)) return previous;
    return field == "1" ? SwitchState::kOn : SwitchState::kOff;
}

void readGains() {
    auto& R = radioState;
    if (!replyNumber(exchangeWithRadio("AG0").text, "AG", kAfGainOffset, kLevelDigits, R.afGain)) {
        R.afGain = kDefaultAfGain;
        sendAfGain();
    }
    // RF gain to full; the reduced-feature radio has a scale of its own.
    if (reducedFeatureRadio()) {
        R.rfGain = 40;
        sendText("RG054");
    } else {
        R.rfGain = 255;
        sendText("RG255");
    }
}

// The band's preamp flag "1" ends with the preamp on, anything else off.
void restorePreamp() { setPreamp(midText(currentBandRecord(), kBandPreampAt, 1) == "1", true); }

void sendFixedSettings() {
    sendText("RA00");  // attenuator off
    sendText("NB0");   // noise blanker off
    sendText("FW1500");
    sendPower(false);
    sendText("FR0");   // receive on VFO A
}

void readMirroredSettings() {
    auto& R = radioState;
    R.tunerState =
        replyValue(exchangeWithRadio("AC").text, "AC", kTunerOffset, 1, 0) == 0 ? TunerState::kOff : TunerState::kOn;

    int vox = 0;
    if (replyNumber(exchangeWithRadio("VX").text, "VX", kSwitchOffset, 1, vox)) {
        if (vox > 1) vox = 0;
        // The radio's VX switch is break-in in CW and VOX in the voice modes.
        if (R.mode == kModeCw)
            R.breakInState = vox == 1 ? SwitchState::kOn : SwitchState::kOff;
        else
            R.voxState = vox == 1 ? SwitchState::kOn : SwitchState::kOff;
    }
    updateStatusRow();

    R.nrState = switchAnswer("NR", R.nrState);
    updateStatusRow();

    std::string level;
    // Only three digits are a level the monitor key can send back.
    if (replyDigits(exchangeWithRadio("ML").text, "ML", kMonitorOffset, kMonitorLength, level)) {
        R.monitorLevel = level;
        R.monitorOn = 1;
    } else {
        R.monitorLevel = connectedModel().monitorStartLevel;
        R.monitorOn = 0;
    }

    R.procState = switchAnswer("PR", R.procState);
}

void restoreToneAndSplit() {
    auto& R = radioState;
    // Digits still being typed never reached the radio and are no tone.
    const std::string tone = committedToneCode();
    if (tone != kNoTone) {
        sendToneOn(tone);
        playPrompt("ctcss");
        speakDigits(toneNumberText(tone));
    }
    // Split is a repeater matter: only AM and FM narrow bring it back.
    std::string closing = "RX0";
    if (R.mode == kModeAm || R.mode == kModeFmNarrow) {
        takeSplitDigit(R.bandSplitFlag);
        if (R.splitState > 0) {
            sendText("FT1");  // transmit on VFO B
            playPrompt("split");
            const std::string record = currentBandRecord();
            closing = record.empty() ? "FB" : frequencyCommand("FB", recordHz(record, kBandVfoBAt));
        }
    }
    sendText(closing);
}

}  // namespace

void checkRadioModel() {
    auto& R = radioState;
    int model = 0;
    if (!replyNumber(exchangeWithRadio("ID").text, "ID", kModelOffset, kModelDigits, model)) return;
    R.rigModel = model;
    sessionState.modelAnswered = 1;
    if (connectedModel().idSharedWithReduced) {
        std::string field;
        if (replyField(exchangeWithRadio("OM").text, "OM", kSwitchOffset, 2, field) && field == "QC") R.rigModel = kReducedModel;
    }
    // rigvox.cfg's power may be more than this radio gives: "PC" would be refused or misread.
    if (holdPowerToModel())
        debugNotes("rigvox.cfg power held to " + plainNumber(R.txPower) + " W, the most model " +
                   plainNumber(R.rigModel) + " gives\n");
}

void queryRadioState() {
    const auto& C = catState;
    const auto& R = radioState;
    speakFrequency(frequencyField(R.splitState > 0), R.splitState > 0);
    speakMode(R.mode);
    readGains();
    if (!reducedFeatureRadio()) {
        restorePreamp();
        sendFixedSettings();
        readMirroredSettings();
        restoreToneAndSplit();
    }
    updateStatusRow();
    // The other program's port is (re)opened only once the radio answers.
    if (C.bridgePort > 0 && C.bridgePort != C.comPort) openPortSequence(C.bridgePort);
}
