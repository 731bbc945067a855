// The 50 ms poll cycle: collect the last answer and follow the radio, serve the pass-through port, send the next query; the link watchdog.
#pragma once

#include <string_view>

// One step of the cycle, run on every timer tick.
void pollTick();
// The poll's handling of the answer to its last query (collected by the poll
// itself, with whatever an exchange met on the way and held for it):
// the link counts as alive, a frequency answer is followed (unless the
// query went out before a frequency the program sent since), meter answers
// are handled; the answer is no longer awaited.
void takePollAnswer(std::string_view answer);
