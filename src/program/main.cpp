// Program entry of rigvox and rigvox-sim; the two differ only in RIGVOX_SIM.
#include "program/startup.h"

#ifndef RIGVOX_SIM
#define RIGVOX_SIM 0
#endif

int main() { return runProgram(RIGVOX_SIM); }
