// Fuzz target: text from the pass-through port (another program's CAT
// commands) and the radio's answers to them. The input is a run of texts
// (FuzzedDataProvider strings: each ended by a backslash and one more byte);
// read from its end come the choices of each step: a piece arriving from the
// other program, a radio answer arriving unasked, a poll tick (which serves
// the pass-through port), or the pass-through service alone. A fake radio
// answers every command with the next text of the input.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <set>
#include <string>

#include "fuzz_support.h"
#include "session/poll.h"

namespace {

constexpr int kModels[] = {23, 100, 20, 24, 22};
constexpr std::size_t kMaxPiece = 300;
constexpr int kMaxSteps = 64;


// The commands the pass-through service may forward in this step: every
// complete one the other program has sent, up to the last ";" that a text
// holds (with "FA" turned into "FB" while split). They go to the radio as
// they stand, so they are exempt from the checks on the program's own
// commands; they only have to fit a text.
std::set<std::string> forwardable() {
    std::set<std::string> commands;
    const std::string text =
        catState.bridgeInbox + fake::state().ports[fuzz::kBridgePort].incoming.substr(0, kTextCapacity);
    const std::size_t last = text.rfind(';', kTextCapacity - 1);
    if (last == std::string::npos) return commands;
    std::size_t from = 0;
    while (from <= last) {
        const std::size_t end = text.find(';', from);
        const std::string command = text.substr(from, end - from);
        from = end + 1;
        commands.insert(command);
        if (startsWith(command, "FA")) commands.insert("FB" + command.substr(2));
    }
    return commands;
}

void afterEachStep(const std::set<std::string>& exempt, bool tables = false) {
    fuzz::checkState(tables);
    fuzz::checkRadioCommands(fake::takeWritten(fuzz::kRadioPort), exempt);
    const std::string back = fake::takeWritten(fuzz::kBridgePort);
    // Never more than a reply holds.
    FUZZ_CHECK(back.size() <= kReplyCapacity, "answer to the pass-through port longer than a reply", back);
    FUZZ_CHECK(catState.bridgeInbox.size() <= kTextCapacity, "bridgeInbox unbounded", catState.bridgeInbox);
    fuzz::checkPrompts();
    fuzz::checkTexts();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider in(data, size);
    fuzz::resetAll();
    fuzz::answerFromInput(in, kMaxPiece);

    fuzz::openRadioPort();
    catState.bridgePort = fuzz::kBridgePort;
    openPortSequence(fuzz::kBridgePort);
    radioState.rigModel = in.PickValueInArray(kModels);
    sessionState.connected = in.ConsumeIntegralInRange(0, 1);
    takeSplitDigit(in.ConsumeIntegralInRange(0, 2));
    catState.debugLog = in.ConsumeIntegralInRange(0, 1);
    if (catState.debugLog == 1) openDebugLog();
    afterEachStep({});

    for (int i = 0; i < kMaxSteps && in.remaining_bytes() > 0; ++i) {
        const int step = in.ConsumeIntegralInRange(0, 4);
        const std::set<std::string> exempt = step >= 3 ? forwardable() : std::set<std::string>{};
        switch (step) {
        case 0:
        case 1: {
            const std::string piece = in.ConsumeRandomLengthString(kMaxPiece);
            fake::feed(fuzz::kBridgePort, piece);
            break;
        }
        case 2: fake::feed(fuzz::kRadioPort, in.ConsumeRandomLengthString(kMaxPiece)); break;
        case 3: fuzz::tick(); break;
        default: servePassThrough(listeningVfo()); break;  // as the poll serves it
        }
        afterEachStep(exempt);
    }
    afterEachStep({}, true);
    fuzz::stopAnswering();
    return 0;
}
