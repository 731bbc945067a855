// The one instance of each area's state, and its reset to start values.
#include "program/program_state.h"

#include "keys/keys_state.h"
#include "link/cat_state.h"
#include "memory/memory_state.h"
#include "network/net_state.h"
#include "radio/radio_state.h"
#include "session/radio_search.h"
#include "session/session_state.h"
#include "speech/speech_state.h"

const char* const kFactoryBandRecords[kBandSlots] = {
    "",
    "01A00001900000B000019000009990",  // 160 m  LSB 1.900
    "01A00003600000B000036000009990",  // 80 m   LSB 3.600
    "02A00005400000B000054000009990",  // 60 m   USB 5.400
    "01A00007100000B000071000009990",  // 40 m   LSB 7.100
    "03A00010100000B000101000009990",  // 30 m   CW 10.100
    "02A00014200000B000142000009991",  // 20 m   USB 14.200, preamp on
    "02A00018100000B000181000009991",  // 17 m
    "02A00021200000B000212000009991",  // 15 m
    "02A00024890000B000248900009991",  // 12 m
    "02A00028500000B000285000009991",  // 10 m
    "02A00050150000B000501500009991",  // 6 m
    "05A00145000000B001450000009990",  // 2 m    FM narrow 145.000
    "05A00432000000B004320000009990",  // 70 cm  FM narrow 432.000
    "04A00009600000B000096000009990",  // general coverage, AM 9.600
};

ProgramState programState;
CatState catState;
NetState netState;
SessionState sessionState;
SearchState searchState;
RadioState radioState;
KeysState keysState;
MemoryState memoryState;
SpeechState speechState;

void resetState() {
    programState = ProgramState{};
    netState = NetState{};
    speechState = SpeechState{};
    catState = CatState{};
    sessionState = SessionState{};
    searchState = SearchState{};
    radioState = RadioState{};
    resetStartValues();
    radioState.txPower = 100;
    radioState.powerCeiling = 100;
}

namespace {

// Copies the named fields of was into now: what a reset keeps.
template <typename State, typename... Field>
void keepFields(State& now, const State& was, Field State::*... fields) {
    ((now.*fields = was.*fields), ...);
}

}  // namespace

void resetStartValues() {
    const CatState link = catState;
    const RadioState radio = radioState;
    const int announceLevel = sessionState.announceLevel;
    catState = CatState{};
    sessionState = SessionState{};
    radioState = RadioState{};
    keysState = KeysState{};
    memoryState = MemoryState{};
    // The configuration read from rigvox.cfg stays.
    keepFields(catState, link, &CatState::comPort, &CatState::baudRate, &CatState::bridgePort, &CatState::debugLog,
               &CatState::portDataBits, &CatState::portParity, &CatState::portStopCode, &CatState::simMode,
               &CatState::debugFile);
    keepFields(radioState, radio, &RadioState::txPower, &RadioState::powerCeiling, &RadioState::swrSpeech,
               &RadioState::tunerMode, &RadioState::bandCoverage, &RadioState::powerSwitching,
               &RadioState::txLimitSeconds);
    sessionState.announceLevel = announceLevel;
}
