// The clients of the rigctld-compatible network port: the listener, the
// connections, their text cut into lines, and the lines answered in turn.
#pragma once

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
