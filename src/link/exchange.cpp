// Command exchange with the radio: sendCommand, the reply pause, readReply, reply picking, the debug log and the pass-through port.
#include "link/exchange.h"

#include <cstdint>
#include <vector>

#include "base/named_values.h"
#include "base/text.h"
#include "link/cat_state.h"
#include "link/serial_port.h"
#include "platform/platform.h"
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

// The offline simulator's answers while simMode is 1 (setSimulator).
SimulatedAnswer simulator = nullptr;

std::string simulatedAnswer() { return simulator ? simulator() : std::string(); }

// Takes what waits on the radio port into heldReply, as far as it has room.
// False when nothing could be taken.
bool holdWaiting() {
    auto& C = catState;
    const int room = kPortReadMaximum - static_cast<int>(C.heldReply.size());
    if (room <= 0) return false;
    std::string piece;
    portRead(C.comPort, piece, room);
    C.heldReply += piece;
    return !piece.empty();
}

// True when the answer to the command the pause waits for has come.
bool awaitedAnswerCame(const std::string& letters) {
    if (letters.empty()) return false;
    // The simulator answers at once, or never.
    if (catState.simMode == 1) return !simulatedAnswer().empty();
    return holdsAnswer(catState.heldReply, letters);
}

// A mode-setting command without its ";" ("MD" and a digit); the bare "MD"
// asks for the mode.
bool setsMode(std::string_view command) {
    return startsWith(command, "MD") && command.size() > 2;
}

// Transmit ("TX", "TX0" to "TX2") and receive ("RX", "RX" and a digit):
// 1 keys the transmitter, 0 releases it, -1 neither.
int transmitCommand(std::string_view command) {
    const bool digitOrNone = command.size() == 2 || (command.size() == 3 && command[2] >= '0' && command[2] <= '9');
    if (!digitOrNone) return -1;
    if (startsWith(command, "TX")) return 1;
    if (startsWith(command, "RX")) return 0;
    return -1;
}

// A tuner setting ("AC" and three digits): 1 when it starts tuning (the
// third digit 1), which puts a carrier on the air; 0 otherwise; -1 neither.
int tunerCommand(std::string_view command) {
    if (!startsWith(command, "AC") || command.size() != 5) return -1;
    for (std::size_t i = 2; i < 5; ++i)
        if (command[i] < '0' || command[i] > '9') return -1;
    return command[4] == '1' ? 1 : 0;
}

// Settings the radio does not answer: a frequency ("FA" or "FB" and its
// digits), a mode ("MD" and a digit), transmit and receive, auto-information
// ("AI" and a digit). Waiting for their answer would wait out the whole reply
// pause while the other program's check of the setting ("ID;", written right
// behind it but read apart from it) stood unread, and an answer with their
// letters is the poll's, not theirs.
bool unanswered(std::string_view command) {
    if (command.size() > 2 && (startsWith(command, "FA") || startsWith(command, "FB") ||
                               startsWith(command, "AI")))
        return true;
    return setsMode(command) || transmitCommand(command) >= 0;
}

// The radio's error answers: "?" (not understood or not now), "E", "O".
bool errorAnswer(std::string_view answer) { return answer == "?;" || answer == "E;" || answer == "O;"; }

}  // namespace

// ---------------------------------------------------------------------------
// [SECTION] Sending, pausing and reading
// ---------------------------------------------------------------------------

void setSimulator(SimulatedAnswer answer) { simulator = answer; }

void sendCommand() {
    auto& C = catState;
    capText(C.cmdText, kTextCapacity - 1);  // the terminator always fits
    // An answer to a mode query sent before a mode command names the mode
    // the radio had (frequency answers are judged the same way below).
    if (C.cmdText == "MD") C.modeSetAfterQuery = 0;
    else if (setsMode(C.cmdText)) C.modeSetAfterQuery = 1;
    C.cmdText += ";";
    if ((startsWith(C.cmdText, "FA") || startsWith(C.cmdText, "FB")) &&
        static_cast<int>(C.cmdText.size()) > kFrequencyQueryLength) {
        C.lastFreqCmd = C.cmdText;
        // The radio's last report no longer says where it is, and the answer
        // to a poll frequency query sent before this names the old frequency.
        C.freqReportSuperseded = 1;
        if (C.pollAwaitingReply == 1 && C.pollSelect == 1) C.staleFreqAnswer = 1;
    }
    putText(C.awaitedLetters, leftText(C.cmdText, 2));
    portWrite(C.comPort, C.cmdText, static_cast<int>(C.cmdText.size()));
    if (C.debugLog == 1) debugLine("TX=" + C.cmdText);
}

