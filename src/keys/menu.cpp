// Extended menu access: the radio's numbered setup menu reached by the "EX"
// command, number first, then a value to set or Enter alone to hear it.
#include "keys/menu.h"

#include "base/text.h"
#include "keys/keys_state.h"
#include "link/exchange.h"
#include "radio/radio_state.h"
#include "speech/prompts.h"

namespace {

// A model with five-digit menu numbers separates the value by a blank; the
// three-digit numbers are followed by "0000".
bool fiveDigitMenus() { return connectedModel().menuDigits == 5; }

// "EX", the number and the separator: the read query, and the set command
// without its value.
std::string menuCommand() {
    return "EX" + keysState.menuNumber + (fiveDigitMenus() ? " " : "0000");
}

// Speaks the value characters of the "EX" answer: digits as their prompts,
// "." as "point", anything else (letters, blanks, the closing ";") skipped.
void speakMenuReply(std::string_view reply) {
    const int last = static_cast<int>(reply.size());
    const int first = fiveDigitMenus() ? 9 : 10;  // first value character after "EX"
    for (int i = first; i <= last; ++i) {
        const std::string c = midText(reply, i, 1);
        if (c == ".") playPrompt("point");
        else if (allDigits(c)) speakDigits(c);
    }
}

}  // namespace

void startMenuEntry() {
    auto& K = keysState;
    if (reducedFeatureRadio()) {
        playPrompt("na");
        return;
    }
    playPrompt("mn");
    K.adjustTarget = kTargetMenuNumber;
    K.menuNumber.clear();
}

void menuDigit() {
    auto& K = keysState;
    if (K.keyCode < '0' || K.keyCode > '9') return;
    const std::string digit(1, static_cast<char>(K.keyCode));
    if (K.adjustTarget == kTargetMenuNumber) {
        K.menuNumber += digit;
        capText(K.menuNumber);
    } else if (K.adjustTarget == kTargetMenuValue) {
        K.menuValue += digit;
        capText(K.menuValue);
    } else {
        return;
    }
    speakDigits(digit);
}

void menuNumberEntered() {
    auto& K = keysState;
    K.adjustTarget = kTargetMenuValue;
    if (static_cast<int>(K.menuNumber.size()) != connectedModel().menuDigits) {
        playPrompt("invalid");
        K.adjustTarget = kTargetTuning;
        return;
    }
    playPrompt("mp");
    K.menuValue.clear();
}

void menuValueEntered() {
    auto& K = keysState;
    if (K.menuValue.empty()) {
        // Time for the radio to settle; what it sent meanwhile is not the answer.
        waitForReply();
        speakMenuReply(exchangeWithRadio(menuCommand()).text);
    } else if (static_cast<int>(K.menuValue.size()) > kMenuValueMaxDigits) {
        playPrompt("invalid");
    } else {
        sendText(menuCommand() + K.menuValue);
        playPrompt("ok");
    }
    K.adjustTarget = kTargetTuning;
}
