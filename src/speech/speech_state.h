// State of the prompt player.
#pragma once

#include <string>

struct SpeechState {
    std::string waveDir = "wave/";  // prompt folder prefix, separator included
    int promptsQuiet = 0;           // 1 while a network client's setting runs: prompts are skipped (not the reply pause)
};

extern SpeechState speechState;
