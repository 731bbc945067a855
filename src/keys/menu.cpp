// Extended menu access: the radio's numbered setup menu reached by the "EX"
// command, number first, then a value to set or Enter alone to hear it.
#include "keys/menu.h"

#include "base/text.h"
#include "keys/keys_state.h"
#include "link/cat_state.h"
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

// Speaks the value characters of the "EX" answer in replyText: digits as
// their prompts, "." as "point", anything else (letters, blanks) skipped.
void speakMenuReply() {
    const int at = findText(catState.replyText, "EX");
    if (at == 0) return;
    const std::string reply = midText(catState.replyText, at);
    const int last = findText(reply, ";") - 1;
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
    auto& C = catState;
    C.busy = 1;  // the poll must not take the menu's answer
    if (K.menuValue.empty()) {
        waitForReply();
        readReply();  // whatever the radio sent before the query is not the answer
        queryRadio(menuCommand());
        speakMenuReply();
    } else if (static_cast<int>(K.menuValue.size()) > kMenuValueMaxDigits) {
        playPrompt("invalid");
    } else {
        sendText(menuCommand() + K.menuValue);
        playPrompt("ok");
    }
    K.adjustTarget = kTargetTuning;
    C.busy = 0;
}