void waitForReply() {
    auto& C = catState;
    notePrompt("delay");
    const std::string letters = C.awaitedLetters;
    C.awaitedLetters.clear();  // a second pause in a row waits out its whole length
    const int pauseMs = replyPauseMs();
    const std::int64_t start = platTickMs();
    // Time left of the pause. The clock counts whole milliseconds: one more
    // keeps a pause woken by other text from ending short of its length.
    auto remaining = [&] { return static_cast<int>(pauseMs - (platTickMs() - start)) + 1; };
    const bool watchPort = C.simMode != 1;  // the simulator has nothing on the port
    if (watchPort) holdWaiting();
    int waitMs = pauseMs;
    while (waitMs > 0 && !awaitedAnswerCame(letters)) {
        if (!watchPort) {
            portWaitInput(0, waitMs);
            return;
        }
        if (!portWaitInput(C.comPort, waitMs)) return;  // the whole time has passed
        if (!holdWaiting()) {
            // No room left, or woken without bytes: the rest is slept.
            portWaitInput(0, remaining());
            return;
        }
        waitMs = remaining();
    }
}

int replyPauseMs() { return platWavDurationMs(promptPath("delay")); }

void readReply() {
    auto& C = catState;
    C.replyText.clear();
    C.awaitedLetters.clear();
    if (C.simMode == 1)
        putText(C.replyText, simulatedAnswer(), kReplyCapacity);
    else
        takeRadioBytes();
    if (C.debugLog == 1 && !C.replyText.empty()) debugLine("RX=" + C.replyText);
}

int radioBytesWaiting() { return static_cast<int>(catState.heldReply.size()) + portBytesWaiting(catState.comPort); }

void takeRadioBytes() {
    auto& C = catState;
    std::string rest;
    const int room = kPortReadMaximum - static_cast<int>(C.heldReply.size());
    if (room > 0 && portBytesWaiting(C.comPort) > 0) portRead(C.comPort, rest, room);
    putText(C.replyText, C.heldReply + rest, kReplyCapacity);
    C.heldReply.clear();
}

void sendText(std::string_view text) {
    putText(catState.cmdText, text);
    sendCommand();
}

