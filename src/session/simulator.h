// Offline simulator: canned answers from the program's own state.
#pragma once

#include <string>
#include <string_view>

// Seeds the random generator from the platform's tick count.
void seedSimulator();
// Next random fraction in [0, 1) from the linear congruential generator.
double simulatorRandom();
// The simulator's answer to command ("" when it gives none); the link takes
// it in place of the radio's (setSimulator).
std::string simulatedAnswer(std::string_view command);
// The answer the poll collects while simMode is 1.
std::string simulatePollReply();
