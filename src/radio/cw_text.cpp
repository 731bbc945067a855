// CW text through the radio's keyer: the "KY" command of each model and the
// queue that feeds the radio's buffer piece by piece, asking "KY;" for room.
#include "radio/cw_text.h"

#include <cstdint>

#include "base/text.h"
#include "link/exchange.h"
#include "platform/platform.h"
#include "radio/gains.h"
#include "radio/radio_state.h"

namespace {

constexpr int kCwFullWaitMs = 45;   // a full buffer is asked again on the next tick (50 ms)
constexpr int kKyStateOffset = 2;   // "KY" and one digit: 0 or 2 room, 1 full
constexpr int kFirmwareOffset = 2;  // "FV" and the version, "1.10"
constexpr int kFirmwareLength = 4;

// Keying time in dots (PARIS): a dot 1, a dash 3, 1 between elements, 3
// after a character, 7 after a word.
constexpr int kDotsPerWordMs = 1200;        // a dot at 1 word per minute
constexpr int kCharacterGapDots = 3;
constexpr int kWordGapDots = 7;

// The Morse code of each character the keyer takes; with the blank, the
// characters isCwCharacter keeps.
struct CwCode {
    char c;
    const char* code;
};
constexpr CwCode kCwCodes[] = {
    {'A', ".-"},    {'B', "-..."},   {'C', "-.-."},   {'D', "-.."},    {'E', "."},      {'F', "..-."},
    {'G', "--."},   {'H', "...."},   {'I', ".."},     {'J', ".---"},   {'K', "-.-"},    {'L', ".-.."},
    {'M', "--"},    {'N', "-."},     {'O', "---"},    {'P', ".--."},   {'Q', "--.-"},   {'R', ".-."},
    {'S', "..."},   {'T', "-"},      {'U', "..-"},    {'V', "...-"},   {'W', ".--"},    {'X', "-..-"},
    {'Y', "-.--"},  {'Z', "--.."},   {'0', "-----"},  {'1', ".----"},  {'2', "..---"},  {'3', "...--"},
    {'4', "....-"}, {'5', "....."},  {'6', "-...."},  {'7', "--..."},  {'8', "---.."},  {'9', "----."},
    {'/', "-..-."}, {'?', "..--.."}, {'.', ".-.-.-"}, {',', "--..--"}, {'-', "-....-"}, {'=', "-...-"},
    {'+', ".-.-."}, {'@', ".--.-."},
};

// Dots of c with the gap after it; 0 for a character the keyer does not take.
int dotsOf(char c) {
    if (c == ' ') return kWordGapDots - kCharacterGapDots;  // the word gap completes the character gap
    for (const CwCode& k : kCwCodes) {
        if (k.c != c) continue;
        int dots = kCharacterGapDots - 1;  // the character gap, less the element gap counted below
        for (const char* e = k.code; *e != '\0'; ++e) dots += (*e == '-' ? 3 : 1) + 1;
        return dots;
    }
    return 0;
}

// The form of the radio connected now; a model whose form changed with its
// firmware is asked the firmware.
CwTextForm formOfRadio() {
    const ModelRow& model = connectedModel();
    int firmware = 0;
    if (model.cwFormNewFirmware != model.cwForm) {
        std::string field;
        if (replyField(exchangeWithRadio("FV").text, "FV", kFirmwareOffset, kFirmwareLength, field)) firmware = firmwareOfField(field);
    }
    return cwTextForm(model.rigModel, firmware);
}

// Forgets the queue and the keying time. The form stays: it is the
// connected radio's until the link is lost.
void clearCwQueue() {
    auto& R = radioState;
    R.cwText.clear();
    R.cwRadioBusy = 0;
    R.cwKeyedUntilMs = 0;
}

}  // namespace

void dropCwText() {
    clearCwQueue();
    radioState.cwForm = kCwFormNone;
}

int cwKeyingMs(std::string_view text, int wpm) {
    int dots = 0;
    for (char c : cwCharacters(text)) dots += dotsOf(c);
    return dots * kDotsPerWordMs / heldKeyerSpeed(wpm);
}

CwTextForm cwTextForm(int rigModel, int firmware) {
    const ModelRow& model = modelRow(rigModel);
    return firmware >= kCwFirmwareNewForm ? model.cwFormNewFirmware : model.cwForm;
}

