// The program's own state, the one instance of every area's state (defined
// in program_state.cpp) and the resets of them all.
#pragma once

#include <string>

#include "base/named_values.h"

constexpr int kConfigLinesRead = 9 + 32;  // the nine and the optional lines; a longer file is not a configuration

struct ProgramState {
    std::string bannerText = std::string("*** Rigvox V ") + kVersionText + " ***";  // title line, shown by initialisation
    std::string workText = "keyboard and voice front panel for Kenwood transceivers"; // credit line
    // Written by readConfiguration: the lines of rigvox.cfg not understood,
    // each with the value used instead, for debug.dat (one line per note)...
    std::string configNotes;
    int badConfigLines[kConfigLinesRead] = {};  // ...and their numbers, each once, said at start
    int badConfigLineCount = 0;
    int netPortLocalOnly = 0;        // 1: RIGCTLD named an address beyond loopback with no RIGCTLD_ALLOW
};

extern ProgramState programState;

// Puts every area's state back to its start value, configuration included.
// Tests begin with it.
void resetState();

// The start values set by initialisation: every area back to its start,
// except the configuration read from rigvox.cfg (the program's, the link's
// and the radio's configuration fields, the power values of config line 3,
// the network port, the announcement level), which is kept.
void resetStartValues();
