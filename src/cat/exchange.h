// Command exchange with the radio: sendCommand, readReply, reply picking, the debug log and the pass-through port.
#pragma once

#include <string>
#include <string_view>

// Sends cmdText with ";" appended to the radio port (swallowed once when
// skipNextSend is set; "FA" redirected to "FB" while split); copies
// frequency-setting commands to lastFreqCmd; logs "TX=".
void sendCommand();
// Fills replyText with what is waiting on the radio port (or the simulator's
// answer); logs "RX=". Never waits.
void readReply();
// Sends text (without ";") as a command: cmdText = text, sendCommand.
void sendText(std::string_view text);
// The query pattern: cmdText = text, sendCommand, speakDelay, readReply.
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
// replyValue: the number of replyNumber, or fallback when there is none.
int replyValue(std::string_view letters, int offset, int length, int fallback);
// One step of the pass-through port; called by the poll on every tick while
// bridgePort is above 0.
void servePassThrough();
// Debug log "debug.dat": created with its two header lines when debugLog is 1.
void openDebugLog();
// Appends one line (CR LF added) when the log is open.
void debugLine(std::string_view line);
void closeDebugLog();
