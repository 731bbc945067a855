// The voice-prompt player: prompt names to WAV files, and the optional speech log.
#include "speech/prompts.h"

#include "base/text.h"
#include "platform/platform.h"
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

}  // namespace

std::string promptPath(std::string_view name) {
    std::string path = speechState.waveDir + lowerText(name);
    if (!hasExtension(name)) path += ".wav";
    return path;
}

void playPrompt(std::string_view name, bool wait) {
    if (name.empty()) return;
    // A network client's setting is not spoken; its reply pauses still wait.
    if (speechState.promptsQuiet == 1 && name != "delay") return;
    logPrompt(name);
    platPlayWav(promptPath(name), wait);
}

void notePrompt(std::string_view name) {
    if (!name.empty()) logPrompt(name);
}

void speakDigits(std::string_view text) {
    // Numbers are spoken without sign and without the leading blank of
    // numberText: blanks and "-" have no prompt.
    for (char c : text) {
        if (c == ' ' || c == '\t' || c == '-') continue;
        playPrompt(std::string_view(&c, 1), true);
    }
}

void closeSpeechLog() {
    if (speechLogFile > 0) platFileClose(speechLogFile);
    speechLogFile = 0;
    speechLogPath.clear();
}
