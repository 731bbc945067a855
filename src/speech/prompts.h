// The voice-prompt player: prompt names to WAV files or to the system's
// speech, and the optional speech log.
#pragma once

#include <string>
#include <string_view>

// Plays prompt name (".wav" added when it has none, letter case ignored),
// waiting for its end unless wait is false. Appends the name to the file
// named by RIGVOX_SPEECH_LOG when set. While the system's speech is the
// voice, the name is added to the utterance being collected instead (a
// prompt played without waiting is said at once, queued after others so
// said, and the next waiting utterance cuts them off); "delay" is never
// spoken: it ends the utterance and keeps its length as silence.
void playPrompt(std::string_view name, bool wait = true);
// Writes name to the speech log as playPrompt does, without sounding it:
// the reply pause ("delay", timed by the CAT link) is heard as silence. The
// words collected so far are said first, not held back by the pause.
void notePrompt(std::string_view name);
// The file path a prompt name resolves to (waveDir + lower-case name [+ ".wav"]).
std::string promptPath(std::string_view name);
// The one name of a prompt: lower case, without ".wav" ("Power" and
// "power.wav" are "power"). The speech log and the word list use it.
std::string promptKey(std::string_view name);
// The words a prompt says ("mhz": "megahertz"), from the prompt maker's word
// list as the program was built with it; empty for a name not on the list
// ("delay").
std::string promptWords(std::string_view name);
// The one way digits are spoken: each character of text as its own prompt
// ("0".."9"), blanks, tabs and "-" skipped, so plainNumber, numberText and
// record fields can be passed as they are.
void speakDigits(std::string_view text);
// Closes the speech log (tests, shutdown).
void closeSpeechLog();

// The system's speech (rigvox.cfg "VOICE=system"). openVoice connects to it
// when the configuration asks for it; false when it was asked for and could
// not be reached, and the prompts speak. endUtterance says the collected
// names' words as one utterance: the program calls it when an event has been
// handled, the reply pause before it waits. A service lost while saying sets
// voiceLost and the prompts speak from then on, this utterance included.
// silenceHelp silences, with the system's speech, what was said without
// waiting (the help): any key stops it; the prompts' help is cut by the
// next prompt instead. closeVoice says what is left and disconnects.
bool openVoice();
void endUtterance();
void silenceHelp();
void closeVoice();
