// Command exchange with the radio: sending, the reply pause, the one exchange procedure, the reply splitter and
// pickers, the debug log and the pass-through port.
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

std::string simulatedAnswer() { return simulator ? simulator(catState.lastCommand) : std::string(); }

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
// [SECTION] Sending, pausing and the exchange
// ---------------------------------------------------------------------------

void setSimulator(SimulatedAnswer answer) { simulator = answer; }

namespace {

// The one place a command gets its ";".
bool sendCommand(std::string_view command) {
    auto& C = catState;
    std::string text(command);
    capText(text, kTextCapacity - 1);  // the terminator always fits
    // An answer to a mode query sent before a mode command names the mode
    // the radio had (frequency answers are judged the same way below).
    if (text == "MD") C.modeSetAfterQuery = 0;
    else if (setsMode(text)) C.modeSetAfterQuery = 1;
    text += ";";
    if ((startsWith(text, "FA") || startsWith(text, "FB")) &&
        static_cast<int>(text.size()) > kFrequencyQueryLength) {
        C.lastFreqCmd = text;
        // The radio's last report no longer says where it is, and the answer
        // to a poll frequency query sent before this names the old frequency.
        C.freqReportSuperseded = 1;
        if (C.pollAwaitingReply == 1 && C.pollSelect == 1) C.staleFreqAnswer = 1;
    }
    putText(C.awaitedLetters, leftText(text, 2));
    C.lastCommand = text;
    const int length = static_cast<int>(text.size());
    const bool written = portWrite(C.comPort, text, length) == length;
    if (C.debugLog == 1) debugLine("TX=" + text);
    return written || C.simMode == 1;
}

// What came since the command went out: the simulator's answer, or the
// radio bytes the pause held and what waits on the port; logs "RX=".
std::string readReply() {
    auto& C = catState;
    C.awaitedLetters.clear();
    std::string reply = C.simMode == 1 ? simulatedAnswer() : takeRadioBytes();
    capText(reply, kReplyCapacity);
    if (C.debugLog == 1 && !reply.empty()) debugLine("RX=" + reply);
    return reply;
}

// Answers nobody asked for in this exchange: the poll collects them as its
// own while it awaits an answer or serves the pass-through port (it then
// takes whatever comes); otherwise they belong to no one.
void holdForPoll(const std::string& others) {
    auto& C = catState;
    if (others.empty() || (C.pollAwaitingReply == 0 && C.bridgePort <= 0)) return;
    putText(C.heldReply, others + C.heldReply, kPortReadMaximum);
}

}  // namespace

bool sendText(std::string_view command) { return sendCommand(command); }

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

RadioAnswer exchangeWithRadio(std::string_view command, std::string_view letters, int pieces) {
    auto& C = catState;
    const std::string wanted(letters.empty() ? leftText(command, 2) : std::string(letters));
    // What was held before the command went out cannot be its answer, and
    // must not end the pause early: it is sorted with the reply afterwards.
    const std::string before = C.heldReply;
    C.heldReply.clear();
    RadioAnswer result;
    const bool written = sendCommand(command);
    // A command the radio never got has no answer; the pause still runs, so
    // a port that comes back in the meantime (a cable plugged in) is heard
    // at the same pace as a silent radio.
    waitForReply();
    if (!written) {
        C.awaitedLetters.clear();
        holdForPoll(before + takeRadioBytes());
        result.status = AnswerStatus::kWriteFailed;
        return result;
    }
    const std::string reply = readReply();
    result.heard = !reply.empty();
    // The last pieces answers led by the letters are the caller's: an
    // earlier one with the same letters answered the poll's query.
    std::string others = before, refusal;
    std::vector<std::string_view> mine;
    std::size_t at = 0;
    AnswerPiece piece;
    while (nextAnswer(reply, at, piece)) {
        // The simulator's answer is complete as it comes, ";" or not.
        if (C.simMode == 1) piece.whole = true;
        // Line noise before an answer is dropped with it.
        const std::size_t p = piece.whole && !wanted.empty() ? piece.text.find(wanted) : std::string_view::npos;
        if (p != std::string_view::npos) {
            mine.push_back(piece.text.substr(p));
            continue;
        }
        if (piece.whole && errorAnswer(piece.text) && refusal.empty()) refusal = piece.text;
        else others += piece.text;
    }
    const std::size_t keep = pieces < 1 ? mine.size() : static_cast<std::size_t>(pieces);
    const std::size_t first = mine.size() > keep ? mine.size() - keep : 0;
    std::string early;
    for (std::size_t i = 0; i < first; ++i) early += mine[i];
    for (std::size_t i = first; i < mine.size(); ++i) result.text += mine[i];
    holdForPoll(early + others);
    if (!result.text.empty()) result.status = AnswerStatus::kAnswered;
    else if (!refusal.empty()) result.status = AnswerStatus::kRefused;
    return result;
}

int radioBytesWaiting() { return static_cast<int>(catState.heldReply.size()) + portBytesWaiting(catState.comPort); }

std::string takeRadioBytes() {
    auto& C = catState;
    std::string rest;
    const int room = kPortReadMaximum - static_cast<int>(C.heldReply.size());
    if (room > 0 && portBytesWaiting(C.comPort) > 0) portRead(C.comPort, rest, room);
    std::string bytes = C.heldReply + rest;
    C.heldReply.clear();
    capText(bytes, kReplyCapacity);
    return bytes;
}

// ---------------------------------------------------------------------------
// [SECTION] Splitting and picking replies
// ---------------------------------------------------------------------------

