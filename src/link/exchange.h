// Command exchange with the radio: sending, the reply pause, the one exchange procedure, the reply splitter and
// pickers, the debug log and the pass-through port.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// Sends command with ";" appended to the radio port; copies
// frequency-setting commands to lastFreqCmd and marks the radio's last
// frequency report (and a poll frequency answer still on its way) as older
// than what was sent, and a mode command the answer to a mode query sent
// before it (modeSetAfterQuery); logs "TX=". Its two letters become the
// answer the next reply pause waits for. False when the port did not take
// the whole command (the simulator's commands always go).
bool sendText(std::string_view command);
// The offline simulator of rigvox-sim: its answer to the command sent (with
// its ";"), "" when it gives none. While simMode is 1 the exchange takes the
// answer from it instead of the radio port.
using SimulatedAnswer = std::string (*)(std::string_view command);
void setSimulator(SimulatedAnswer answer);
// The reply pause: "delay" in the speech log, then at most the length of
// delay.wav. It ends as soon as the answer to the command sent last is
// complete on the radio port (a reply led by its two letters, up to its ";");
// without one, or with no command sent since the last pause or exchange, it
// lasts the whole length. Bytes that arrive meanwhile are held for the poll.
void waitForReply();
// The whole length of the reply pause (delay.wav) in milliseconds.
int replyPauseMs();

// How one exchange with the radio ended.
enum class AnswerStatus {
    kAnswered,     // the answer led by the letters asked for came whole
    kRefused,      // the radio said it cannot ("?;", or "E;" / "O;")
    kNoAnswer,     // nothing of the kind came within the reply pause
    kWriteFailed,  // the port did not take the command: nothing was waited for
};
struct RadioAnswer {
    AnswerStatus status = AnswerStatus::kNoAnswer;
    std::string text;    // the answer pieces led by the letters, each with its ";" ("" without one)
    bool heard = false;  // the radio sent something meanwhile: its link is alive
    bool answered() const { return status == AnswerStatus::kAnswered; }
};
// One exchange: sends command, waits the reply pause for the answer led by
// letters (the command's two letters when empty), reads what came and
// returns the last pieces answers led by letters. Everything else it meets
// (the answer to the poll's query, which went out first, or the start of
// one still coming) is held on the link for the poll's next collection
// while the poll awaits an answer or serves the pass-through port; otherwise
// nobody asked for it and it is dropped. Bytes held before the command went
// out are never taken for its answer. Nothing is left set on any return.
RadioAnswer exchangeWithRadio(std::string_view command, std::string_view letters = {}, int pieces = 1);
// Radio bytes received and not yet read (held by a pause or an exchange, or
// on the port).
int radioBytesWaiting();
// Takes them all, as the poll's collection (which logs for itself).
std::string takeRadioBytes();

// The one reply splitter. From at, the next answer of text: up to and with
// its ";" (whole), or the rest of text without one (an answer still coming,
// whole = false). Moves at past it; false when text has no more.
struct AnswerPiece {
    std::string_view text;
    bool whole = false;
};
bool nextAnswer(std::string_view text, std::size_t& at, AnswerPiece& piece);
// The first whole answer in text led by letters, with its ";" ("" none).
std::string_view answerLedBy(std::string_view text, std::string_view letters);
// True when text holds a complete answer led by letters: at its start or
// right after a ";", and closed by a ";".
bool holdsAnswer(std::string_view text, std::string_view letters);

// Reply picking. p = the 1-based position of the first occurrence of letters
// in reply; the field is the length characters from p + offset (the piece
// that exists when it reaches past the end; to the end when length is
// negative).
// replyField: when letters are found, field = that piece and returns true
// (the piece may be empty); otherwise field is empty and returns false.
bool replyField(std::string_view reply, std::string_view letters, int offset, int length, std::string& field);
// replyNumber: true when letters are found and the field leads with a number
// (blanks, optional "-", a digit); value = that number read by the number
// reader and rounded. An absent answer, an empty field or a garbled one
// ("AG0?;") gives false and leaves value alone.
bool replyNumber(std::string_view reply, std::string_view letters, int offset, int length, int& value);
// replyDigits: true when letters are found and the field is exactly length
// digits, which it then holds; a short, long or garbled answer gives false.
bool replyDigits(std::string_view reply, std::string_view letters, int offset, int length, std::string& field);
// replyValue: the number of replyNumber, or fallback when there is none.
int replyValue(std::string_view reply, std::string_view letters, int offset, int length, int fallback);

// What one exchange of the pass-through port did, for the poll to follow.
struct PassThroughResult {
    int scan = 0;            // position of the last ";" of the commands served (1-based, 0 = none served)
    std::string forwarded;   // the answers written back to the other program
    std::string mode;        // mode digit of a mode command just forwarded ("" none)
    int transmit = -1;       // the last transmit command forwarded: 1 "TX", 0 "RX", -1 none
    int tune = -1;           // the last tuner command forwarded: 1 starts tuning ("AC111"), 0 does not, -1 none
    bool answered = false;   // the commands forwarded were answered before their pause ran out
};
// One exchange of the pass-through port, called by the poll while bridgePort
// is above 0: takes what the other program sent; sends every complete
// command in it (its "FA" commands to vfo, the letters of the VFO the
// operator listens on) (the rest waits in bridgeInbox); pauses for the answer to
// the last one that has an answer; writes back the answers to those commands
// and holds any other answer for the poll.
PassThroughResult servePassThrough(std::string_view vfo);
// Debug log "debug.dat": created with its two header lines when debugLog is 1.
void openDebugLog();
// Appends one line (CR LF added) when the log is open.
void debugLine(std::string_view line);
void closeDebugLog();
// A note on the configuration, written to debug.dat even when the log is
// off (DEBUG=0): then added at the end of the file, which is created when
// missing. Each line of notes (ending in "\n") is one log line.
void debugNotes(std::string_view notes);
