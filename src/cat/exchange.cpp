// Command exchange with the radio: sendCommand, readReply, reply picking, the debug log and the pass-through port.
#include "cat/exchange.h"

#include "cat/serial_port.h"
#include "cat/simulator.h"
#include "platform/platform.h"
#include "radio/mode_filter.h"
#include "screen/display.h"
#include "shell/program_state.h"
#include "shell/text.h"
#include "speech/prompts.h"

namespace {

constexpr const char* kDebugLogFile = "debug.dat";
constexpr int kPortReadMaximum = 255;  // one read never takes more than a text holds

// A command longer than this is a frequency-setting one ("FA;" and "FB;" are the queries).
constexpr int kFrequencyQueryLength = 5;

// True when the text leads with a number the number reader can take: blanks
// or tabs, an optional "-", then a digit.
bool leadsWithNumber(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
    if (i < text.size() && text[i] == '-') ++i;
    return i < text.size() && text[i] >= '0' && text[i] <= '9';
}

// The program's mode for the mode digit of a forwarded "MD" command; 0 when
// the program has no such mode. The radio numbers FM 4 and AM 5; FM comes in
// as FM narrow, the FM mode the band records use and the one that keeps a
// repeater tone on.
int modeOfRadioDigit(std::string_view digit) {
    if (digit == "1") return kModeLsb;
    if (digit == "2") return kModeUsb;
    if (digit == "3") return kModeCw;
    if (digit == "4") return kModeFmNarrow;
    if (digit == "5") return kModeAm;
    return 0;
}

}  // namespace

// ---------------------------------------------------------------------------
// [SECTION] Sending and reading
// ---------------------------------------------------------------------------

void sendCommand() {
    auto& C = catState;
    auto& R = radioState;
    auto& S = shellState;
    // The split key, switching split off, sends VFO A itself and has the key
    // chain's frequency send that follows swallowed here.
    if (C.skipNextSend == 1) {
        C.skipNextSend = 0;
        return;
    }
    // While split, VFO A commands go to VFO B, where the operator is listening.
    if (R.splitState > 0 && startsWith(C.cmdText, "FA")) C.cmdText = "FB" + midText(C.cmdText, 3);
    capText(C.cmdText, kTextCapacity - 1);  // the terminator always fits
    C.cmdText += ";";
    if ((startsWith(C.cmdText, "FA") || startsWith(C.cmdText, "FB")) &&
        static_cast<int>(C.cmdText.size()) > kFrequencyQueryLength)
        C.lastFreqCmd = C.cmdText;
    portWrite(S.comPort, C.cmdText, static_cast<int>(C.cmdText.size()));
    if (S.debugLog == 1) debugLine("TX=" + C.cmdText);
}

void readReply() {
    auto& C = catState;
    auto& S = shellState;
    C.replyText.clear();
    if (S.simMode == 1)
        simulateReply();
    else if (portBytesWaiting(S.comPort) > 0)
        portRead(S.comPort, C.replyText, kPortReadMaximum);
    if (S.debugLog == 1 && !C.replyText.empty()) debugLine("RX=" + C.replyText);
}

void sendText(std::string_view text) {
    putText(catState.cmdText, text);
    sendCommand();
}

void queryRadio(std::string_view text) {
    sendText(text);
    speakDelay();  // the only reply timeout: the radio answers while the prompt plays
    readReply();
}

bool replyField(std::string_view letters, int offset, int length, std::string& field) {
    field.clear();
    const int p = findText(catState.replyText, letters);
    if (p == 0) return false;
    field = midText(catState.replyText, p + offset, length);
    return true;
}

bool replyNumber(std::string_view letters, int offset, int length, int& value) {
    std::string field;
    if (!replyField(letters, offset, length, field) || !leadsWithNumber(field)) return false;
    value = textInt(field);
    return true;
}

int replyValue(std::string_view letters, int offset, int length, int fallback) {
    int value = fallback;
    replyNumber(letters, offset, length, value);
    return value;
}

// ---------------------------------------------------------------------------
// [SECTION] Pass-through port
// ---------------------------------------------------------------------------