bool nextAnswer(std::string_view text, std::size_t& at, AnswerPiece& piece) {
    if (at >= text.size()) return false;
    const std::size_t end = text.find(';', at);
    piece.whole = end != std::string_view::npos;
    const std::size_t next = piece.whole ? end + 1 : text.size();
    piece.text = text.substr(at, next - at);
    at = next;
    return true;
}

std::string_view answerLedBy(std::string_view text, std::string_view letters) {
    std::size_t at = 0;
    AnswerPiece piece;
    while (nextAnswer(text, at, piece))
        if (piece.whole && !letters.empty() && startsWith(piece.text, letters)) return piece.text;
    return {};
}

bool holdsAnswer(std::string_view text, std::string_view letters) { return !answerLedBy(text, letters).empty(); }

bool replyField(std::string_view reply, std::string_view letters, int offset, int length, std::string& field) {
    field.clear();
    const int p = findText(reply, letters);
    if (p == 0) return false;
    field = midText(reply, p + offset, length);
    return true;
}

bool replyNumber(std::string_view reply, std::string_view letters, int offset, int length, int& value) {
    std::string field;
    if (!replyField(reply, letters, offset, length, field) || !leadsWithNumber(field)) return false;
    value = textInt(field);
    return true;
}

bool replyDigits(std::string_view reply, std::string_view letters, int offset, int length, std::string& field) {
    return replyField(reply, letters, offset, length, field) && static_cast<int>(field.size()) == length &&
           allDigits(field);
}

int replyValue(std::string_view reply, std::string_view letters, int offset, int length, int fallback) {
    int value = fallback;
    replyNumber(reply, letters, offset, length, value);
    return value;
}

// ---------------------------------------------------------------------------
// [SECTION] Pass-through port
// ---------------------------------------------------------------------------

namespace {

// Takes the complete commands the other program has sent so far out of
// bridgeInbox ("" while none is complete).
std::string takeBridgeCommands() {
    auto& C = catState;
    if (portBytesWaiting(C.bridgePort) > 0) {
        std::string chunk;
        portRead(C.bridgePort, chunk, kPortReadMaximum);
        C.bridgeInbox += chunk;
    }
    const std::size_t last =
        C.bridgeInbox.empty() ? std::string::npos : C.bridgeInbox.rfind(';', kTextCapacity - 1);
    if (last == std::string::npos) {
        // A full text without a ";" can never complete a command: kept, it
        // would block the pass-through for good, so it is dropped and the
        // other program's next command starts clean.
        if (static_cast<int>(C.bridgeInbox.size()) >= kTextCapacity) C.bridgeInbox.clear();
        return {};
    }
    std::string commands = C.bridgeInbox.substr(0, last + 1);
    C.bridgeInbox.erase(0, last + 1);
    capText(C.bridgeInbox);  // what follows waits for the next exchange, within a text's room
    return commands;
}

// Sends the other program's commands; returns the letters of those that
// have an answer, as sent, and notes in result what the poll must follow.
std::vector<std::string> sendBridgeCommands(const std::string& commands, std::string_view vfo,
                                            PassThroughResult& result) {
    std::vector<std::string> letters;
    std::size_t at = 0;
    AnswerPiece piece;
    while (nextAnswer(commands, at, piece)) {
        const std::string command(piece.text.substr(0, piece.text.size() - 1));
        if (command.empty()) continue;  // a lone ";" asks nothing
        // The other program's VFO A commands go to the VFO the operator
        // listens on (VFO B while split).
        std::string sent = command;
        if (startsWith(sent, "FA")) sent = std::string(vfo) + midText(sent, 3);
        sendCommand(sent);
        // The poll brings the program's own mode in step with a mode setting.
        if (setsMode(command)) result.mode = midText(command, 3, 1);
        if (!unanswered(command)) letters.push_back(leftText(sent, 2));
        const int transmit = transmitCommand(command);
        if (transmit >= 0) result.transmit = transmit;
        const int tune = tunerCommand(command);
        if (tune >= 0) result.tune = tune;
    }
    return letters;
}

}  // namespace

PassThroughResult servePassThrough(std::string_view vfo) {
    auto& C = catState;
    PassThroughResult result;
    // The radio port named again as the pass-through port would feed the
    // radio's own answers back to it as commands.
    if (C.bridgePort == C.comPort) return result;
    const std::string commands = takeBridgeCommands();
    if (commands.empty()) return result;
    // Every complete command goes out now: a program that writes a setting
    // and its check ("FA...;ID;") together waits for the answer to the last.
    result.scan = static_cast<int>(commands.size());
    C.bridgeUsed = 1;
    if (C.debugLog == 1) debugLine("***VRX1=" + commands);
    const std::vector<std::string> letters = sendBridgeCommands(commands, vfo, result);
    if (letters.empty()) {
        result.answered = true;  // nothing to wait for
        return result;
    }
    C.awaitedLetters = letters.back();
    waitForReply();
    const std::string reply = readReply();

    // The answers to these commands go back; anything else (a poll answer
    // that came late, the start of one still coming) stays for the poll.
    std::string keep;
    std::size_t at = 0;
    AnswerPiece piece;
    while (nextAnswer(reply, at, piece)) {
        bool ours = piece.whole && errorAnswer(piece.text);
        for (const std::string& l : letters) ours = ours || (piece.whole && startsWith(piece.text, l));
        (ours ? result.forwarded : keep) += piece.text;
    }
    holdForPoll(keep);
    result.answered = holdsAnswer(result.forwarded, letters.back());
    if (result.forwarded.empty()) return result;
    if (C.debugLog == 1) debugLine("***VTX1=" + result.forwarded);
    portWrite(C.bridgePort, result.forwarded, static_cast<int>(result.forwarded.size()));
    return result;
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
