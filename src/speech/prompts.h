// The voice-prompt player: prompt names to WAV files, and the optional speech log.
#pragma once

#include <string>
#include <string_view>

// Plays prompt name (".wav" added when it has none, letter case ignored),
// waiting for its end unless wait is false. Appends the name to the file
// named by RIGVOX_SPEECH_LOG when set.
void playPrompt(std::string_view name, bool wait = true);
// Writes name to the speech log as playPrompt does, without sounding it:
// the reply pause ("delay", timed by the CAT link) is heard as silence.
void notePrompt(std::string_view name);
// The file path a prompt name resolves to (waveDir + lower-case name [+ ".wav"]).
std::string promptPath(std::string_view name);
// The one way digits are spoken: each character of text as its own prompt
// ("0".."9"), blanks, tabs and "-" skipped, so plainNumber, numberText and
// record fields can be passed as they are.
void speakDigits(std::string_view text);
// Closes the speech log (tests, shutdown).
void closeSpeechLog();
