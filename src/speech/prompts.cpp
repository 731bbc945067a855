// The voice-prompt player: prompt names to WAV files or to the system's
// speech, and the optional speech log.
#include "speech/prompts.h"

#include "base/text.h"
#include "platform/platform.h"
#include "speech/readout_text.h"
#include "speech/speech_state.h"

namespace {

// The speech log: every prompt name, one per line, for whoever listens in
// (end-to-end tests, a sighted helper checking what was said). Opened in
// append mode on the first prompt while RIGVOX_SPEECH_LOG names a file, and
// kept open; a change of the variable reopens it.
constexpr const char* kSpeechLogVariable = "RIGVOX_SPEECH_LOG";
int speechLogFile = 0;        // open handle, 0 = none
std::string speechLogPath;    // the path it was opened for

// A name carries an extension when a "." stands after its first character
// and before its last ("on.wav"); "on" has none.
bool hasExtension(std::string_view name) {
    const std::size_t dot = name.rfind('.');
    return dot != std::string_view::npos && dot > 0 && dot + 1 < name.size();
}

void logPrompt(std::string_view name) {
    const std::string path = platEnv(kSpeechLogVariable);
    if (path != speechLogPath) {
        closeSpeechLog();
        speechLogPath = path;
        if (!path.empty()) speechLogFile = platFileOpenAppend(path);
    }
    if (speechLogFile <= 0) return;
    std::string line(name);
    line += '\n';
    // The platform writes straight through (no buffer), so a listener sees
    // the word as it starts to sound; no disk sync, which would stretch
    // every prompt and the reply pause with it.
    platFileWrite(speechLogFile, line);
}

// The reply pause: silence of its recording's length, never words.
constexpr std::string_view kDelayName = "delay";

// Calls use with each name of a blank-separated list of prompt names.
template <typename Use>
void eachName(std::string_view names, Use use) {
    while (!names.empty()) {
        const std::size_t blank = names.find(' ');
        use(names.substr(0, blank));
        names = blank == std::string_view::npos ? std::string_view() : names.substr(blank + 1);
    }
}

// Queues a sound and the name the speech log gives it when it begins ("":
// none). A ring that is full (minutes of speech waiting) drops the prompt,
// logged, rather than grow.
void queueSound(const std::string& path, const std::string& name) {
    auto& V = speechState;
    serviceSpeech();
    if (V.queuedCount == 0) V.queuedBase = platSoundStarted();
    if (V.queuedCount >= SpeechState::kQueuedCapacity) {
        if (!name.empty()) logPrompt(name);
        return;
    }
    V.queuedNames[(V.queuedFirst + V.queuedCount) % SpeechState::kQueuedCapacity] = name;
    ++V.queuedCount;
    platSoundQueue(path);
    serviceSpeech();  // a sound that begins at once is logged at once
}

// Says the words of the collected names as one utterance. cuttable: the
// help, which the next utterance that is not help silences (a key stops
// everything, stopSpeech); one cuttable after another is queued, as the
// whole help's sentences are. A service that has gone gets one new
// connection (it may have been restarted); failing that, the prompts speak
// from now on, this utterance included, so nothing is lost.
void sayUtterance(bool cuttable) {
    auto& V = speechState;
    if (V.utterance.empty()) return;
    const std::string names = V.utterance;
    V.utterance.clear();
    std::string words;
    eachName(names, [&](std::string_view name) {
        const std::string spoken = promptWords(name);
        if (!spoken.empty()) words += (words.empty() ? "" : " ") + spoken;
    });
    if (words.empty()) return;  // names without words are silent, as missing recordings are
    if (V.cutNext == 1 && !cuttable) platSpeechCancel();
    bool said = platSpeechSay(words);
    if (!said) {
        platSpeechClose();
        said = platSpeechOpen() && platSpeechSay(words);
    }
    if (said) {
        V.cutNext = cuttable ? 1 : 0;
        return;
    }
    platSpeechClose();
    V.systemVoice = 0;
    V.voiceLost = 1;
    V.cutNext = 0;
    // Logged already, as each was collected.
    eachName(names, [&](std::string_view name) { queueSound(promptPath(name), ""); });
}

// Adds a prompt to the utterance being collected; help is said at once, on
// its own.
void collectPrompt(const std::string& key, bool help) {
    auto& V = speechState;
    // A long run of prompts is said in pieces rather than cut short.
    if (help || V.utterance.size() + key.size() + 1 > kTextCapacity) sayUtterance(false);
    if (V.systemVoice != 1) {  // the service was lost just now
        queueSound(promptPath(key), "");
        return;
    }
    if (!V.utterance.empty()) V.utterance += ' ';
    V.utterance += key;
    if (help) sayUtterance(true);
}

// Logs a prompt, or queues it to be logged as it begins to sound, then
// queues its sound (an empty path: a silent step in the order of the log).
void speakPrompt(std::string_view name, const std::string& key, bool help) {
    if (key != kDelayName) collectReadout(key);
    if (speechState.readerVoice == 1) {
        // The screen reader says the readout's text: the prompts stay silent
        // and are logged as they are collected.
        logPrompt(key);
        return;
    }
    if (speechState.systemVoice == 1) {
        logPrompt(key);
        if (key != kDelayName) return collectPrompt(key, help);
        endUtterance();  // the pause is timed by the radio link, not said
        return;
    }
    queueSound(key == kDelayName ? std::string() : promptPath(name), key);
}

}  // namespace

