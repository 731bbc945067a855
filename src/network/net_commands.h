// The command interpreter of the rigctld-compatible network port, beside
// the key dispatcher: gets are answered from the program's state or by
// asking the radio; sets run the procedures the keys run, silently.
#pragma once

#include <cstdint>
#include <string>

// The answers to the commands of one line of the client in slot, in order,
// until the platform clock reaches untilMs: the rest of the line goes back
// to the front of the client's inbox and takes its next turn. A
// \wait_morse whose text is still going out holds its answer in the
// client's slot, and the rest of the line waits in the inbox with the lines
// after it. quit tells that the client asked to be disconnected.
std::string answerLine(const std::string& line, int slot, bool& quit, std::int64_t untilMs);
// A transmitter the client in slot keyed goes back to receive, and a text it
// left the keyer sending stops: a client that vanished must not leave the
// radio sending.
void releaseClientTransmission(int slot);
