// Finding the radio on the serial ports, and writing the port it answered
// on into rigvox.cfg.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/platform.h"

struct FoundRadio {
    int port = 0;   // port number it answered on; 0 = no radio answered
    int baud = 0;   // the speed it answered at
};

// Where the search stands. It goes a step at a time on the loop's ticks, so
// the operator's keys and a close request are taken between its steps.
struct SearchState {
    bool going = false;                  // between startRadioSearch and its end
    int skipPort = 0;                    // the pass-through port, never asked
    std::vector<PlatSerialDevice> devices;
    std::size_t device = 0;              // the device being asked
    std::size_t speed = 0;               // index into the speeds, fastest first
    int handle = 0;                      // the device open now; 0 = none
    std::int64_t askedAtMs = 0;          // when "ID;" went out
    int asks = 0;                        // "ID;" sent at this speed (a "?;" earns a second)
    std::string heard;                   // the device's bytes since the question
};
extern SearchState searchState;

// What a step of the search came to: going on, or ended with the radio it
// found (port 0: none, or one that can be given no number).
struct SearchStep {
    bool ended = false;
    FoundRadio radio;
};

// Speaks "searching" and starts asking every serial device the platform
// lists (but port skipPort, the pass-through port; 0 = none) for its
// identity at 115200, 57600, 38400, 19200, 9600 and 4800 baud, sending
// "ID;" and nothing else. Only the models Rigvox knows count as a radio
// (the reduced-feature radio answers as one of them); another Kenwood answer
// ("ID", three digits, ";") is spoken as "found", its digits and
// "notsupported", and the search goes on with the next device.
void startRadioSearch(int skipPort);
// One step, on a tick: takes the answer to the question sent on an earlier
// tick, and asks the next device or speed. When a radio answered, a device
// without a port number gets one (a comN link); "found", "port", the
// number, the speed's digits and "baud" are spoken; or "notfound" when none
// answered, or "cfgnw" when the answering device can be given no number.
// Every device tried is closed with its settings as they were before.
SearchStep stepRadioSearch();
// Ends a search at once, silently, the device it has open closed with its
// settings restored. Harmless when none is going.
void stopRadioSearch();

// Makes port and baud lines 1 and 2 of rigvox.cfg. An existing file keeps
// every other line and its labels, and the old file itself is kept as
// rigvox.cfg.bak; without one the file is written from the sample
// configuration built into the program. False, with rigvox.cfg as it was,
// when it cannot be written.
bool writeConfigPort(int port, int baud);
