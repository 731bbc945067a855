// State of the voice: the prompt folder, the recorded prompts or the
// system's speech, and the readout being collected for the system's speech.
#pragma once

#include <array>
#include <cstdint>
#include <string>

// rigvox.cfg "VOICE=" values.
constexpr int kVoicePrompts = 0;   // the recorded prompts (the default)
constexpr int kVoiceSystem = 1;    // the system's speech (speech-dispatcher, SAPI)
constexpr int kVoiceScreenReader = 2;  // the screen reader's own voice: readouts as text, no prompts
constexpr int kVoiceUnknown = -1;  // a VOICE line not understood: the prompts

struct SpeechState {
    std::string waveDir = "wave/";    // prompt folder prefix, separator included
    int voiceChoice = kVoicePrompts;  // configuration, written by readConfiguration only
    int systemVoice = 0;              // 1 while readouts go to the system's speech (openVoice sets; a lost service clears)
    int voiceLost = 0;                // 1 once the system's speech was lost mid-run, until the program has logged it
    std::string utterance;            // prompt names collected for the system's speech and not yet said, blank-separated
    int cutNext = 0;                  // 1 after help was said by the system's speech: the next utterance or key silences it
    // The readout's text, for the braille display, the screen reader and
    // the text log.
    int brailleChoice = 0;            // 1 for rigvox.cfg BRAILLE=on, written by readConfiguration only
    int accessOpen = 0;               // 1 while the display or screen reader takes texts (openVoice sets, closeVoice clears)
    int readerVoice = 0;              // 1 while the screen reader speaks the texts: no prompts sound (openVoice sets)
    int accessMissing = 0;            // 1 when BRAILLE=on or VOICE=screenreader found nothing to take the texts, until logged
    std::string readoutNames;         // prompt names of the readout being collected, blank-separated; "#" starts a number (at most 4096 characters)
    std::string panelLine;            // the panel line last given to the display, "" before the first
    // Prompts queued for the sound device that have not begun to sound, for
    // the speech log, which names each as it begins. A ring in queue order;
    // an empty name was logged already.
    static constexpr int kQueuedCapacity = 512;
    std::array<std::string, kQueuedCapacity> queuedNames{};
    int queuedFirst = 0;              // ring index of the oldest
    int queuedCount = 0;
    std::int64_t queuedBase = 0;      // the platform's begun count when the oldest begins
};

extern SpeechState speechState;
