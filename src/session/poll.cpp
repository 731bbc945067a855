// The 50 ms poll cycle and what it orchestrates: collecting the last answer,
// following the radio's frequency (and the connection sequence on the first
// answer after a (re)connection), serving the pass-through port and following
// what the other program changed, sending the next query; the link watchdog.
#include "session/poll.h"

#include <cstdint>
#include <string>

#include "base/records.h"
#include "base/text.h"
#include "link/cat_state.h"
#include "link/exchange.h"
#include "link/serial_port.h"
#include "platform/platform.h"
#include "radio/band_table.h"
#include "radio/cw_text.h"
#include "radio/mode_filter.h"
#include "radio/panel.h"
#include "radio/radio_state.h"
#include "radio/toggles.h"
#include "session/announce.h"
#include "session/meters.h"
#include "session/session_state.h"
#include "session/simulator.h"
#include "session/state_query.h"
#include "speech/prompts.h"

namespace {

constexpr int kQuietTicksHeld = 20;   // quietTicks stops counting here
constexpr int kSilentPollsLost = 19;  // more silent collections than this lose the link
constexpr int kFreqAnswerEnd = kFreqAnswerLength + 1;  // where the ";" of a frequency answer stands
constexpr int kModeAnswerDigitAt = 2;  // "MD" and the radio's mode digit
// Reports in which the frequency a program sent may still show up first.
constexpr int kReportsAwaitingCommand = 3;
// While changes are announced, every fourth meter query asks the mode
// instead: a mode switched at the radio is heard within half a second, and
// the S-meter is still read five times a second.
constexpr int kMeterSlotsPerModeQuery = 4;
// A tick's worth of pass-through service: further commands are taken only
// while the radio answers quickly and this much has not yet passed, so a key
// waits at most about one tick longer than for a single exchange.
constexpr int kBridgeBudgetMs = 50;
// How long the pass-through waits for the other program's next command after
// handing it an answer: a program in the middle of a sequence sends it at once.
// After settings alone, which have no answer, it waits up to the rest of the
// tick's budget instead: the check that follows a setting ("ID;") may come
// apart from it, and would otherwise wait for the next tick.
constexpr int kBridgeNextCommandMs = 5;

// ---------------------------------------------------------------------------
// [SECTION] Following the radio
// ---------------------------------------------------------------------------

// The first frequency answer after a (re)connection: program and radio are
// brought into step, then "connected". A radio that was off (or not yet
// plugged in) at start has not told its model: it is asked before anything
// that depends on the model is spoken or sent.
void connectRadio() {
    auto& N = sessionState;
    if (N.modelAnswered == 0) checkRadioModel();
    // A reading from before the link was lost says nothing of this radio.
    radioState.sMeter = kNoSMeterReading;
    queryRadioState();
    playPrompt("connected");
    N.connected = 1;
    // The sequence has spoken the radio's state: nothing before it is news.
    acceptHeardState();
}

// True when a frequency report's digits show what a program asked for: the
// first report since a frequency command went out, or, a few reports on,
// that command's frequency (the first was an answer that came late). Any
// other new frequency was tuned at the radio. Run for every report.
bool commandedFrequency(const std::string& digits) {
    auto& N = sessionState;
    const auto& C = catState;
    bool commanded = false;
    if (C.freqReportSuperseded == 1) {
        N.awaitedFreq = midText(C.lastFreqCmd, 3, kFreqDigits);
        N.awaitedReports = kReportsAwaitingCommand;
        commanded = true;
    } else if (!N.awaitedFreq.empty()) {
        commanded = digits == N.awaitedFreq;
        N.awaitedReports -= 1;
    }
    // Seen, or given up on: the radio's own later move to the same
    // frequency (a band key back) is its own again.
    if (digits == N.awaitedFreq || N.awaitedReports <= 0) N.awaitedFreq.clear();
    return commanded;
}

// A frequency answer ("FA" or "FB", 11 digits, ";"): the band
// follows it, the window shows it, a split just switched on is announced;
// the first one after a (re)connection then runs the connection sequence, so
// that sequence already names the radio's frequency and band. Anything else
// (cut short, run together, line noise in the digits) changes nothing and
// never reaches the band record. True when the answer was followed.
bool followFrequencyAnswer(std::string_view answer) {
    auto& C = catState;
    auto& R = radioState;
    std::size_t at = 0;
    AnswerPiece first;
    if (!nextAnswer(answer, at, first) || !first.whole || first.text.size() != kFreqAnswerEnd) return false;
    const std::string digits = frequencyDigitsOf(first.text);
    if (!allDigits(digits)) return false;
    const std::string report = leftText(first.text, kFreqAnswerLength);
    // The operator's own commands are heard already (acceptHeardState after
    // every key); another program's are told apart from the radio's dial.
    const bool commanded = commandedFrequency(digits);
    if (report != C.lastFreqReply)
        noteChange(commanded ? kChangeByOtherProgram : kChangeAtRadio);
    else
        noteSteadyReport();
    putText(C.lastFreqReply, report);
    C.freqReportSuperseded = 0;
    storeBand();
    R.freqHz = textInt(digits);
    updateFrequencyDisplay();
    if (R.splitState == 1 && R.splitAnnounced == 0) {
        // Announced once, on the first display after split went on.
        playPrompt("split");
        R.splitAnnounced = 1;
    }
    C.pollAwaitingReply = 0;
    if (sessionState.connected == 0) connectRadio();
    return true;
}

// The program's mode for the mode digit of a forwarded "MD" command; 0 when
// the program has no such mode. The radio numbers FM 4 and AM 5; FM comes in
// as FM narrow, the FM mode the band records use and the one that keeps a
// repeater tone on.
int modeOfRadioDigit(std::string_view digit) {
    if (digit == "1") return kModeLsb;
    if (digit == "2") return kModeUsb;
    if (digit == "3") return kModeCw;
    if (digit == "4") return kModeFmNarrow;
    if (digit == "5") return kModeAm;
    return 0;
}

// An answer to the poll's mode query: a mode switched at the
// radio is followed and announced. An answer to a query sent before the
// program's own mode command names the old mode and is passed over; a mode
// the program has no name for (FSK, CW reverse) changes nothing, and both
// FM widths are the radio's one FM.
void followModeAnswer(std::string_view answer) {
    const auto& C = catState;
    const auto& R = radioState;
    std::string digit;
    if (!holdsAnswer(answer, "MD") || !replyField(answer, "MD", kModeAnswerDigitAt, 1, digit)) return;
    if (C.modeSetAfterQuery == 1) return;
    const int mode = modeOfRadioDigit(digit);
    if (mode == 0 || mode == R.mode || (mode == kModeFmNarrow && R.mode == kModeFm)) return;
    radioState.mode = mode;
    followMode();
    noteChange(kChangeAtRadio);
}

// What the other program's commands changed: its mode command makes the
// program's own mode (screen, filter, status row) follow, without sending the
// radio a setting it already has; a frequency answer passing by is shown as
// a poll answer would be.
void followPassThrough(const PassThroughResult& served) {
    auto& R = radioState;
    if (served.scan == 0) return;
    // The radio answered, so the link is alive. Under a steady stream of
    // commands the poll's own collections may come up empty.
    if (!served.forwarded.empty()) sessionState.silentPolls = 0;
    // The other program keyed or released the transmitter: Space releases
    // what it keyed, and the limit ends it if it does not.
    if (served.transmit == 1 && R.txState == 0) {
        setTransmitState(true);
        R.txByProgramAtMs = platTickMs();
        sessionState.bridgeKeyed = 1;
        noteChange(kChangeByOtherProgram);
    } else if (served.transmit == 0) {
        if (R.txState > 0) noteChange(kChangeByOtherProgram);
        setTransmitState(false);
    }
    // A tuner start puts a carrier on the air: the limit watches it too.
    if (served.tune == 1) R.tuneByProgramAtMs = platTickMs();
    if (served.tune == 0) R.tuneByProgramAtMs = -1;
    const int newMode = modeOfRadioDigit(served.mode);
    if (newMode > 0) {
        if (newMode != R.mode) noteChange(kChangeByOtherProgram);
        R.mode = newMode;
        followMode();
    }
    const std::string_view frequency = answerLedBy(served.forwarded, "FA");
    if (!frequency.empty()) followFrequencyAnswer(frequency);
}

// The pass-through program has gone (its end of the port closed): a
// transmission or a tuning it started ends, as a network client's does
// when it hangs up. Nobody else would end it before the limit, if ever.
void endPassThroughTransmission() {
    auto& S = sessionState;
    auto& R = radioState;
    // Released meanwhile, or keyed again by the operator (not by a program).
    if (R.txState == 0 || R.txByProgramAtMs < 0) S.bridgeKeyed = 0;
    if (S.bridgeKeyed == 0 && R.tuneByProgramAtMs < 0) return;
    if (catState.debugLog == 1) debugLine("Pass-through port gone: its transmission ended");
    if (S.bridgeKeyed == 1) {
        S.bridgeKeyed = 0;
        toggleTransmit(false);
        noteChange(kChangeByOtherProgram);
    }
    endProgramTuning(false);
}

// Serves the pass-through port: one exchange, and more while the radio
// answers quickly and the other program has its next command ready, within
// a tick's worth of time.
void servePassThroughPort() {
    const auto& C = catState;
    const std::int64_t start = platTickMs();
    if (radioState.txState == 0) sessionState.bridgeKeyed = 0;  // released by whatever means
    // The other program's end closed, even if a new one is there already.
    const int gone = portGoneCount(C.bridgePort);
    if (gone != sessionState.bridgeGoneCount) {
        sessionState.bridgeGoneCount = gone;
        endPassThroughTransmission();
    }
    for (;;) {
        const PassThroughResult served = servePassThrough(listeningVfo());
        const bool settingsAlone = served.answered && served.forwarded.empty();  // nothing written back
        followPassThrough(served);
        if (served.scan == 0 || !served.answered) return;
        const int left = kBridgeBudgetMs - static_cast<int>(platTickMs() - start);
        if (left <= 0) return;
        if (!portWaitInput(C.bridgePort, settingsAlone ? left : kBridgeNextCommandMs)) return;
    }
}

// ---------------------------------------------------------------------------
// [SECTION] The cycle
// ---------------------------------------------------------------------------

// Takes the answer to the query sent on an earlier tick. Returns false when
// nothing was waiting: the tick then ends without a new query, so a silent
// radio is asked on every second tick.
bool collectAnswer() {
    auto& C = catState;
    auto& N = sessionState;
    C.pollAwaitingReply = 0;
    const int count = C.simMode == 1 ? 1 : radioBytesWaiting();
    if (count <= 0) {
        // The query that was not answered is no longer on its way.
        C.staleFreqAnswer = 0;
        N.silentPolls += 1;
        if (N.silentPolls > kSilentPollsLost) {
            // About two seconds of silence: the next frequency answer resynchronises fully.
            N.connected = 0;
            N.silentPolls = kSilentPollsLost;
        }
        return false;
    }
    const std::string answer = C.simMode == 1 ? simulatePollReply() : takeRadioBytes();
    if (C.debugLog == 1) debugLine("RX=" + answer);
    takePollAnswer(answer);
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

// True when this meter slot asks the mode instead: only while changes are
// announced and a radio answers, and never during the ALC watch or tuning,
// whose readings come from every slot.
bool modeQueryDue() {
    auto& N = sessionState;
    const auto& R = radioState;
    if (N.announceLevel == kAnnounceQuiet || N.connected == 0 || R.alcAnnounce > 0 || R.tuning == 1) return false;
    N.meterSlots += 1;
    if (N.meterSlots < kMeterSlotsPerModeQuery) return false;
    N.meterSlots = 0;
    return true;
}

}  // namespace

void takePollAnswer(std::string_view answer) {
    auto& C = catState;
    C.pollAwaitingReply = 0;
    sessionState.silentPolls = 0;
    // An answer to a query that went out before the program's own frequency
    // command would put the old frequency back into the band record and the
    // readout: the next query's answer is the radio's own.
    const bool stale = C.staleFreqAnswer == 1;
    C.staleFreqAnswer = 0;
    // Answers are recognised by content, not matched to queries, so a late one is still used.
    if (startsWith(answer, "FA") || startsWith(answer, "FB")) {
        // A followed answer was the whole of it: the connection sequence it
        // may run has asked the radio for more since.
        if (stale || followFrequencyAnswer(answer)) return;
    }
    handleMeterReply(answer);
    if (startsWith(answer, "MD")) followModeAnswer(answer);
}

void pollTick() {
    auto& C = catState;
    auto& R = radioState;
    R.quietTicks += 1;
    if (R.quietTicks > kQuietTicksHeld) R.quietTicks = kQuietTicksHeld;

    if (C.pollAwaitingReply == 1) {
        if (!collectAnswer()) return;
    } else if (C.bridgePort > 0 && C.simMode != 1 && radioBytesWaiting() > 0) {
        // An answer that was not there yet when its collection came (the
        // tick after a reply pause falls due at once) is this program's:
        // taken now, it is not forwarded as the answer to the other
        // program's command.
        collectAnswer();
    }

    if (C.bridgePort > 0) servePassThroughPort();
    // CW text goes to the radio's keyer while no poll answer is on its way;
    // a lost link ends it.
    if (sessionState.connected == 1) serviceCwText();
    else dropCwText();

    C.pollAwaitingReply = 1;
    const std::string query = C.pollSelect == 0 ? listeningVfo() : modeQueryDue() ? "MD" : meterQuery();
    C.pollSelect = C.pollSelect == 0 ? 1 : 0;
    sendText(query);
}
