// State of the CAT link: the command sent last and the bytes held, the frequency commands
// sent, the pass-through port, and the ports' configuration.
#pragma once

#include <string>

struct CatState {
    std::string lastCommand;    // the command sent last, with its ";" (what the simulator answers)
    std::string lastFreqCmd;    // last frequency-setting command sent, with ";"
    std::string lastFreqReply;  // first 13 characters of the last accepted frequency answer
    int freqReportSuperseded = 0; // 1 from a frequency command the program sent until the next accepted answer
    int staleFreqAnswer = 0;    // 1 when the poll's frequency query went out before that command: its answer is old
    int modeSetAfterQuery = 0;  // 1 from a mode command sent until the next "MD" query: an answer to an earlier one is old
    std::string heldReply;      // radio bytes a reply pause took in, or an exchange kept for the poll, not yet read (capacity 255)
    std::string awaitedLetters; // letters of the command sent last; its answer ends the next reply pause ("" none)
    int pollAwaitingReply = 0;  // 1 = a poll answer is to be collected on this tick
    int pollSelect = 0;         // next poll query: 0 frequency, 1 meter
    std::string bridgeInbox;    // pass-through text accumulated until a ";"
    int bridgeUsed = 0;         // 1 from a pass-through command until the next key press

    // Configuration (rigvox.cfg), written by readConfiguration; resetStartValues keeps it.
    int comPort = 0;            // line 1: radio port number, 0 = none
    int baudRate = 0;           // line 2: speed of both ports
    int bridgePort = 0;         // line 8: pass-through port number, 0 = none
    int debugLog = 0;           // line 9: 1 = write debug.dat
    int portDataBits = 8;       // character format passed to portSetLine
    int portParity = 0;
    int portStopCode = 2;
    int simMode = 0;            // 1 = offline simulator answers (rigvox-sim)

    int debugFile = 0;          // open debug.dat handle, 0 = none (initialisation to shutdown)
};

extern CatState catState;
