// Program entry, the configuration file, the message loop and shutdown.
#pragma once

// The whole program: start-up, loop, shutdown. simulator = 1 for rigvox-sim.
// Returns the exit code (0).
int runProgram(int simulator);
// Reads the nine lines of rigvox.cfg and the optional tenth (the network
// port); false when the file cannot be opened.
bool readConfiguration();
// The shutdown steps after the loop ends; first "RX" when the radio was
// left transmitting or tuning.
void shutdownProgram();
