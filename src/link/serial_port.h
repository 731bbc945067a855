// The numbered serial-port table (256 slots) over the platform's serial devices.
#pragma once

#include <string>

#include "platform/platform.h"

constexpr int kPortSlots = kPlatSerialPorts;

// Opens port number (1..256) at baud: 1 opened, 0 not. A port that cannot be
// opened now is tried again about once a second by the later operations on
// it; a speed outside the list both systems take is refused for good. Both
// are written to the debug log.
int portOpen(int number, int baud);
// True for a speed in the list every serial port of both systems takes.
bool portSpeedKnown(int baud);
// Closes the port in the slot and empties it; an empty slot is left alone.
void portClose(int number);
// Keeps the speed; data bits, parity, stop code (1 one stop bit, else two).
void portSetLine(int number, int dataBits, int parity, int stopCode);
// Received bytes waiting (clears line errors); 0 for an empty slot.
int portBytesWaiting(int number);
// Takes at most maximum waiting bytes into text, without waiting; returns the count.
int portRead(int number, std::string& text, int maximum);
// Sleeps until bytes are waiting on port number or timeoutMs have passed;
// true when bytes are waiting. An empty slot sleeps the whole time.
bool portWaitInput(int number, int timeoutMs);
// How many times the device of port number has gone (unplugged, the other
// end of a pseudo-terminal closed) since the port was opened; the port is
// looked for again each time, and may be back already.
int portGoneCount(int number);
// Writes length characters of text; returns the count written.
int portWrite(int number, const std::string& text, int length);
// The open sequence used for the radio port and the pass-through port:
// close, open at baudRate, 8 data bits, no parity, the configured stop code.
// Nothing sets read timeouts: the platform's reads never wait.
void openPortSequence(int number);
// Closes every slot (tests).
void closeAllPorts();
