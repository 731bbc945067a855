// The 50 ms poll cycle: collect the last answer and follow the radio, serve the pass-through port, send the next query; the link watchdog.
#pragma once

// One step of the cycle, run on every timer tick.
void pollTick();
// The poll's handling of the answer to its last query, now in replyText
// (collected by the poll itself, or taken in by another exchange's read):
// the link counts as alive, a frequency answer is followed (unless the
// query went out before a frequency the program sent since), meter answers
// are handled; the answer is no longer awaited.
void takePollAnswer();
