// Finding the radio on the serial ports, and writing the port it answered
// on into rigvox.cfg.
#pragma once

struct FoundRadio {
    int port = 0;   // port number it answered on; 0 = no radio answered
    int baud = 0;   // the speed it answered at
};

// Speaks "searching", then asks every serial device the platform lists
// (but port skipPort, the pass-through port; 0 = none) for its identity at
// 115200, 57600, 38400, 19200, 9600 and 4800 baud, sending "ID;" and
// nothing else, until one answers as a Kenwood radio ("ID", three digits,
// ";"). A device without a port number gets one (a comN link) once it has
// answered. Speaks "found", "port", the number, the speed's digits and
// "baud"; or "notfound"; or "cfgnw" when the answering device can be given
// no number. Every device it opened is closed again.
FoundRadio searchForRadio(int skipPort);

// Makes port and baud lines 1 and 2 of rigvox.cfg. An existing file keeps
// every other line and its labels, and the old file itself is kept as
// rigvox.cfg.bak; without one the file is written from the sample
// configuration built into the program. False, with rigvox.cfg as it was,
// when it cannot be written.
bool writeConfigPort(int port, int baud);
