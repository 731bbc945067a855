// Fuzz target: the rigctld-compatible network port. Up to three clients of
// the fake platform send pieces of the input (FuzzedDataProvider strings);
// read from the input's end come the choices of each step: a piece from a
// client, a client hanging up or reconnecting, a client that stops reading,
// a tick, or a network event. A fake radio answers every command with the
// next text of the input (its "KY" answers feed the CW text, its silence
// ends it). Every line also goes through the protocol's parser, command by
// command, and both answer forms directly.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <string>

#include "fuzz_support.h"
#include "network/net_clients.h"
#include "network/net_state.h"
#include "network/rigctld_protocol.h"

namespace {

constexpr int kPort = 4532;
constexpr int kClients = 3;
constexpr std::size_t kMaxPiece = 1500;
constexpr std::size_t kMaxAnswer = 300;
constexpr int kMaxSteps = 64;

// Every command of every line, read one after the other: each read moves
// on, the last reaches the line's end, and both answer forms end a line.
void checkParser(const std::string& piece) {
    fuzz::forEachPiece(piece, '\n', [](const std::string& line) {
        std::size_t at = 0;
        int commands = 0;
        while (!netLineDone(line, at)) {
            const std::size_t before = at;
            const NetRequest r = parseNetCommand(line, at);
            FUZZ_CHECK(at > before && at <= line.size(), "a command read without moving on", line);
            FUZZ_CHECK(++commands <= static_cast<int>(line.size()), "more commands than characters", line);
            FUZZ_CHECK(r.arguments.size() <= kTextCapacity, "arguments kept beyond a text", line);
            for (int code : {kRprtOk, r.error}) {
                const std::string answer = netAnswer(r, code, "1", "2", "3", "4", "5");
                FUZZ_CHECK(!answer.empty() && answer.back() == '\n', "answer without its line end", answer);
            }
        }
    });
}

void afterEachStep(const int* clients) {
    fuzz::checkState(false);
    fuzz::checkRadioCommands(fake::takeWritten(fuzz::kRadioPort));
    fuzz::checkPrompts();
    fuzz::checkTexts();
    for (const NetClient& c : netState.clients) {
        FUZZ_CHECK(c.inbox.size() <= kNetInputLimit, "client text kept beyond the limit", c.inbox);
        FUZZ_CHECK(c.outbox.size() <= kNetOutputLimit, "answers held beyond the limit", c.outbox);
        FUZZ_CHECK(c.morseWait == 1 || c.morseAnswer.empty(), "an answer held with no wait", c.morseAnswer);
    }
    FUZZ_CHECK(radioState.cwText.size() <= static_cast<std::size_t>(kCwTextCapacity), "CW text beyond its room",
               radioState.cwText);
    for (int k = 0; k < kClients; ++k) {
        if (clients[k] == 0) continue;
        // A connection with room for everything gets whole answers only; one
        // that stopped reading gets what fits and the rest stays queued.
        const bool roomy = fake::state().sockets[clients[k]].room < 0;
        const std::string back = fake::clientTake(clients[k]);
        FUZZ_CHECK(!roomy || back.empty() || back.back() == '\n', "answer cut short", back);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider in(data, size);
    fuzz::resetAll();
    fuzz::answerFromInput(in, kMaxAnswer);

    fuzz::openRadioPort();
    sessionState.connected = in.ConsumeIntegralInRange(0, 1);
    // Each model's CW text form, and the reduced-feature radio without one.
    radioState.rigModel = in.ConsumeIntegralInRange(19, 25);
    if (radioState.rigModel == 25) radioState.rigModel = kReducedModel;
    radioState.powerSwitching = in.ConsumeIntegralInRange(0, 1);
    takeSplitDigit(in.ConsumeIntegralInRange(0, 2));
    catState.debugLog = in.ConsumeIntegralInRange(0, 1);
    if (catState.debugLog == 1) openDebugLog();
    netState.rigctldPort = kPort;
    openNetPort();
    int clients[kClients] = {};
    for (int& c : clients) c = fake::connectClient(kPort);

    for (int i = 0; i < kMaxSteps && in.remaining_bytes() > 0; ++i) {
        const int step = in.ConsumeIntegralInRange(0, 6);
        const int k = in.ConsumeIntegralInRange(0, kClients - 1);
        switch (step) {
        case 0:
        case 1:
        case 2: {
            const std::string piece = in.ConsumeRandomLengthString(kMaxPiece);
            checkParser(piece);
            if (clients[k] != 0) fake::clientSend(clients[k], piece);
            break;
        }
        case 3:
            if (clients[k] != 0) fake::clientClose(clients[k]);
            clients[k] = fake::connectClient(kPort);
            break;
        case 4:
            if (clients[k] != 0) fake::state().sockets[clients[k]].room = in.ConsumeIntegralInRange(0, 200);
            break;
        case 5: fuzz::tick(); break;
        default:
            keysState.eventKind = kEventNetwork;
            handleEvent();
            break;
        }
        afterEachStep(clients);
    }
    closeNetPort();
    afterEachStep(clients);
    fuzz::stopAnswering();
    return 0;
}
