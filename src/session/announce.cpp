// Announcements of what changed without a key: the heard state, the changes
// waiting with who made them, and their readout once they have settled.
#include "session/announce.h"

#include <cstdint>
#include <string>

#include "base/named_values.h"
#include "base/text.h"
#include "platform/platform.h"
#include "radio/band_table.h"
#include "radio/radio_state.h"
#include "session/session_state.h"
#include "speech/prompts.h"
#include "speech/readouts.h"
#include "speech/speech_state.h"

namespace {

// A dial turned at the radio passes many values; one that has stood this
// long is where the operator stopped.
constexpr std::int64_t kSettleMs = 500;
// The time alone is not enough: a program held up (a slow machine, a long
// readout) would take a value it saw once for one that stood. Later reports
// must show it still there.
constexpr int kSteadyReportsSettled = 2;
// Another program may move the radio in a steady stream of small steps (a
// satellite program's Doppler correction, one a second), each of which
// would be read out in full for seconds. Its change is spoken once no
// further change of its own has come for this long: a stream stays silent
// until it stops.
constexpr std::int64_t kProgramSettleMs = 2000;

struct LevelName {
    int level;
    const char* name;
};
constexpr LevelName kLevelNames[] = {{kAnnounceQuiet, "quiet"}, {kAnnounceRadio, "radio"}, {kAnnounceAll, "all"}};

int transmitting() { return radioState.txState > 0 ? 1 : 0; }

bool levelAllows(int origin) {
    const int level = sessionState.announceLevel;
    if (level == kAnnounceAll) return origin != kChangeNone;
    if (level == kAnnounceRadio) return origin == kChangeAtRadio;
    return false;
}

// What differs from the heard state, in the order the operator needs it: a
// new band first, its frequency with it.
void speakChanges() {
    const auto& S = sessionState;
    const auto& R = radioState;
    const std::string freq = frequencyField(R.splitState > 0);
    const bool bandChanged = R.band != S.heardBand && bandHasRecord(R.band);
    if (bandChanged) speakBand(R.band);
    if (bandChanged || freq != S.heardFreq) speakFrequency(freq, R.splitState > 0);
    if (R.mode != S.heardMode) speakMode(R.mode);
    if (transmitting() != S.heardTx) {
        playPrompt("tx");
        playPrompt(transmitting() == 1 ? "on" : "off");
    }
}

}  // namespace

void acceptHeardState() {
    auto& S = sessionState;
    const auto& R = radioState;
    S.heardFreq = frequencyField(R.splitState > 0);
    S.heardBand = R.band;
    S.heardMode = R.mode;
    S.heardTx = transmitting();
    S.pendingChange = kChangeNone;
}

void noteChange(int origin) {
    auto& S = sessionState;
    if (origin > S.pendingChange) S.pendingChange = origin;
    S.lastChangeMs = platTickMs();
    if (origin == kChangeByOtherProgram) S.lastProgramChangeMs = S.lastChangeMs;
    S.steadyReports = 0;
}

void noteSteadyReport() {
    auto& S = sessionState;
    if (S.steadyReports < kSteadyReportsSettled) S.steadyReports += 1;
}

void announceSettledChanges(bool readoutRunning) {
    const auto& S = sessionState;
    const auto& R = radioState;
    if (S.pendingChange == kChangeNone) return;  // the idle tick stops here
    if (platTickMs() - S.lastChangeMs < kSettleMs || S.steadyReports < kSteadyReportsSettled) return;
    // A change at the radio waits for the dial alone; one only a program made, for the program.
    if (S.pendingChange == kChangeByOtherProgram && platTickMs() - S.lastProgramChangeMs < kProgramSettleMs) return;
    // A readout the operator asked for is never interrupted: the change
    // waits until nothing is left to say and is then spoken as it stands.
    // The system's speech does not tell when help it said has ended: until
    // a key or a readout silences it, it may still be speaking.
    if (readoutRunning || speechBusy() || speechState.cutNext == 1) return;
    if (R.alcAnnounce > 0 || R.tuning == 1) return;
    // Without a radio there is nothing to tell; the connection sequence
    // speaks the state and makes it heard.
    if (S.connected == 0) return;
    if (levelAllows(S.pendingChange)) speakChanges();
    acceptHeardState();
}

int announceLevelNamed(std::string_view name) {
    const std::string lower = lowerText(name);
    for (const LevelName& l : kLevelNames)
        if (lower == l.name) return l.level;
    return -1;
}

const char* announceLevelName(int level) {
    for (const LevelName& l : kLevelNames)
        if (level == l.level) return l.name;
    return "";
}