void queryRadio(std::string_view text) {
    sendText(text);
    waitForReply();
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

bool replyDigits(std::string_view letters, int offset, int length, std::string& field) {
    return replyField(letters, offset, length, field) && static_cast<int>(field.size()) == length &&
           allDigits(field);
}

int replyValue(std::string_view letters, int offset, int length, int fallback) {
    int value = fallback;
    replyNumber(letters, offset, length, value);
    return value;
}

bool holdsAnswer(std::string_view text, std::string_view letters) {
    if (letters.empty()) return false;
    std::size_t from = 0;
    while (from < text.size()) {
        const std::size_t end = text.find(';', from);
        if (end == std::string_view::npos) return false;  // the last reply is not complete yet
        if (text.substr(from, end - from).substr(0, letters.size()) == letters) return true;
        from = end + 1;
    }
    return false;
}

// ---------------------------------------------------------------------------
// [SECTION] Pass-through port
// ---------------------------------------------------------------------------

void servePassThrough(std::string_view vfo) {
    auto& C = catState;
    C.bridgeScan = 0;
    C.bridgeMode.clear();
    C.bridgeTransmit = -1;
    C.bridgeTune = -1;
    C.bridgeAnswered = 0;
    // The radio port named again as the pass-through port would feed the
    // radio's own answers back to it as commands.
    if (C.bridgePort == C.comPort) return;
    if (portBytesWaiting(C.bridgePort) > 0) {
        portRead(C.bridgePort, C.bridgeChunk, kPortReadMaximum);
        C.bridgeInbox += C.bridgeChunk;
    }
    const std::size_t last =
        C.bridgeInbox.empty() ? std::string::npos : C.bridgeInbox.rfind(';', kTextCapacity - 1);
    if (last == std::string::npos) {
        // A full text without a ";" can never complete a command: kept, it
        // would block the pass-through for good, so it is dropped and the
        // other program's next command starts clean.
        if (static_cast<int>(C.bridgeInbox.size()) >= kTextCapacity) {
            C.bridgeInbox.clear();
            C.bridgeChunk.clear();
        }
        return;
    }
    // Every complete command goes out now: a program that writes a setting
    // and its check ("FA...;ID;") together waits for the answer to the last.
    const std::string commands = C.bridgeInbox.substr(0, last + 1);
    C.bridgeInbox.erase(0, last + 1);
    capText(C.bridgeInbox);  // what follows waits for the next exchange, within a text's room
    C.bridgeScan = static_cast<int>(last) + 1;
    C.bridgeUsed = 1;
    if (C.debugLog == 1) debugLine("***VRX1=" + commands);

    std::vector<std::string> letters;  // of the commands sent that have an answer, as sent
    std::string awaited;               // letters of the last of them
    std::size_t from = 0;
    while (from < commands.size()) {
        const std::size_t end = commands.find(';', from);
        const std::string command = commands.substr(from, end - from);
        from = end + 1;
        if (command.empty()) continue;  // a lone ";" asks nothing
        putText(C.cmdText, command);
        // The other program's VFO A commands go to the VFO the operator
        // listens on (VFO B while split).
        if (startsWith(C.cmdText, "FA")) C.cmdText = std::string(vfo) + midText(C.cmdText, 3);
        sendCommand();
        // The poll brings the program's own mode in step with a mode setting.
        if (setsMode(command)) C.bridgeMode = midText(command, 3, 1);
        if (!unanswered(command)) {
            letters.push_back(leftText(C.cmdText, 2));
            awaited = letters.back();
        }
        const int transmit = transmitCommand(command);
        if (transmit >= 0) C.bridgeTransmit = transmit;
        const int tune = tunerCommand(command);
        if (tune >= 0) C.bridgeTune = tune;
    }

    C.replyText.clear();
    if (awaited.empty()) {
        C.bridgeAnswered = 1;  // nothing to wait for
        return;
    }
    C.awaitedLetters = awaited;
    waitForReply();
    readReply();

    // The answers to these commands go back; anything else (a poll answer
    // that came late, the start of one still coming) stays for the poll.
    std::string forward, keep;
    std::size_t at = 0;
    while (at < C.replyText.size()) {
        const std::size_t end = C.replyText.find(';', at);
        if (end == std::string::npos) {
            keep += C.replyText.substr(at);
            break;
        }
        const std::string answer = C.replyText.substr(at, end + 1 - at);
        at = end + 1;
        bool ours = errorAnswer(answer);
        for (const std::string& l : letters) ours = ours || startsWith(answer, l);
        (ours ? forward : keep) += answer;
    }
    putText(C.heldReply, keep + C.heldReply, kPortReadMaximum);
    C.replyText = forward;
    C.bridgeAnswered = holdsAnswer(forward, awaited) ? 1 : 0;
    if (forward.empty() || forward == ";") return;
    if (C.debugLog == 1) debugLine("***VTX1=" + forward);
    portWrite(C.bridgePort, forward, static_cast<int>(forward.size()));
}

// ---------------------------------------------------------------------------
// [SECTION] Debug log
// ---------------------------------------------------------------------------

void openDebugLog() {
    auto& C = catState;
    if (C.debugLog != 1) return;
    closeDebugLog();
    C.debugFile = platFileOpenWrite(kDebugLogFile);
    if (C.debugFile <= 0) {
        C.debugFile = 0;  // no log can be written here; the program runs on without it
        return;
    }
    const PlatDateTime now = platLocalDateTime();
    debugLine("RIGVOX " + std::string(kVersionText) + "  " + zeroPad(now.day, 2) + "-" + zeroPad(now.month, 2) + "-" +
              zeroPad(now.year, 4) + "   " + zeroPad(now.hour, 2) + ":" + zeroPad(now.minute, 2) + ":" +
              zeroPad(now.second, 2));
    debugLine("Comport=" + numberText(C.comPort) + "  Speed=" + numberText(C.baudRate) + " Baud");
}

void debugLine(std::string_view line) {
    auto& C = catState;
    if (C.debugFile <= 0) return;
    std::string text(line);
    text += "\r\n";
    platFileWrite(C.debugFile, text);  // a failed log write must not disturb the radio's work
}

void debugNotes(std::string_view notes) {
    auto& C = catState;
    std::string lines;
    for (std::size_t from = 0, end = notes.find('\n'); end != std::string_view::npos;
         from = end + 1, end = notes.find('\n', from)) {
        lines += notes.substr(from, end - from);
        lines += "\r\n";
    }
    if (lines.empty()) return;
    if (C.debugFile > 0) {
        platFileWrite(C.debugFile, lines);
        return;
    }
    const int file = platFileOpenAppend(kDebugLogFile);
    if (file <= 0) return;
    platFileWrite(file, lines);
    platFileClose(file);
}

void closeDebugLog() {
    auto& C = catState;
    if (C.debugFile <= 0) return;
    platFileClose(C.debugFile);
    C.debugFile = 0;
}
