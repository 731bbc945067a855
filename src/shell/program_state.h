// The program-wide state: one plain struct per area, one instance of each.
// Procedures read them through a short alias (auto& R = radioState;).
#pragma once

#include "cat/cat_state.h"
#include "keys/keys_state.h"
#include "memory/memory_state.h"
#include "radio/radio_state.h"
#include "shell/shell_state.h"

// Puts every area's state back to its start value, configuration included.
// Tests begin with it.
void resetState();

// The start values set by initialisation: every area back to its start,
// except the configuration read from rigvox.cfg (shell fields and the power
// values of config line 3), which are kept.
void resetStartValues();
