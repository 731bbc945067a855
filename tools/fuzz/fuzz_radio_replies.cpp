// Fuzz target: everything the radio sends back. The input is a run of radio
// answers (each ended by a backslash and one more byte, the form of
// FuzzedDataProvider's strings) and, read from its end, the choices of what
// the program does: start-up with model detection, poll ticks, the state
// query, FM with its squelch read, the ALC watch, the keyer-speed and menu
// read-backs, the noise-level reads and any key. A fake radio answers every
// command the program writes with the next answer of the input; answers
// also arrive unasked.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "fuzz_support.h"
#include "keys/menu.h"
#include "memory/memory_file.h"
#include "program/initialise.h"
#include "radio/mode_filter.h"
#include "radio/toggles.h"
#include "session/meters.h"
#include "session/poll.h"
#include "session/state_query.h"

namespace {

constexpr int kModels[] = {23, 100, 20, 24, 22, 19, 21};
// Keys worth pressing: every letter command, the F keys, arrows, digits, Enter.
constexpr int kKeys[] = {'A', 'B', 'C', 'D', 'E', 'F', 'G', 'H', 'I', 'K', 'L', 'M', 'N', 'O', 'P', 'R',
                         'S', 'T', 'U', 'V', 'W', 'X', 'Y', 'Z', '0', '1', '2', '3', '5', '9', kVkEnter,
                         kVkSpace, kVkUp, kVkDown, kVkLeft, kVkRight, kVkPageUp, kVkPageDown, kVkPeriod,
                         kVkEquals, kVkMinus, vkF(1), vkF(2), vkF(3), vkF(4), vkF(5), vkF(6), vkF(7), vkF(8),
                         vkF(9), vkF(10), vkF(11), vkF(12), kVkPad0 + 4};
constexpr std::size_t kMaxAnswer = 300;  // longer than any text, to reach the cuts
constexpr int kMaxActions = 48;


void afterEachStep(bool tables = false) {
    fuzz::checkState(tables);
    fuzz::checkRadioCommands(fake::takeWritten(fuzz::kRadioPort));
    fuzz::checkPrompts();
    fuzz::checkTexts();
}

// The memory file start-up reads: written once by the program itself, so
// each start only reads it.
const std::string& savedMemoryFile() {
    static const std::string content = [] {
        fuzz::resetAll();
        saveMemoryFile();
        return fake::fileContent("savmem.dat");
    }();
    return content;
}

void startUp(FuzzedDataProvider& in) {
    fake::setFile("savmem.dat", savedMemoryFile());
    catState.comPort = fuzz::kRadioPort;
    catState.baudRate = 9600;
    radioState.bandCoverage = in.PickValueInArray({"1", "6", "2", "7"});
    radioState.swrSpeech = in.ConsumeIntegralInRange(0, 1);
    radioState.tunerMode = in.ConsumeIntegralInRange(0, 2);
    radioState.powerSwitching = in.ConsumeIntegralInRange(0, 1);
    catState.debugLog = in.ConsumeIntegralInRange(0, 1);
    initialiseProgram();  // "ID", "OM", "SQ0", "VN" answers come from the input
}

void menuReadBack(FuzzedDataProvider& in) {
    auto& K = keysState;
    K.menuNumber = radioState.rigModel == 24 ? "00012" : "012";
    K.menuValue.clear();
    K.adjustTarget = 9;
    if (in.ConsumeBool()) K.menuValue = in.ConsumeBool() ? "1" : "12345";
    menuValueEntered();
}

// RIGVOX_FUZZ_TRACE=1 prints each step, to follow a crashing input by hand.
const bool tracing = std::getenv("RIGVOX_FUZZ_TRACE") != nullptr;

void runAction(FuzzedDataProvider& in) {
    auto& R = radioState;
    const int action = in.ConsumeIntegralInRange(0, 15);
    if (tracing) std::fprintf(stderr, "action %d (mode %d, band %d, tone %s)\n", action, R.mode, R.band, R.toneCode.c_str());
    switch (action) {
    case 0: fake::feed(fuzz::kRadioPort, in.ConsumeRandomLengthString(kMaxAnswer)); break;
    case 1:
    case 2: fuzz::tick(); break;
    case 3: queryRadioState(); break;
    case 4:
        R.mode = in.ConsumeBool() ? 5 : 7;  // FM: the squelch is read back
        setMode(true);
        break;
    case 5: fuzz::pressKey(vkF(11)); break;  // ALC watch on or off
    case 6: fuzz::pressKey('K'); break;      // keyer speed read
    case 7: menuReadBack(in); break;
    case 8: toggleNoiseBlanker(true); break;     // "NL" read when switched on
    case 9: toggleNoiseReduction(true); break;   // "RL" read when switched on
    case 10: exchangeWithRadio(in.ConsumeBool() ? "AG0" : "RM", {}, in.ConsumeIntegralInRange(0, 3)); break;
    case 11: handleMeterReply(takeRadioBytes()); break;
    case 12:
        R.tuning = R.tuning == 1 ? 0 : 1;    // SWR replies while tuning
        R.txState = in.ConsumeIntegralInRange(0, 1);
        R.tunerState = in.ConsumeIntegralInRange(0, 2);
        break;
    case 13: takeSplitDigit(in.ConsumeIntegralInRange(0, 2)); break;
    case 14: sessionState.connected = sessionState.connected == 1 ? 0 : 1; break;
    default: {
        const int key = in.PickValueInArray(kKeys);
        if (tracing) std::fprintf(stderr, "  key %d\n", key);
        fuzz::pressKey(key);
        break;
    }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider in(data, size);
    savedMemoryFile();  // made before this input's clean start
    fuzz::resetAll();
    fuzz::answerFromInput(in, kMaxAnswer);

    if (in.ConsumeBool()) {
        startUp(in);
    } else {
        fuzz::openRadioPort();
        radioState.rigModel = in.PickValueInArray(kModels);
        sessionState.connected = in.ConsumeIntegralInRange(0, 1);
        radioState.swrSpeech = in.ConsumeIntegralInRange(0, 1);
        radioState.bandCoverage = "7";
    }
    afterEachStep();
    for (int i = 0; i < kMaxActions && in.remaining_bytes() > 0; ++i) {
        runAction(in);
        afterEachStep();
    }
    afterEachStep(true);
    fuzz::stopAnswering();
    return 0;
}
