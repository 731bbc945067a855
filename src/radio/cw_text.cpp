// CW text through the radio's keyer: the "KY" command of each model and the
// queue that feeds the radio's buffer piece by piece, asking "KY;" for room.
#include "radio/cw_text.h"

#include <cstdint>

#include "base/text.h"
#include "link/exchange.h"
#include "platform/platform.h"
#include "radio/radio_state.h"

namespace {

constexpr int kCwFullWaitMs = 45;   // a full buffer is asked again on the next tick (50 ms)
constexpr int kKyStateOffset = 2;   // "KY" and one digit: 0 or 2 room, 1 full
constexpr int kFirmwareOffset = 2;  // "FV" and the version, "1.10"
constexpr int kFirmwareLength = 4;

// The models whose keyer takes text differently from the common form.
constexpr int kTs590s = 21;
constexpr int kTs990s = 22;
constexpr int kTs890s = 24;

// The form of the radio connected now; a TS-990S is asked its firmware.
CwTextForm formOfRadio() {
    const int model = radioState.rigModel;
    int firmware = 0;
    if (model == kTs990s) {
        queryRadio("FV");
        std::string field;
        if (replyField("FV", kFirmwareOffset, kFirmwareLength, field)) firmware = firmwareOfField(field);
    }
    return cwTextForm(model, firmware);
}

}  // namespace

void dropCwText() {
    auto& R = radioState;
    R.cwText.clear();
    R.cwRadioBusy = 0;
    R.cwForm = kCwFormNone;
}

CwTextForm cwTextForm(int rigModel, int firmware) {
    if (rigModel == kReducedModel) return kCwFormNone;
    if (rigModel == kTs590s) return kCwFormRightAligned;
    if (rigModel == kTs890s) return kCwFormBare;
    // An older TS-990S, and one whose firmware did not say, takes the padded form.
    if (rigModel == kTs990s && firmware >= kCwFirmwareNewForm) return kCwFormBare;
    return kCwFormPadded;
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
    return (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == ' ' || c == '/' || c == '?' || c == '.' ||
           c == ',' || c == '-' || c == '=' || c == '+' || c == '@';
}

std::string cwCharacters(std::string_view text) {
    std::string out;
    for (char c : text) {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
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

bool stopCwText() {
    const bool pending = cwTextPending();
    dropCwText();
    if (radioSendsCwText()) sendText("KY0");
    return pending;
}

void serviceCwText() {
    auto& R = radioState;
    if (!cwTextPending()) return;
    if (!radioSendsCwText()) return dropCwText();
    if (platTickMs() < R.cwAskAtMs) return;
    if (R.cwForm == kCwFormNone) R.cwForm = formOfRadio();
    queryRadio("KY");
    std::string state;
    if (!replyField("KY", kKyStateOffset, 1, state) || (state != "0" && state != "1" && state != "2"))
        return dropCwText();  // the radio takes no text now: nothing is kept to send later
    if (state == "1") {
        R.cwAskAtMs = platTickMs() + kCwFullWaitMs;
        return;
    }
    if (R.cwText.empty()) {
        // Room, and nothing left to send: this text is done.
        dropCwText();
        return;
    }
    const std::string piece = leftText(R.cwText, cwPieceOf(R.cwText));
    R.cwText.erase(0, piece.size());
    sendText(cwTextCommand(static_cast<CwTextForm>(R.cwForm), piece));
    R.cwRadioBusy = 1;
}
