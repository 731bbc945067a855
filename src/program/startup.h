// Program entry, the configuration file, the message loop and shutdown.
#pragma once

// The whole program: start-up, loop, shutdown. simulator = 1 for rigvox-sim.
// Returns the exit code (0).
int runProgram(int simulator);
// Reads the nine lines of rigvox.cfg and the optional lines after them;
// false when the file cannot be opened or has fewer than two lines (no
// configuration). A line not understood gets a safe value and is noted in
// programState (configNotes, badConfigLines); a network port on an address
// beyond loopback without RIGCTLD_ALLOW listens on loopback (netPortLocalOnly).
bool readConfiguration();
// The shutdown steps after the loop ends; first "RX" when the radio was
// left transmitting or tuning.
void shutdownProgram();
