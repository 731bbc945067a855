// Offline simulator: canned answers from the program's own state.
#include "cat/simulator.h"

// NOT BUILT YET: placeholder bodies so the program links while this file is written.

void seedSimulator() {}
double simulatorRandom() { return 0.0; }
void simulateReply() {}
void simulatePollReply() {}