void servePassThrough() {
    auto& C = catState;
    auto& R = radioState;
    auto& S = shellState;
    C.bridgeScan = 0;
    // The radio port named again as the pass-through port would feed the
    // radio's own answers back to it as commands.
    if (S.bridgePort == S.comPort) return;
    if (portBytesWaiting(S.bridgePort) <= 0) return;
    C.bridgeChunk.clear();
    portRead(S.bridgePort, C.bridgeChunk, kPortReadMaximum);
    const std::string inbox = C.bridgeInbox + C.bridgeChunk;
    C.bridgeScan = findText(inbox, ";");
    if (C.bridgeScan == 0 || C.bridgeScan > kTextCapacity) {
        // A full text without a ";" can never complete a command: kept, it
        // would block the pass-through for good, so it is dropped and the
        // other program's next command starts clean.
        if (static_cast<int>(inbox.size()) >= kTextCapacity) {
            C.bridgeInbox.clear();
            C.bridgeChunk.clear();
            C.bridgeScan = 0;
        } else {
            C.bridgeInbox = inbox;
        }
        return;
    }
    putText(C.bridgeInbox, inbox);  // the ";" lies within the capacity
    C.bridgeUsed = 1;
    if (S.debugLog == 1) debugLine("***VRX1=" + C.bridgeInbox);
    putText(C.cmdText, leftText(C.bridgeInbox, C.bridgeScan - 1));
    sendCommand();

    // A mode command changes the program's own mode as well; its answer is not read.
    if (startsWith(C.cmdText, "MD") && midText(C.cmdText, 3, 1) != ";") {
        const int newMode = modeOfRadioDigit(midText(C.cmdText, 3, 1));
        if (newMode > 0) {
            R.mode = newMode;
            setMode();
        }
        C.bridgeChunk.clear();
        C.bridgeInbox.clear();
        return;
    }

    speakDelay();
    C.replyText.clear();
    readReply();
    // The radio answered, so the link is alive. Under a steady stream of
    // commands this read also takes the poll's own answer (the tick after a
    // reply pause comes at once, before the radio has answered the poll), and
    // without this the watchdog would count a working radio as lost.
    if (!C.replyText.empty()) C.silentPolls = 0;
    if (C.replyText.empty() || C.replyText == ";") {
        C.bridgeChunk.clear();
        C.bridgeInbox.clear();
        return;
    }
    C.bridgeInbox.clear();
    if (S.debugLog == 1) debugLine("***VTX1=" + C.replyText);
    portWrite(S.bridgePort, C.replyText, static_cast<int>(C.replyText.size()));

    // A frequency answer passing by is shown as a poll answer would be.
    const int s = findText(C.replyText, ";") + 1;
    const int f = findText(C.replyText, "FA");
    C.replyText = midText(C.replyText, f, s - f);
    if (f > 0 && static_cast<int>(C.replyText.size()) > kFrequencyQueryLength) {
        updateFrequencyDisplay();
        return;
    }
    C.bridgeChunk.clear();
    C.bridgeInbox.clear();
}

// ---------------------------------------------------------------------------
// [SECTION] Debug log
// ---------------------------------------------------------------------------

void openDebugLog() {
    auto& S = shellState;
    if (S.debugLog != 1) return;
    closeDebugLog();
    S.debugFile = platFileOpenWrite(kDebugLogFile);
    if (S.debugFile <= 0) {
        S.debugFile = 0;  // no log can be written here; the program runs on without it
        return;
    }
    const PlatDateTime now = platLocalDateTime();
    debugLine("RIGVOX " + S.versionText + "  " + zeroPad(now.day, 2) + "-" + zeroPad(now.month, 2) + "-" +
              zeroPad(now.year, 4) + "   " + zeroPad(now.hour, 2) + ":" + zeroPad(now.minute, 2) + ":" +
              zeroPad(now.second, 2));
    debugLine("Comport=" + numberText(S.comPort) + "  Speed=" + numberText(S.baudRate) + " Baud");
}

void debugLine(std::string_view line) {
    auto& S = shellState;
    if (S.debugFile <= 0) return;
    std::string text(line);
    text += "\r\n";
    platFileWrite(S.debugFile, text);  // a failed log write must not disturb the radio's work
}

void closeDebugLog() {
    auto& S = shellState;
    if (S.debugFile <= 0) return;
    platFileClose(S.debugFile);
    S.debugFile = 0;
}
