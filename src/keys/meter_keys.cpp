// The meter keys: the S key's S-meter or SWR, and the F11 microphone-gain
// run with its ALC watch.
#include "keys/meter_keys.h"

#include <string>

#include "base/text.h"
#include "keys/keys_state.h"
#include "link/exchange.h"
#include "radio/gains.h"
#include "radio/models.h"
#include "radio/radio_state.h"
#include "session/meters.h"
#include "speech/prompts.h"

namespace {

// Speaks sMeter as "s" and the S unit ("9" "plus" from kSNinePlus; "na"
// while the radio has given no reading).
void speakSMeter() {
    const int sMeter = radioState.sMeter;
    playPrompt("s");
    if (sMeter == kNoSMeterReading) {
        // The radio has not given a reading: a made-up "0" would sound like
        // a dead band.
        playPrompt("na");
    } else if (sMeter >= kSNinePlus) {
        playPrompt("9");
        playPrompt("plus");
    } else {
        speakDigits(plainNumber(sMeter < 0 ? 0 : sMeter / kStepsPerSUnit));
    }
}

}  // namespace

void meterKey() {
    const auto& R = radioState;
    if (R.txState < 1 && R.tuning != 1) speakSMeter();
    else speakSwr();
}

void startAlcWatch() {
    auto& R = radioState;
    playPrompt("micgain");
    keysState.adjustTarget = kTargetMicGain;  // Up and Down now step the microphone gain
    R.quietTicks = 0;
    playPrompt("lev");

    // A missing answer keeps the gain the program knew: stepping from a
    // made-up value would change the radio's gain by more than one step.
    R.micGain = replyValue(exchangeWithRadio("MG").text, "MG", kMicGainReplyOffset, kLevelDigits, R.micGain);

    R.alcValue = 0;
    sendText(meterSelectCommand(kMeterAlc));
    R.alcValue = replyValue(exchangeWithRadio("RM").text, meterLetters(kMeterAlc), kAlcFieldOffset, kMeterFieldLength, 0);

    R.alcAnnounce = -1;  // the start value is spoken without "alc"
    speakAlc();
    waitForReply();
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
