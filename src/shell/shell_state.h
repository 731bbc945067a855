// Program texts, configuration values and general scratch of the application
// shell. Configuration fields are written once by readConfiguration and never
// again; resetStartValues leaves them alone.
#pragma once

#include <string>

struct ShellState {
    std::string versionText = "3.4a";                       // program version
    std::string bannerText = "*** Rigvox V 3.4a ***";       // title line, shown by initialisation
    std::string workText = "keyboard and voice front panel for Kenwood transceivers"; // credit line, then text scratch
    std::string freqText;                                   // frequency text being spoken
    int scratchInt2 = 0;                                    // second integer scratch
    std::string waveDir = "wave/";                          // prompt folder prefix, separator included
    int running = 1;                                        // message loop runs while not 0 (quit key, close box clear it)
    int simMode = 0;                                        // 1 = offline simulator answers (rigvox-sim)

    // Configuration (rigvox.cfg), read once at start.
    int comPort = 0;                 // line 1: radio port number, 0 = none
    int baudRate = 0;                // line 2: speed of both ports
    int swrSpeech = 0;               // line 4: above 0 = SWR spoken while tuning or transmitting
    int tunerMode = 0;               // line 5: 0 automatic tuner, 1 carrier only, 2 timed tuning then carrier
    std::string bandCoverage;        // line 6: highest band, "1" 10 m, "6" 6 m, "2" 2 m, "7" 70 cm
    int powerSwitching = 0;          // line 7: 1 = power on at start, power command at quit
    int bridgePort = 0;              // line 8: pass-through port number, 0 = none
    int debugLog = 0;                // line 9: 1 = write debug.dat
    int rigctldPort = 0;             // "RIGCTLD=": network port, 0 = none, -1 = line not understood
    std::string rigctldAddress = "127.0.0.1";  // "RIGCTLD=": address listened on (loopback unless named)
    int txLimitSeconds = 180;        // "TXLIMIT=": another program's transmission ends after this, 0 = never
    std::string configNotes;         // optional lines not understood, for the debug log once it opens

    int portDataBits = 8;            // character format passed to portSetLine
    int portParity = 0;
    int portStopCode = 2;

    int promptsQuiet = 0;            // 1 while a network client's setting runs: prompts are skipped (not the reply pause)
    int debugFile = 0;               // open debug.dat handle, 0 = none (initialisation to shutdown)
};

extern ShellState shellState;
