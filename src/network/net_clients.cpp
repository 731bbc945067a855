// The clients of the rigctld-compatible port: the listener, connections
// taken and dropped, their text cut into lines, and the lines answered in
// turn within a short time per event.
#include "network/net_clients.h"

#include <cstdint>
#include <string>

#include "base/text.h"
#include "link/cat_state.h"
#include "link/exchange.h"
#include "network/allow_list.h"
#include "network/net_commands.h"
#include "network/net_state.h"
#include "network/rigctld_protocol.h"
#include "platform/platform.h"
#include "radio/cw_text.h"
#include "radio/radio_state.h"

namespace {

constexpr int kReadChunk = 1024;
constexpr int kAcceptsPerService = 16;
// Client lines are answered for at most this long per event (the line that
// runs past it is finished): a key's first command reaches the radio within
// the longest single line, however much clients send.
constexpr std::int64_t kServiceMs = 10;

void writeWaiting(NetClient& c) {
    if (c.outbox.empty()) return;
    const int n = platNetWrite(c.handle, c.outbox);
    if (n > 0) c.outbox.erase(0, static_cast<std::size_t>(n));
}

// Closes the client in slot, and ends what it keyed.
void dropClient(int slot) {
    NetClient& c = netState.clients[slot];
    platNetClose(c.handle);
    c = NetClient{};
    releaseClientTransmission(slot);
}

// Answers "RPRT -8" and hangs up: the client does not speak this protocol.
void refuseClient(int slot) {
    NetClient& c = netState.clients[slot];
    c.outbox += "RPRT " + plainNumber(kRprtProtocol) + "\n";
    writeWaiting(c);
    dropClient(slot);
}

// A web page can make the browser send a request to this port, with
// commands in its body: the connection is closed before any of it acts.
// Clients probe with unknown commands, so only a header before the first
// valid command counts.
bool webRequest(const NetClient& c, const std::string& line) {
    const NetLineShape shape = netLineShape(line);
    return shape == kNetLineWebRequest || (shape == kNetLineHeader && c.spoke == 0);
}

// Answers one whole line, as far as answerLine gets by untilMs; false when
// the client was dropped.
bool serveLine(int slot, const std::string& line, std::int64_t untilMs) {
    NetClient& c = netState.clients[slot];
    if (!netLineIsText(line)) {
        refuseClient(slot);  // not this protocol
        return false;
    }
    std::string trimmed = line;
    while (!trimmed.empty() && (trimmed.back() == '\r' || trimmed.back() == ' ' || trimmed.back() == '\t'))
        trimmed.pop_back();
    if (trimmed.find_first_not_of(" \t") == std::string::npos) return true;  // empty lines are skipped
    if (catState.debugLog == 1) debugLine("***NRX=" + leftText(trimmed, kTextCapacity));
    if (webRequest(c, trimmed)) {
        if (catState.debugLog == 1) debugLine("RIGCTLD web request refused");
        dropClient(slot);
        return false;
    }
    bool quit = false;
    c.outbox += answerLine(trimmed, slot, quit, untilMs);
    writeWaiting(c);
    if (quit || c.outbox.size() > kNetOutputLimit) {
        dropClient(slot);
        return false;
    }
    return true;
}

// A client whose inbox is full is not read, so its hang-up would wait
// behind its lines: the socket is asked instead. True when it is newly
// found gone.
bool noticeHangUpWhenFull(int slot) {
    NetClient& c = netState.clients[slot];
    if (c.hungUp == 1 || c.inbox.size() < kNetInputLimit || !platNetPeerGone(c.handle)) return false;
    c.hungUp = 1;
    return true;
}

// Reads what the client in slot sent, as far as its inbox has room: the
// rest waits in the socket, whose input wakes the event wait again. A
// hang-up is noticed even with the inbox full, and ends what the client
// keyed at once; the lines it sent before are still answered. False when it
// had sent nothing.
bool readClient(int slot) {
    NetClient& c = netState.clients[slot];
    std::string chunk;
    bool heard = false;
    while (c.hungUp == 0 && c.inbox.size() < kNetInputLimit) {
        const int room = static_cast<int>(kNetInputLimit - c.inbox.size());
        const int want = room < kReadChunk ? room : kReadChunk;
        const int n = platNetRead(c.handle, chunk, want);
        if (n < 0) c.hungUp = 1;  // gone: what it sent before is still answered
        if (n != 0) heard = true;
        if (n <= 0) break;
        c.inbox += chunk;
        c.heardAtMs = platTickMs();
        if (n < want) break;  // a short read took all there was
    }
    if (noticeHangUpWhenFull(slot)) heard = true;
    if (c.hungUp == 1) releaseClientTransmission(slot);
    return heard;
}

// Answers the next whole line of the client in slot (as far as untilMs
// allows). False when it had none, or waits for its CW text; a client that
// hung up is then dropped, with a line it had not finished.
bool serveNextLine(int slot, std::int64_t untilMs) {
    NetClient& c = netState.clients[slot];
    if (c.handle == 0) return false;
    if (c.morseWait == 1) {
        if (c.hungUp == 1) dropClient(slot);  // nobody waits for the answer: the text stops
        return false;
    }
    const std::size_t end = c.inbox.find('\n');
    const bool overlong = end == std::string::npos ? c.inbox.size() >= kNetLineLimit : end >= kNetLineLimit;
    if (overlong) {
        refuseClient(slot);  // no line of this protocol is that long
        return true;
    }
    if (end == std::string::npos) {
        if (c.hungUp == 1) dropClient(slot);
        return false;
    }
    const std::string line = c.inbox.substr(0, end);
    c.inbox.erase(0, end + 1);
    serveLine(slot, line, untilMs);
    return true;
}

// True while a client has a line to answer now (or is to be dropped).
bool inputHeld() {
    for (const NetClient& c : netState.clients) {
        if (c.handle == 0) continue;
        if (c.hungUp == 1) return true;
        if (c.morseWait == 0 && (c.inbox.find('\n') != std::string::npos || c.inbox.size() >= kNetLineLimit))
            return true;
    }
    return false;
}

// Answers the clients' lines in turn, one line of each client in a round,
// until none has a whole line or the time is up. With a radio that answers
// in 70 ms one command that waits for it takes the whole time, so a key
// waits at most for that one (a line of several commands is cut there).
void serveWaitingLines() {
    auto& N = netState;
    const std::int64_t untilMs = platTickMs() + kServiceMs;
    for (bool served = true; served;) {
        served = false;
        for (int k = 0; k < kNetClientSlots; ++k) {
            const int slot = (N.nextSlot + k) % kNetClientSlots;
            if (!serveNextLine(slot, untilMs)) continue;
            served = true;
            if (platTickMs() >= untilMs) {
                N.nextSlot = (slot + 1) % kNetClientSlots;
                return;
            }
        }
    }
}

// The slot for a new connection: a free one, or the one of the client
// heard from longest ago that holds no PTT, dropped to make room.
int slotForNewcomer() {
    const auto& N = netState;
    int idlest = -1;
    for (int slot = 0; slot < kNetClientSlots; ++slot) {
        if (N.clients[slot].handle == 0) return slot;
        if (slot != N.pttSlot && (idlest < 0 || N.clients[slot].heardAtMs < N.clients[idlest].heardAtMs))
            idlest = slot;
    }
    if (idlest >= 0) dropClient(idlest);
    return idlest;
}

void acceptClients() {
    auto& N = netState;
    for (int i = 0; i < kAcceptsPerService; ++i) {
        std::string peer;
        const int handle = platNetAccept(N.listener, peer);
        if (handle <= 0) return;
        // The port can key the transmitter: a client from elsewhere is shut
        // out before a byte of it is read, and takes no client's slot.
        if (!addressAllowed(N.rigctldAllow, peer)) {
            platNetClose(handle);
            if (catState.debugLog == 1) debugLine("RIGCTLD client " + peer + " not in RIGCTLD_ALLOW: closed");
            continue;
        }
        const int slot = slotForNewcomer();
        if (slot < 0) {
            platNetClose(handle);
            continue;
        }
        N.clients[slot] = NetClient{};
        N.clients[slot].handle = handle;
        N.clients[slot].heardAtMs = platTickMs();
    }
}

}  // namespace

