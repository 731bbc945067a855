// The CW message typed at the keyboard: J opens it, the keys that are CW
// characters collect it, Enter hands it to the radio's keyer through the one
// path for CW text (radio cw_text), any other key ends it unsent.
#include "keys/cw_message.h"

#include <string>

#include "keys/dispatcher.h"
#include "keys/keys_state.h"
#include "radio/cw_text.h"
#include "radio/gains.h"
#include "radio/radio_state.h"
#include "session/session_state.h"
#include "speech/prompts.h"

namespace {

// The CW character of the key being handled, '\0' for a key that is none.
// Letters with or without Shift; only the slash key has a shifted meaning.
char cwCharacterOfKey() {
    const auto& K = keysState;
    const int code = K.keyCode;
    if (code >= kKeyA && code <= kKeyZ) return static_cast<char>(code);
    if (code >= kKey0 && code <= kKey9) return static_cast<char>(code);
    switch (code) {
    case kKeySpace: return ' ';
    case kKeyPeriod: return '.';
    case kKeyComma: return ',';
    case kKeyEquals: return '=';
    case kKeySlash: return K.shiftHeld == 1 ? '?' : '/';
    default: return '\0';
    }
}

void closeMessage() {
    auto& K = keysState;
    K.cwMessageOpen = 0;
    K.cwMessage.clear();
}

void addCharacter(char c) {
    auto& K = keysState;
    if (static_cast<int>(K.cwMessage.size()) >= kCwTextCapacity) {
        playPrompt("max");
        return;
    }
    K.cwMessage += c;
    playPrompt(cwCharacterPrompt(c));
}

void sendMessage() {
    auto& K = keysState;
    if (sessionState.connected == 0) {
        playPrompt("nc");
        return;
    }
    if (cwCharacters(K.cwMessage).find_first_not_of(' ') == std::string::npos) {
        closeMessage();
        playPrompt("cancelled");
        return;
    }
    // The speed set at the radio's front panel times how long J still stops it.
    readKeyerSpeed();
    if (!queueCwText(K.cwMessage)) {
        playPrompt("na");
        return;
    }
    closeMessage();
    playPrompt("sending");
}

}  // namespace

const char* cwCharacterPrompt(char c) {
    static const char* const kLetters[] = {"a", "b", "c", "d", "e", "f", "g", "h", "i", "j", "k", "l", "m",
                                           "n", "o", "p", "q", "r", "s", "t", "u", "v", "w", "x", "y", "z"};
    static const char* const kDigits[] = {"0", "1", "2", "3", "4", "5", "6", "7", "8", "9"};
    if (c >= 'A' && c <= 'Z') return kLetters[c - 'A'];
    if (c >= '0' && c <= '9') return kDigits[c - '0'];
    switch (c) {
    case ' ': return "space";
    case '.': return "fullstop";
    case ',': return "comma";
    case '/': return "slash";
    case '?': return "question";
    case '=': return "equals";
    default: return nullptr;
    }
}

void cwKey() {
    auto& K = keysState;
    if (!radioSendsCwText()) {
        playPrompt("cw");
        playPrompt("na");
        return;
    }
    if (cwKeyerSounding()) {
        stopCwText();
        playPrompt("cw");
        playPrompt("stopped");
        return;
    }
    K.adjustTarget = kTargetTuning;
    K.cwMessageOpen = 1;
    K.cwMessage.clear();
    playPrompt("cwmessage");
}

bool cwMessageKey() {
    const auto& K = keysState;
    const char c = cwCharacterOfKey();
    if (c != '\0') {
        addCharacter(c);
        return true;
    }
    if (K.keyCode == kKeyEnter) {
        sendMessage();
        return true;
    }
    closeMessage();
    playPrompt("cancelled");
    return K.keyCode == kKeyEscape;
}
