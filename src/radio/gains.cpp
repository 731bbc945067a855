// Gains and levels: each setting goes to the radio as its command letters
// and a fixed-width zero-padded decimal field.
#include "radio/gains.h"

#include <string_view>

#include "base/text.h"
#include "link/exchange.h"
#include "radio/radio_state.h"
#include "speech/readouts.h"

namespace {

constexpr int kLevelDigits = 3;        // "MG", "AG0", "RG", "PC" fields
constexpr int kKeyerSpeedDigits = 2;   // "KS0" field

// prefix + value as width digits, sent. The steps keep every value inside
// its range; zeroPad still holds a stray value to the field width.
void sendSetting(std::string_view prefix, int value, int width) {
    std::string command(prefix);
    command += zeroPad(value, width);
    sendText(command);
}

}  // namespace

void sendMicGain() { sendSetting("MG", radioState.micGain, kLevelDigits); }

void sendAfGain() { sendSetting("AG0", radioState.afGain, kLevelDigits); }

void sendRfGain() { sendSetting("RG", radioState.rfGain, kLevelDigits); }

void sendKeyerSpeed() { sendSetting("KS0", radioState.keyerSpeed, kKeyerSpeedDigits); }

void sendPower() {
    const auto& R = radioState;
    sendSetting("PC", R.txPower, kLevelDigits);
    // The tune command restores the power silently after tuning.
    if (R.quietPowerSet == 0) speakPower(R.txPower, reducedFeatureRadio());
}
