// The rigctld-compatible network port: client connections, and the command
// interpreter that answers them beside the key dispatcher. Gets are answered
// from the program's state; sets run the procedures the keys run, silently.
#pragma once

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

// Listens on rigctldAddress:rigctldPort when rigctldPort is above 0. A port
// that cannot be opened (taken, address not of this machine) is written to
// the debug log; the program runs on without it.
void openNetPort();
// Closes every client and the listener (shutdown).
void closeNetPort();
// Takes waiting connections (with every slot taken, the longest-idle client
// that holds no PTT makes room), reads what each client sent, and answers
// whole lines in turn, one client's line after another's, for a few
// milliseconds at most: keys and the tick come before the rest, which
// the event wait hands back at once (platNetInputHeld). A connection that
// sends a web request (its request line, or a header line before any
// command) is closed without a word, before anything it sent acts. Run for
// kEventNetwork.
void serveNetClients();
// Gives a client waiting on \wait_morse its answer once the CW text has
// gone out; the lines it sent meanwhile then take their turn. Run on every
// tick, after the poll.
void answerMorseWaits();
// Writes answers a slow client had no room for, takes a connection that
// waited behind busy clients, and forgets which client keyed the
// transmitter once it is back to receive. Run on every tick.
void sendNetAnswers();
