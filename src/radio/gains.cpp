// Gains and levels: the limits every path holds them to, and each setting
// going to the radio as its command letters and a fixed-width zero-padded
// decimal field.
#include "radio/gains.h"

#include <algorithm>
#include <string>
#include <string_view>

#include "base/text.h"
#include "link/exchange.h"
#include "radio/models.h"
#include "radio/radio_state.h"
#include "speech/readouts.h"

namespace {

constexpr int kKeyerSpeedDigits = 2;   // "KS0" field

// prefix + value as width digits, sent. The steps keep every value inside
// its range; zeroPad still holds a stray value to the field width.
void sendSetting(std::string_view prefix, int value, int width) {
    std::string command(prefix);
    command += zeroPad(value, width);
    sendText(command);
}

}  // namespace

int powerTop() {
    const auto& R = radioState;
    return R.mode == kModeAm ? R.powerCeiling / 4 : R.powerCeiling;
}

int heldPower(int watts) {
    const int top = powerTop();
    if (watts > top) watts = top;
    return watts < kPowerFloor ? kPowerFloor : watts;
}

bool holdPowerToModel() {
    auto& R = radioState;
    const int top = connectedModel().topWatts;
    if (R.txPower <= top && R.powerCeiling <= top) return false;
    R.txPower = std::min(R.txPower, top);
    R.powerCeiling = std::min(R.powerCeiling, top);
    return true;
}

int heldKeyerSpeed(int wpm) {
    if (wpm > kKeyerFastest) return kKeyerFastest;
    return wpm < kKeyerSlowest ? kKeyerSlowest : wpm;
}

void sendMicGain() { sendSetting("MG", radioState.micGain, kLevelDigits); }

void sendAfGain() { sendSetting("AG0", radioState.afGain, kLevelDigits); }

void sendRfGain() { sendSetting("RG", radioState.rfGain, kLevelDigits); }

void sendKeyerSpeed() { sendSetting("KS0", radioState.keyerSpeed, kKeyerSpeedDigits); }

void readKeyerSpeed() {
    takeKeyerSpeedAnswer(exchangeWithRadio("KS").text);
}

bool takeKeyerSpeedAnswer(std::string_view answer) {
    std::string speed;
    if (!replyDigits(answer, "KS", kKeyerReplyOffset, kKeyerReplyDigits, speed)) return false;
    radioState.keyerSpeed = textInt(speed);
    return true;
}

void sendSquelch() { sendSetting("SQ0", radioState.squelchLevel, kLevelDigits); }

void sendNbLevel() { sendSetting("NL", radioState.nbLevel, kLevelDigits); }

void sendNrLevel() { sendSetting("RL", radioState.nrLevel, kNrLevelDigits); }

void sendPower(bool spoken) {
    const auto& R = radioState;
    sendSetting("PC", R.txPower, kLevelDigits);
    if (spoken) speakPower(R.txPower, reducedFeatureRadio());
}
