// The rigctld-compatible network port: client connections, and the command
// interpreter that answers them beside the key dispatcher. Gets are answered
// from the program's state; sets run the procedures the keys run, silently.
#pragma once

#include <string>

constexpr int kNetClientSlots = 8;           // clients served at once
constexpr std::size_t kNetOutputLimit = 65536;  // answers held for a client that does not read

struct NetClient {
    int handle = 0;      // connection handle, 0 = free slot
    std::string inbox;   // received text not yet a whole line (shorter than kNetLineLimit)
    std::string outbox;  // answers the connection has not taken yet (at most kNetOutputLimit)
    int onVfoB = 0;      // 1 after the client's "V VFOB": its f and F then mean VFO B
};

struct NetState {
    int listener = 0;                     // listening socket, 0 = no port (openNetPort, closeNetPort)
    NetClient clients[kNetClientSlots];   // filled by serveNetClients as clients connect
    int pttSlot = -1;                     // client slot whose "T 1" keyed the transmitter, -1 = none
};

extern NetState netState;

// Listens on rigctldAddress:rigctldPort when rigctldPort is above 0. A port
// that cannot be opened (taken, address not of this machine) is written to
// the debug log; the program runs on without it.
void openNetPort();
// Closes every client and the listener (shutdown).
void closeNetPort();
// Takes waiting connections, reads what each client sent, answers every
// whole line and writes what waits. Run for kEventNetwork.
void serveNetClients();
// Writes answers a slow client had no room for, and forgets which client
// keyed the transmitter once it is back to receive. Run on every tick.
void sendNetAnswers();
