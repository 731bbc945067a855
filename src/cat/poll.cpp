// The 50 ms poll cycle: collect the last answer, serve the pass-through port, send the next query; the link watchdog.
#include "cat/poll.h"

#include "cat/exchange.h"
#include "cat/serial_port.h"
#include "cat/simulator.h"
#include "keys/meters.h"
#include "screen/display.h"
#include "shell/program_state.h"
#include "shell/text.h"

namespace {

constexpr int kQuietTicksHeld = 20;   // quietTicks stops counting here
constexpr int kSilentPollsLost = 19;  // more silent collections than this lose the link
constexpr int kPortReadMaximum = 255;

// Takes the answer to the query sent on an earlier tick. Returns false when
// nothing was waiting: the tick then ends without a new query, so a silent
// radio is asked on every second tick.
bool collectAnswer() {
    auto& C = catState;
    auto& S = shellState;
    C.pollAwaitingReply = 0;
    const int count = S.simMode == 1 ? 1 : portBytesWaiting(S.comPort);
    if (count <= 0) {
        C.silentPolls += 1;
        if (C.silentPolls > kSilentPollsLost) {
            // About two seconds of silence: the next frequency answer resynchronises fully.
            C.connected = 0;
            C.silentPolls = kSilentPollsLost;
        }
        return false;
    }
    C.silentPolls = 0;
    if (S.simMode == 1)
        simulatePollReply();
    else
        portRead(S.comPort, C.replyText, kPortReadMaximum);
    if (S.debugLog == 1) debugLine("RX=" + C.replyText);
    // Answers are recognised by content, not matched to queries, so a late one is still used.
    if (startsWith(C.replyText, "FA") || startsWith(C.replyText, "FB")) updateFrequencyDisplay();
    handleMeterReply();
    return true;
}

// The meter query of the moment: the ALC watch reads "RM" whatever runs;
// tuning reads the SWR; otherwise the S-meter, whose form the reduced-feature
// radio shortens.
const char* meterQuery() {
    auto& R = radioState;
    if (R.alcAnnounce > 0) return "RM";
    if (R.tuning == 1) return reducedFeatureRadio() ? "SW" : "RM";
    return reducedFeatureRadio() ? "SM" : "SM0";
}

}  // namespace

void pollTick() {
    auto& C = catState;
    auto& R = radioState;
    auto& S = shellState;
    if (C.busy == 1) return;  // another exchange owns the radio port
    R.quietTicks += 1;
    if (R.quietTicks > kQuietTicksHeld) R.quietTicks = kQuietTicksHeld;

    if (C.pollAwaitingReply == 1) {
        if (!collectAnswer()) return;
    } else if (S.bridgePort > 0 && S.simMode != 1 && portBytesWaiting(S.comPort) > 0) {
        // An answer that was not there yet when its collection came (the
        // tick after a reply pause falls due at once) is this program's:
        // taken now, it is not forwarded as the answer to the other
        // program's command.
        collectAnswer();
    }

    if (S.bridgePort > 0) servePassThrough();

    C.pollAwaitingReply = 1;
    if (C.pollSelect == 0)
        putText(C.cmdText, R.splitState > 0 ? "FB" : "FA");
    else
        putText(C.cmdText, meterQuery());
    C.pollSelect = C.pollSelect == 0 ? 1 : 0;
    sendCommand();
}