void openNetPort() {
    auto& N = netState;
    const auto& C = catState;
    if (N.rigctldPort < 0 && C.debugLog == 1) debugLine("RIGCTLD line not understood: no network port");
    if (N.rigctldPort <= 0 || N.listener > 0) return;
    N.listener = platNetListen(N.rigctldAddress, N.rigctldPort);
    if (N.listener <= 0) {
        N.listener = 0;
        if (C.debugLog == 1)
            debugLine("RIGCTLD port " + N.rigctldAddress + ":" + plainNumber(N.rigctldPort) + " not opened");
    }
}

void closeNetPort() {
    auto& N = netState;
    for (int slot = 0; slot < kNetClientSlots; ++slot)
        if (N.clients[slot].handle != 0) {
            writeWaiting(N.clients[slot]);
            dropClient(slot);
        }
    if (N.listener > 0) platNetClose(N.listener);
    N.listener = 0;
    platNetInputHeld(false);
}

void serveNetClients() {
    auto& N = netState;
    if (N.listener <= 0) {
        platNetInputHeld(false);  // the tick looks again
        return;
    }
    bool heard = false;
    for (int slot = 0; slot < kNetClientSlots; ++slot)
        if (N.clients[slot].handle != 0 && readClient(slot)) heard = true;
    // The wake-up was the listener's when no client had anything to say; a
    // connection that came with a client's bytes waits for the tick.
    if (!heard) acceptClients();
    serveWaitingLines();
    platNetInputHeld(inputHeld());
}

void answerMorseWaits() {
    auto& N = netState;
    if (cwTextPending()) return;
    for (NetClient& c : N.clients) {
        if (c.handle == 0 || c.morseWait == 0) continue;
        c.morseWait = 0;
        c.outbox += c.morseAnswer;
        c.morseAnswer.clear();
        writeWaiting(c);
    }
}

void sendNetAnswers() {
    auto& N = netState;
    if (N.listener <= 0) return;
    // Back to receive by whatever means: no client keyed what may be keyed next.
    if (radioState.txState == 0) N.pttSlot = -1;
    // A client that hung up while its lines waited (behind \wait_morse, or
    // filling its inbox) is noticed within the tick, not when they are done.
    for (int slot = 0; slot < kNetClientSlots; ++slot) {
        if (N.clients[slot].handle == 0) continue;
        noticeHangUpWhenFull(slot);
        if (N.clients[slot].hungUp == 0) continue;
        releaseClientTransmission(slot);
        if (N.clients[slot].morseWait == 1) dropClient(slot);  // nobody waits for the answer
    }
    for (NetClient& c : N.clients)
        if (c.handle != 0) writeWaiting(c);
    // A connection that came while clients kept the wake-ups busy, or one
    // the listener could not take (out of descriptors): the event wait no
    // longer watches a listener that failed.
    acceptClients();
    platNetInputHeld(inputHeld());
}
