// The 50 ms poll cycle: collect the last answer and follow the radio, serve the pass-through port, send the next query; the link watchdog.
#pragma once

// One step of the cycle, run on every timer tick.
void pollTick();
