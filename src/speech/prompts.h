// The voice-prompt player: prompt names to WAV files or to the system's
// speech, and the optional speech log.
#pragma once

#include <string>
#include <string_view>

// Speaking never waits: prompts go to a queue that the sound device plays
// while the program goes on, one seamless sound per readout.
//
// Queues prompt name (".wav" added when it has none, letter case ignored).
// The speech log (the file named by RIGVOX_SPEECH_LOG) gets the name when
// it begins to sound; a prompt stopped before it began is not logged. While
// the system's speech is the voice, the name is logged at once and added to
// the utterance being collected instead. "delay" is never spoken: it ends
// the utterance, and among the prompts it is a silent step of the log.
void playPrompt(std::string_view name);
// A help prompt: as playPrompt, but the system's speech says it at once, on
// its own, and the next utterance cuts it off.
void playHelp(std::string_view name);
// Writes name to the speech log, in its place after what is queued, without
// sounding it: the reply pause ("delay", timed by the CAT link) is silence.
// The words collected so far are said first, not held back by the pause.
void notePrompt(std::string_view name);
// Logs the prompts that have begun to sound since the last call; the
// program calls it on every event.
void serviceSpeech();
// Stops the speech, as a screen reader does for a key: the sound that is
// sounding, everything queued behind it, and the system's speech.
void stopSpeech();
// True while recorded prompts are sounding or queued. (The system's speech
// does not tell when it has finished; see speechState.cutNext for its help.)
bool speechBusy();
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
// not be reached, and the prompts speak. It also opens the braille display
// and the screen reader (BRAILLE=on, VOICE=screenreader; after the window
// is open): with VOICE=screenreader and a screen reader reached no prompt
// sounds, and false when none was reached, and the prompts speak; a display
// or screen reader asked for and not reached sets accessMissing. endUtterance says the collected
// names' words as one utterance: the program calls it when an event has been
// handled, the reply pause before it waits. A service lost while saying sets
// voiceLost and the prompts speak from then on, this utterance included.
// closeVoice says what is left, hands out the last readout's text, and
// disconnects both.
bool openVoice();
void endUtterance();
void closeVoice();
