// State of the session with the radio: whether it is connected, what the
// connection sequence has learnt, and the changes nobody asked about that
// wait to be announced.
#pragma once

#include <cstdint>
#include <string>

// How much of what nobody asked about is spoken (ANNOUNCE= in rigvox.cfg,
// the Y key): nothing; changes made at the radio; those and the changes of
// other programs.
enum AnnounceLevel { kAnnounceQuiet = 0, kAnnounceRadio = 1, kAnnounceAll = 2 };

// Who made a change that waits to be announced; the higher wins when both did.
constexpr int kChangeNone = 0;
constexpr int kChangeByOtherProgram = 1;  // a network client or the pass-through: spoken at "all"
constexpr int kChangeAtRadio = 2;         // the radio's own controls: spoken at "radio" and "all"

struct SessionState {
    int silentPolls = 0;        // consecutive silent collections, held at 19
    int connected = 0;          // 1 = radio state read and "connected" spoken
    int modelAnswered = 0;      // 1 once the radio has answered "ID": a radio that was off at start is asked at connection

    // Configuration (rigvox.cfg "ANNOUNCE="), changed by the Y key for this
    // run only; resetStartValues keeps it.
    int announceLevel = kAnnounceRadio;

    // What the operator last heard or caused, set by acceptHeardState after
    // every key and connection; an announcement speaks what differs from it.
    std::string heardFreq;      // the 11 digits the frequency readout speaks
    int heardBand = 0;
    int heardMode = 0;
    int heardTx = 0;            // 1 transmitting
    int pendingChange = kChangeNone;  // who changed something since, set by noteChange
    std::int64_t lastChangeMs = 0;    // platform clock of the latest change seen, for the settle time
    std::int64_t lastProgramChangeMs = 0;  // platform clock of the latest change another program made (noteChange)
    int steadyReports = 0;      // frequency reports since then that showed no change, held at 2
    std::string awaitedFreq;    // 11 digits of a frequency a program sent, not yet reported ("" none)
    int awaitedReports = 0;     // reports left in which it may still show up
    int meterSlots = 0;         // meter queries since the poll last asked the mode
    int bridgeKeyed = 0;        // 1 while a transmission the pass-through program keyed is on (followPassThrough)
    int bridgeGoneCount = 0;    // portGoneCount of the pass-through port when the poll last served it
};

extern SessionState sessionState;