std::string promptKey(std::string_view name) {
    std::string key = lowerText(name);
    if (key.size() > 4 && key.compare(key.size() - 4, 4, ".wav") == 0) key.resize(key.size() - 4);
    return key;
}

std::string promptPath(std::string_view name) {
    std::string path = speechState.waveDir + lowerText(name);
    if (!hasExtension(name)) path += ".wav";
    return path;
}

void playPrompt(std::string_view name) {
    if (name.empty()) return;
    speakPrompt(name, promptKey(name), false);
}

void playHelp(std::string_view name) {
    if (name.empty()) return;
    speakPrompt(name, promptKey(name), true);
}

void notePrompt(std::string_view name) {
    if (name.empty()) return;
    const std::string key = promptKey(name);
    if (speechState.systemVoice == 1) {
        logPrompt(key);
        endUtterance();
        return;
    }
    queueSound(std::string(), key);
}

void serviceSpeech() {
    auto& V = speechState;
    const std::int64_t started = platSoundStarted();
    while (V.queuedCount > 0 && V.queuedBase < started) {
        std::string& name = V.queuedNames[V.queuedFirst];
        if (!name.empty()) logPrompt(name);
        name.clear();
        V.queuedFirst = (V.queuedFirst + 1) % SpeechState::kQueuedCapacity;
        --V.queuedCount;
        ++V.queuedBase;
    }
}

void stopSpeech() {
    auto& V = speechState;
    serviceSpeech();  // what has begun was heard, if only in part
    platSoundStop();
    V.queuedCount = 0;  // the names left in the ring are written over, never logged
    V.queuedBase = platSoundStarted();
    if (V.systemVoice == 1) platSpeechCancel();
    V.cutNext = 0;
}

bool speechBusy() {
    serviceSpeech();
    return platSoundBusy();
}

void speakDigits(std::string_view text) {
    // Numbers are spoken without sign and without the leading blank of
    // numberText: blanks and "-" have no prompt.
    markNumberStart();
    for (char c : text) {
        if (c == ' ' || c == '\t' || c == '-') continue;
        playPrompt(std::string_view(&c, 1));
    }
}

bool openVoice() {
    auto& V = speechState;
    V.systemVoice = 0;
    V.utterance.clear();
    V.cutNext = 0;
    V.readerVoice = 0;
    V.accessOpen = 0;
    V.accessMissing = 0;
    V.panelLine.clear();
    const bool reader = V.voiceChoice == kVoiceScreenReader;
    if (V.brailleChoice == 1 || reader) {
        V.accessOpen = platAccessOpen(V.brailleChoice == 1, reader) ? 1 : 0;
        V.accessMissing = V.accessOpen == 1 ? 0 : 1;
        V.readerVoice = reader && V.accessOpen == 1 ? 1 : 0;
    }
    if (V.voiceChoice != kVoiceSystem) return !reader || V.readerVoice == 1;
    if (!platSpeechOpen()) return false;
    V.systemVoice = 1;
    return true;
}

void endUtterance() {
    if (speechState.systemVoice == 1) sayUtterance(false);
}

void closeVoice() {
    auto& V = speechState;
    endUtterance();
    if (V.systemVoice == 1) platSpeechClose();
    V.systemVoice = 0;
    finishReadout();
    if (V.accessOpen == 1) platAccessClose();
    V.accessOpen = 0;
    V.readerVoice = 0;
}

void closeSpeechLog() {
    if (speechLogFile > 0) platFileClose(speechLogFile);
    speechLogFile = 0;
    speechLogPath.clear();
}
