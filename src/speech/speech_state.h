// State of the voice: the prompt folder, the recorded prompts or the
// system's speech, and the readout being collected for the system's speech.
#pragma once

#include <string>

// rigvox.cfg "VOICE=" values.
constexpr int kVoicePrompts = 0;   // the recorded prompts (the default)
constexpr int kVoiceSystem = 1;    // the system's speech (speech-dispatcher, SAPI)
constexpr int kVoiceUnknown = -1;  // a VOICE line not understood: the prompts

struct SpeechState {
    std::string waveDir = "wave/";    // prompt folder prefix, separator included
    int voiceChoice = kVoicePrompts;  // configuration, written by readConfiguration only
    int systemVoice = 0;              // 1 while readouts go to the system's speech (openVoice sets; a lost service clears)
    int voiceLost = 0;                // 1 once the system's speech was lost mid-run, until the program has logged it
    std::string utterance;            // prompt names collected for the system's speech and not yet said, blank-separated
    int cutNext = 0;                  // 1 after help was said without waiting: the next utterance or key silences it
};

extern SpeechState speechState;
