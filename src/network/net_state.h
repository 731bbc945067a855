// State of the rigctld-compatible network port: its configuration, the
// listener, the clients' slots, and what is kept of the radio for clients.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "network/rigctld_protocol.h"

constexpr int kNetClientSlots = 32;          // clients served at once
constexpr std::size_t kNetOutputLimit = 65536;  // answers held for a client that does not read
constexpr std::size_t kNetInputLimit = 4096;    // received text held for a client: lines waiting their turn

struct NetClient {
    int handle = 0;      // connection handle, 0 = free slot
    // Received text not yet answered: whole lines waiting their turn, then
    // the start of the next (at most kNetInputLimit; read no further while full).
    std::string inbox;
    std::string outbox;  // answers the connection has not taken yet (at most kNetOutputLimit)
    int onVfoB = 0;      // 1 after the client's "V VFOB": its f and F then mean VFO B
    int vfoOpt = 0;      // the client's \set_vfo_opt, as \chk_vfo tells it back
    int spoke = 0;       // 1 after its first valid command: from then on a "Name: value" line is not a web header
    int hungUp = 0;      // 1 once the peer closed: its whole lines are still answered, then it is dropped
    std::int64_t heardAtMs = 0;  // platform clock of its connection or its last bytes: the longest idle makes room
    // \wait_morse is answered once the CW text has gone out; until then the
    // client's later lines wait unanswered in its inbox, in order.
    int morseWait = 0;          // 1 while the answer to \wait_morse is held
    std::string morseAnswer;    // that answer, in the form the client asked it
};

struct NetState {
    // Configuration line "RIGCTLD=" (rigvox.cfg), written by readConfiguration.
    int rigctldPort = 0;                  // network port, 0 = none, -1 = line not understood
    std::string rigctldAddress = "127.0.0.1";  // address listened on (loopback unless named)
    // Configuration line "RIGCTLD_ALLOW=": the clients' addresses and
    // networks let in besides loopback (network/allow_list.h); empty = loopback only.
    std::string rigctldAllow;
    int listener = 0;                     // listening socket, 0 = no port (openNetPort, closeNetPort)
    NetClient clients[kNetClientSlots];   // filled by serveNetClients as clients connect
    int nextSlot = 0;                     // the client answered first on the next event, in turn
    int pttSlot = -1;                     // client slot whose "T 1" keyed the transmitter, -1 = none
    int cwSlot = -1;                      // client slot whose "b" text the keyer is sending, -1 = none
    // The VFO the poll does not follow (A while split, B otherwise), as last
    // read from the radio or set by a client: asked again after a second.
    long long otherVfoHz = 0;
    std::int64_t otherVfoAtMs = 0;        // platform clock of that reading
    int otherVfoSplit = -1;               // splitState > 0 when it was read; -1 = none kept
    // The working frequency a client last set, and when: the poll may still
    // bring an answer the radio gave before the setting.
    long long setWorkingHz = 0;
    std::int64_t setWorkingAtMs = -1;     // platform clock of that setting; -1 = none
    // Levels and meters read from the radio for a client, as answered, and
    // when (0 = never): asked again after a while.
    std::string levelValue[kNetLevelCount];
    std::int64_t levelAtMs[kNetLevelCount] = {};
};

extern NetState netState;