std::string cwTextCommand(CwTextForm form, std::string_view piece) {
    if (piece.size() > static_cast<std::size_t>(kCwPieceLength)) piece = piece.substr(0, kCwPieceLength);
    // Right-aligned, a piece's closing word gap goes to the front with the
    // field's blanks, so that the text ends where the field ends.
    if (form == kCwFormRightAligned)
        while (!piece.empty() && piece.back() == ' ') piece.remove_suffix(1);
    const std::string blanks(kCwPieceLength - piece.size(), ' ');
    switch (form) {
    case kCwFormRightAligned: return "KY " + blanks + std::string(piece);
    case kCwFormPadded: return "KY " + std::string(piece) + blanks;
    case kCwFormBare: return "KY2" + std::string(piece);
    default: return {};
    }
}

int cwPieceOf(std::string_view text) {
    const int size = static_cast<int>(text.size());
    if (size <= kCwPieceLength) return size;
    for (int n = kCwPieceLength; n > 0; --n)
        if (text[n - 1] == ' ') return n;
    return kCwPieceLength;
}

bool isCwCharacter(char c) {
    if (c == ' ') return true;
    for (const CwCode& k : kCwCodes)
        if (k.c == c) return true;
    return false;
}

std::string cwCharacters(std::string_view text) {
    std::string out;
    for (char c : upperText(text)) {
        if (c == ' ' && !out.empty() && out.back() == ' ') continue;  // one word gap
        if (isCwCharacter(c)) out += c;
    }
    return out;
}

int firmwareOfField(std::string_view field) {
    if (field.size() != 4 || field[1] != '.') return 0;
    const std::string digits = std::string(field.substr(0, 1)) + std::string(field.substr(2));
    return allDigits(digits) ? textInt(digits) : 0;
}

bool radioSendsCwText() { return cwTextForm(radioState.rigModel, 0) != kCwFormNone; }

bool queueCwText(std::string_view text) {
    auto& R = radioState;
    if (!radioSendsCwText()) return false;
    std::string clean = cwCharacters(text);
    // A piece never starts with a blank: the field's alignment shows its text.
    if (R.cwText.empty() && !clean.empty() && clean[0] == ' ') clean.erase(0, 1);
    if (R.cwText.size() + clean.size() > static_cast<std::size_t>(kCwTextCapacity)) return false;
    R.cwText += clean;
    return true;
}

bool cwTextPending() {
    const auto& R = radioState;
    return !R.cwText.empty() || R.cwRadioBusy == 1;
}

bool cwKeyerSounding() { return cwTextPending() || platTickMs() < radioState.cwKeyedUntilMs; }

bool stopCwText() {
    const bool pending = cwTextPending();
    clearCwQueue();
    if (radioSendsCwText()) sendText("KY0");
    return pending;
}

void serviceCwText() {
    auto& R = radioState;
    if (!cwTextPending()) return;
    if (!radioSendsCwText()) return clearCwQueue();
    if (platTickMs() < R.cwAskAtMs) return;
    if (R.cwForm == kCwFormNone) R.cwForm = formOfRadio();
    std::string state;
    if (!replyField(exchangeWithRadio("KY").text, "KY", kKyStateOffset, 1, state) || (state != "0" && state != "1" && state != "2"))
        return clearCwQueue();  // the radio takes no text now: nothing is kept to send later
    if (state == "1") {
        R.cwAskAtMs = platTickMs() + kCwFullWaitMs;
        return;
    }
    if (R.cwText.empty()) {
        // Room, and nothing left to send: this text is done, though the
        // keyer may still be keying its end (cwKeyedUntilMs stays). The
        // form stays known until the link is lost.
        R.cwRadioBusy = 0;
        return;
    }
    const std::string piece = leftText(R.cwText, cwPieceOf(R.cwText));
    R.cwText.erase(0, piece.size());
    sendText(cwTextCommand(static_cast<CwTextForm>(R.cwForm), piece));
    R.cwRadioBusy = 1;
    // A piece waits in the buffer behind what the keyer still keys.
    const std::int64_t now = platTickMs();
    R.cwKeyedUntilMs = (R.cwKeyedUntilMs > now ? R.cwKeyedUntilMs : now) + cwKeyingMs(piece, R.keyerSpeed);
}
