// Command exchange with the radio: sendCommand, the reply pause, readReply, reply picking, the debug log and the pass-through port.
#pragma once

#include <string>
#include <string_view>

// Sends cmdText with ";" appended to the radio port; copies frequency-setting commands to lastFreqCmd and marks the
// radio's last frequency report (and a poll frequency answer still on its
// way) as older than what was sent, and a mode command the answer to a mode
// query sent before it (modeSetAfterQuery); logs "TX=". Its two letters
// become the answer the next reply pause waits for.
void sendCommand();
// The offline simulator of rigvox-sim: its answer to the command in cmdText
// ("" when it gives none). While simMode is 1 the reply pause and readReply
// take the answer from it instead of the radio port.
using SimulatedAnswer = std::string (*)();
void setSimulator(SimulatedAnswer answer);
// The reply pause: "delay" in the speech log, then at most the length of
// delay.wav. It ends as soon as the answer to the command sent last is
// complete on the radio port (a reply led by its two letters, up to its ";");
// without one, or with no command sent since the last pause or read, it
// lasts the whole length. Bytes that arrive meanwhile are held for the next
// read.
void waitForReply();
// The whole length of the reply pause (delay.wav) in milliseconds.
int replyPauseMs();
// Fills replyText with what the radio has sent: what a pause held, then what
// waits on the port (or the simulator's answer); logs "RX=". Never waits.
void readReply();
// Radio bytes received and not yet read (held by a pause or on the port).
int radioBytesWaiting();
// Takes them into replyText as readReply does, without the simulator (the
// poll's collection, which logs for itself).
void takeRadioBytes();
// Sends text (without ";") as a command: cmdText = text, sendCommand.
void sendText(std::string_view text);
// The query pattern: cmdText = text, sendCommand, waitForReply, readReply.
void queryRadio(std::string_view text);
// Reply picking. p = the 1-based position of the first occurrence of letters
// in replyText; the field is the length characters from p + offset (the
// piece that exists when it reaches past the end; to the end when length is
// negative).
// replyField: when letters are found, field = that piece and returns true
// (the piece may be empty); otherwise field is empty and returns false.
bool replyField(std::string_view letters, int offset, int length, std::string& field);
// replyNumber: true when letters are found and the field leads with a number
// (blanks, optional "-", a digit); value = that number read by the number
// reader and rounded. An absent answer, an empty field or a garbled one
// ("AG0?;") gives false and leaves value alone.
bool replyNumber(std::string_view letters, int offset, int length, int& value);
// replyDigits: true when letters are found and the field is exactly length
// digits, which it then holds; a short, long or garbled answer gives false.
bool replyDigits(std::string_view letters, int offset, int length, std::string& field);
// replyValue: the number of replyNumber, or fallback when there is none.
int replyValue(std::string_view letters, int offset, int length, int fallback);
// True when text holds a complete answer led by letters: at its start or
// right after a ";", and closed by a ";".
bool holdsAnswer(std::string_view text, std::string_view letters);
// One exchange of the pass-through port, called by the poll while bridgePort
// is above 0: takes what the other program sent; sends every complete
// command in it (its "FA" commands to vfo, the letters of the VFO the
// operator listens on) (the rest waits in bridgeInbox); pauses for the answer to
// the last one that has an answer; writes back the answers to those commands
// and keeps any other answer for the poll. Leaves for the poll: bridgeScan
// (0 when nothing was sent), replyText (what was written back), bridgeMode,
// bridgeTransmit and bridgeAnswered.
void servePassThrough(std::string_view vfo);
// Debug log "debug.dat": created with its two header lines when debugLog is 1.
void openDebugLog();
// Appends one line (CR LF added) when the log is open.
void debugLine(std::string_view line);
void closeDebugLog();
// A note on the configuration, written to debug.dat even when the log is
// off (DEBUG=0): then added at the end of the file, which is created when
// missing. Each line of notes (ending in "\n") is one log line.
void debugNotes(std::string_view notes);
