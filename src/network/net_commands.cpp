// The rigctld-compatible network port: accepting clients, cutting their
// text into lines, and answering each line from the program's state or by
// running the procedure the matching key runs.
#include "network/net_commands.h"

#include <cstdio>

#include "base/records.h"
#include "base/text.h"
#include "link/cat_state.h"
#include "link/exchange.h"
#include "network/rigctld_protocol.h"
#include "platform/platform.h"
#include "radio/band_table.h"
#include "radio/gains.h"
#include "radio/mode_filter.h"
#include "radio/panel.h"
#include "radio/radio_state.h"
#include "radio/toggles.h"
#include "radio/vfo_split.h"
#include "session/announce.h"
#include "session/meters.h"
#include "session/session_state.h"
#include "speech/speech_state.h"

NetState netState;

namespace {

constexpr int kReadChunk = 1024;
// Bytes taken from one client per service: a client that floods waits for
// the next wake-up (which comes at once), and keys and ticks go first.
constexpr int kReadsPerService = 4;
constexpr int kAcceptsPerService = 16;

// Frequency answers: "FA"/"FB" and 11 digits of hertz.
constexpr int kFreqReplyOffset = 2;
constexpr int kFreqReplyDigits = 11;

// The S-meter as Hamlib's STRENGTH, in dB relative to S9: three steps of
// sMeter make one S unit of 6 dB, and 27 steps are S9.
constexpr int kDbPerStep = 2;
constexpr int kS9Steps = 27;

// Power limits as the power keys keep them: 5 W up to the ceiling, a
// quarter of it in AM, where the carrier is the average power.
constexpr int kPowerFloor = 5;

// Passbands of the modes whose filter the client cannot choose.
constexpr int kAmPassband = 6000;
constexpr int kFmNarrowPassband = 10000;
constexpr int kFmPassband = 15000;
constexpr int kFmWideAbove = 12500;      // a wider FM passband asked for is FM wide
// SSB: high-cut index 0..12 is 1.0 to 3.4 kHz in 200 Hz steps.
constexpr int kSsbIndexBaseHz = 1000;
constexpr int kSsbIndexStepHz = 200;
constexpr int kSsbWidestIndex = 12;
constexpr int kCwNarrowest = 50;
constexpr int kCwWidest = 2500;

// How long a reading of the VFO the poll does not follow is used: a client
// polling it ten times a second must not hold the program in a reply pause
// each time, and a knob turned meanwhile shows within this.
constexpr std::int64_t kOtherVfoFreshMs = 1000;

std::string hzText(long long hz) { return plainNumber(hz); }

// --- what a client asks -----------------------------------------------------

// The VFO the poll does not follow (VFO A while split, VFO B otherwise)
// read from the radio: the query pattern, with the split redirection held
// off so that "FA" really asks VFO A. False when no whole answer came.
bool askRadioFrequency(const char* letters, long long& hz) {
    auto& R = radioState;
    const int split = R.splitState;
    R.splitState = 0;
    queryRadio(letters);
    R.splitState = split;
    std::string digits;
    const bool found = replyField(letters, kFreqReplyOffset, kFreqReplyDigits, digits) &&
                       static_cast<int>(digits.size()) == kFreqReplyDigits && allDigits(digits);
    if (found) hz = static_cast<long long>(textValue(digits));
    // The read also took the answer to the poll's last query, if it had
    // come: it goes where the poll would have put it, and the poll does not
    // count its collection as silent.
    if (!catState.replyText.empty()) {
        sessionState.silentPolls = 0;
        if (startsWith(catState.replyText, R.splitState > 0 ? "FB" : "FA"))
            updateFrequencyDisplay();
        else
            handleMeterReply();
    }
    return found;
}

// A poll query sent just before a client's setting is answered with the old
// frequency, and taken in up to a tick later; after this the poll has asked
// again and its answers are the radio's own.
constexpr std::int64_t kSettingSettlesMs = 300;

// Tunes the working frequency (VFO B while split) as the tuning keys do,
// and keeps it for the client's read-back.
void tuneWorkingFrequency(long long hz) {
    moveFrequency(hz);
    sendWorkingFrequency();
    netState.setWorkingHz = hz;
    netState.setWorkingAtMs = platTickMs();
}

// The working frequency as a client should read it.
long long workingFrequency() {
    const auto& N = netState;
    if (N.setWorkingAtMs >= 0 && platTickMs() - N.setWorkingAtMs < kSettingSettlesMs) return N.setWorkingHz;
    return radioState.freqHz;
}

// Keeps hz as the reading of the VFO the poll does not follow.
void keepOtherVfo(long long hz) {
    auto& N = netState;
    N.otherVfoHz = hz;
    N.otherVfoAtMs = platTickMs();
    N.otherVfoSplit = radioState.splitState > 0 ? 1 : 0;
}

// The VFO the poll does not follow: the reading kept when it is fresh,
// otherwise asked. False when the radio gave no answer.
bool otherVfoFrequency(long long& hz) {
    const auto& N = netState;
    const int split = radioState.splitState > 0 ? 1 : 0;
    if (N.otherVfoSplit == split && platTickMs() - N.otherVfoAtMs < kOtherVfoFreshMs) {
        hz = N.otherVfoHz;
        return true;
    }
    if (!askRadioFrequency(split == 1 ? "FA" : "FB", hz)) return false;
    keepOtherVfo(hz);
    return true;
}

const char* modeName(int mode) {
    switch (mode) {
    case kModeLsb: return "LSB";
    case kModeUsb: return "USB";
    case kModeCw: return "CW";
    case kModeAm: return "AM";
    default: return "FM";
    }
}

int passbandOf() {
    const auto& R = radioState;
    switch (R.mode) {
    case kModeLsb:
    case kModeUsb: return kSsbIndexBaseHz + kSsbIndexStepHz * R.ssbWidth;
    case kModeCw: return R.cwWidth;
    case kModeAm: return kAmPassband;
    case kModeFm: return kFmPassband;
    default: return kFmNarrowPassband;
    }
}

// The VFO a client's "V" names: 1 VFO B, 0 VFO A, -1 the one it had. The
// radio always receives on VFO A; a client may still name VFO B (Hamlib
// does, around a split setting), and its f and F then mean VFO B.
int namedVfoB(const std::string& name) {
    if (name == "VFOB" || name == "Sub") return 1;
    if (name == "TX") return radioState.splitState > 0 ? 1 : 0;
    if (name == "VFOA" || name == "Main" || name == "RX") return 0;
    return -1;  // currVFO, VFO
}

// --- what a client sets -----------------------------------------------------

int setFrequency(const NetRequest& r) {
    auto& R = radioState;
    if (R.splitState > 0) {
        // While split the keys tune VFO B; the client names the receive VFO,
        // so the redirection to VFO B is held off for this command.
        const int split = R.splitState;
        R.splitState = 0;
        sendText(frequencyCommand("FA", r.hz));
        R.splitState = split;
        keepOtherVfo(r.hz);
        storeVfoA(r.hz);  // leaving split comes back to it
        return kRprtOk;
    }
    tuneWorkingFrequency(r.hz);
    return kRprtOk;
}

int setSplitFrequency(const NetRequest& r) {
    if (radioState.splitState > 0) {
        // VFO B is the working frequency while split: tuned as the keys do.
        tuneWorkingFrequency(r.hz);
    } else {
        sendText(frequencyCommand("FB", r.hz));
        keepOtherVfo(r.hz);
    }
    return kRprtOk;
}

int setModeAndPassband(const NetRequest& r) {
    auto& R = radioState;
    int mode = kModeLsb;
    if (r.modeName == "USB") mode = kModeUsb;
    else if (r.modeName == "CW") mode = kModeCw;
    else if (r.modeName == "AM") mode = kModeAm;
    else if (r.modeName == "FM") {
        if (r.passband > kFmWideAbove) mode = kModeFm;
        else if (r.passband <= 0 && R.mode == kModeFm) mode = kModeFm;
        else mode = kModeFmNarrow;
    }
    // The reduced-feature radio's modes end at CW, as its mode key does.
    if (reducedFeatureRadio() && mode > kModeCw) return kRprtInvalid;
    if (r.passband > 0 && (mode == kModeLsb || mode == kModeUsb)) {
        int index = (r.passband - kSsbIndexBaseHz + kSsbIndexStepHz / 2) / kSsbIndexStepHz;
        if (r.passband < kSsbIndexBaseHz) index = 0;
        R.ssbWidth = index > kSsbWidestIndex ? kSsbWidestIndex : index;
    }
    if (r.passband > 0 && mode == kModeCw)
        R.cwWidth = r.passband < kCwNarrowest ? kCwNarrowest : r.passband > kCwWidest ? kCwWidest : r.passband;
    // setMode sends the mode with the width just kept for it, and keeps
    // the band record, the screen and the status row in step.
    R.mode = mode;
    setMode();
    return kRprtOk;
}

int setPtt(const NetRequest& r, int slot) {
    auto& R = radioState;
    const bool on = r.on > 0;
    if (on != (R.txState > 0)) transmitKey();
    netState.pttSlot = R.txState > 0 ? slot : -1;
    return kRprtOk;
}

int setSplit(const NetRequest& r) {
    auto& R = radioState;
    const bool on = r.on == 1;
    // The transmitter goes to VFO B; split with both on VFO A is none.
    if (on && (r.vfoName == "VFOA" || r.vfoName == "Main")) return kRprtInvalid;
    if (on == (R.splitState > 0)) return kRprtOk;
    // The other VFO and the working one are others now.
    netState.otherVfoSplit = -1;
    netState.setWorkingAtMs = -1;
    // Outside every band the split key refuses: there is no record for VFO B.
    if (!bandHasRecord(R.band)) return kRprtRejected;
    // As the V key in the key chain: its own commands, then the working
    // frequency sent (to VFO B on the way in; swallowed on the way out).
    if (on) {
        // VFO B keeps its frequency (the V key's copy of VFO A into it is a
        // keyboard convenience a client does not expect), and the change is
        // not announced.
        splitKey();
        if (R.splitState == 1) R.splitState = 2;
        // The working frequency is VFO B's from now on; the poll would bring
        // it a tick later, and a client reads it back at once.
        long long vfoB = 0;
        if (askRadioFrequency("FB", vfoB)) {
            R.freqHz = static_cast<int>(vfoB);
            netState.setWorkingHz = vfoB;
            netState.setWorkingAtMs = platTickMs();
        }
        return kRprtOk;
    }
    // Split off puts VFO A back from the band record; a client expects its
    // receive frequency to stay where it is, so VFO A is read first and
    // tuned back after.
    long long vfoA = 0;
    const bool known = askRadioFrequency("FA", vfoA);
    splitKey();
    sendWorkingFrequency();  // swallowed, as after the V key
    if (known) tuneWorkingFrequency(vfoA);
    return kRprtOk;
}

int setPower(const NetRequest& r) {
    auto& R = radioState;
    if (reducedFeatureRadio()) return kRprtNotAvailable;  // fixed output
    const int top = R.mode == kModeAm ? R.powerCeiling / 4 : R.powerCeiling;
    int watts = roundToInt(r.levelValue * R.powerCeiling);
    if (watts > top) watts = top;
    if (watts < kPowerFloor) watts = kPowerFloor;
    R.txPower = watts;
    R.quietPowerSet = 1;
    sendPower();
    R.quietPowerSet = 0;
    return kRprtOk;
}

// --- answering one line -----------------------------------------------------

bool isSet(NetCommand c) {
    return c == kNetSetFreq || c == kNetSetMode || c == kNetSetVfo || c == kNetSetPtt ||
           c == kNetSetSplitVfo || c == kNetSetSplitFreq || c == kNetSetLevel;
}

int runSet(const NetRequest& r, int slot) {
    switch (r.command) {
    case kNetSetFreq: return netState.clients[slot].onVfoB == 1 ? setSplitFrequency(r) : setFrequency(r);
    case kNetSetSplitFreq: return setSplitFrequency(r);
    case kNetSetMode: return setModeAndPassband(r);
    case kNetSetPtt: return setPtt(r, slot);
    case kNetSetSplitVfo: return setSplit(r);
    case kNetSetLevel: return setPower(r);
    case kNetSetVfo: {
        NetClient& c = netState.clients[slot];
        const int b = namedVfoB(r.vfoName);
        if (b >= 0) c.onVfoB = b;
        return kRprtOk;
    }
    default: return kRprtNotAvailable;
    }
}

std::string answerGet(const NetRequest& r, int slot) {
    const auto& R = radioState;
    const bool onVfoB = netState.clients[slot].onVfoB == 1;
    long long hz = 0;
    switch (onVfoB && r.command == kNetGetFreq ? kNetGetSplitFreq : r.command) {
    case kNetGetFreq:
        if (R.splitState == 0) return netAnswer(r, kRprtOk, hzText(workingFrequency()));
        return otherVfoFrequency(hz) ? netAnswer(r, kRprtOk, hzText(hz)) : netAnswer(r, kRprtIoError);
    case kNetGetSplitFreq:
        if (R.splitState > 0) return netAnswer(r, kRprtOk, hzText(workingFrequency()));
        return otherVfoFrequency(hz) ? netAnswer(r, kRprtOk, hzText(hz)) : netAnswer(r, kRprtIoError);
    case kNetGetMode: return netAnswer(r, kRprtOk, modeName(R.mode), plainNumber(passbandOf()));
    case kNetGetVfo: return netAnswer(r, kRprtOk, onVfoB ? "VFOB" : "VFOA");
    case kNetGetPtt: return netAnswer(r, kRprtOk, R.txState > 0 || R.tuning == 1 ? "1" : "0");
    case kNetGetSplitVfo:
        return netAnswer(r, kRprtOk, R.splitState > 0 ? "1" : "0", R.splitState > 0 ? "VFOB" : "VFOA");
    case kNetGetPowerstat: return netAnswer(r, kRprtOk, "1");
    case kNetGetLockMode: return netAnswer(r, kRprtOk, "0");
    case kNetGetLevel: {
        if (r.level == kNetLevelStrength) return netAnswer(r, kRprtOk, plainNumber(kDbPerStep * (R.sMeter - kS9Steps)));
        char text[32];
        const double share = R.powerCeiling > 0 ? static_cast<double>(R.txPower) / R.powerCeiling : 0;
        std::snprintf(text, sizeof text, "%f", share);
        return netAnswer(r, kRprtOk, text);
    }
    default: return netAnswer(r, kRprtNotAvailable);
    }
}

// The answer to one line of the client in slot; quit tells that the client
// asked to be disconnected.
std::string answerLine(const std::string& line, int slot, bool& quit) {
    auto& Q = speechState;
    const NetRequest r = parseNetLine(line);
    quit = r.command == kNetQuit && r.error == kRprtOk;
    if (r.error != kRprtOk) return netAnswer(r, r.error);
    // These describe the port itself and need no radio.
    if (r.command == kNetChkVfo) return netAnswer(r, kRprtOk, "0");
    if (r.command == kNetDumpState || r.command == kNetQuit) return netAnswer(r, kRprtOk);
    if (sessionState.connected == 0) return netAnswer(r, kRprtIoError);
    if (!isSet(r.command)) return answerGet(r, slot);
    // While the tune sequence runs the keys are refused too.
    if (radioState.tuning == 1) return netAnswer(r, kRprtRejected);
    // The operator hears only what the operator did: a client's change runs
    // without speech (the reply pause still waits).
    Q.promptsQuiet = 1;
    const int code = runSet(r, slot);
    Q.promptsQuiet = 0;
    // Heard, once settled, only at the level "all".
    noteChange(kChangeByOtherProgram);
    return netAnswer(r, code);
}

// --- connections --------------------------------------------------------------

void writeWaiting(NetClient& c) {
    if (c.outbox.empty()) return;
    const int n = platNetWrite(c.handle, c.outbox);
    if (n > 0) c.outbox.erase(0, static_cast<std::size_t>(n));
}

// Closes the client in slot. A transmitter it keyed goes back to receive:
// a client that vanished must not leave the radio sending.
void dropClient(int slot) {
    auto& N = netState;
    NetClient& c = N.clients[slot];
    platNetClose(c.handle);
    c = NetClient{};
    if (N.pttSlot == slot) {
        N.pttSlot = -1;
        if (radioState.txState > 0) {
            speechState.promptsQuiet = 1;
            transmitKey();
            speechState.promptsQuiet = 0;
            noteChange(kChangeByOtherProgram);
        }
    }
}

// Answers one whole line; false when the client was dropped.
bool serveLine(int slot, const std::string& line) {
    NetClient& c = netState.clients[slot];
    if (!netLineIsText(line)) {
        // Not this protocol: say so and hang up.
        c.outbox += "RPRT " + plainNumber(kRprtProtocol) + "\n";
        writeWaiting(c);
        dropClient(slot);
        return false;
    }
    std::string trimmed = line;
    while (!trimmed.empty() && (trimmed.back() == '\r' || trimmed.back() == ' ' || trimmed.back() == '\t'))
        trimmed.pop_back();
    if (trimmed.find_first_not_of(" \t") == std::string::npos) return true;  // empty lines are skipped
    if (catState.debugLog == 1) debugLine("***NRX=" + leftText(trimmed, kTextCapacity));
    bool quit = false;
    c.outbox += answerLine(trimmed, slot, quit);
    writeWaiting(c);
    if (quit || c.outbox.size() > kNetOutputLimit) {
        dropClient(slot);
        return false;
    }
    return true;
}

// Reads what the client in slot sent and answers its whole lines. False
// when it had sent nothing.
bool serveClient(int slot) {
    NetClient& c = netState.clients[slot];
    bool heard = false;
    std::string chunk;
    for (int reads = 0; reads < kReadsPerService; ++reads) {
        const int n = platNetRead(c.handle, chunk, kReadChunk);
        if (n < 0) {
            // Gone: a line it had not finished is dropped with it.
            dropClient(slot);
            return true;
        }
        if (n == 0) break;
        heard = true;
        std::size_t start = 0;
        for (std::size_t end = chunk.find('\n'); end != std::string::npos; end = chunk.find('\n', start)) {
            c.inbox.append(chunk, start, end - start);
            start = end + 1;
            if (c.inbox.size() >= kNetLineLimit) break;
            const std::string line = c.inbox;
            c.inbox.clear();
            if (!serveLine(slot, line)) return true;
        }
        if (start < chunk.size()) c.inbox.append(chunk, start, std::string::npos);
        if (c.inbox.size() >= kNetLineLimit) {
            // No line of this protocol is that long.
            c.outbox += "RPRT " + plainNumber(kRprtProtocol) + "\n";
            writeWaiting(c);
            dropClient(slot);
            return true;
        }
        // A short read took all there was; more wakes the wait again.
        if (n < kReadChunk) break;
    }
    writeWaiting(c);
    return heard;
}

void acceptClients() {
    auto& N = netState;
    for (int i = 0; i < kAcceptsPerService; ++i) {
        const int handle = platNetAccept(N.listener);
        if (handle <= 0) return;
        int slot = -1;
        for (int k = 0; k < kNetClientSlots && slot < 0; ++k)
            if (N.clients[k].handle == 0) slot = k;
        if (slot < 0) {
            platNetClose(handle);  // every slot taken: this one is refused
            continue;
        }
        N.clients[slot] = NetClient{};
        N.clients[slot].handle = handle;
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
}

void serveNetClients() {
    auto& N = netState;
    // Between events no exchange is ever open; the check keeps it so.
    if (N.listener <= 0 || catState.busy == 1) return;
    bool heard = false;
    for (int slot = 0; slot < kNetClientSlots; ++slot)
        if (N.clients[slot].handle != 0 && serveClient(slot)) heard = true;
    // The wake-up was the listener's when no client had anything to say; a
    // connection that came with a client's line wakes the wait once more.
    if (!heard) acceptClients();
}

void sendNetAnswers() {
    auto& N = netState;
    if (N.listener <= 0) return;
    // Back to receive by whatever means: no client keyed what may be keyed next.
    if (radioState.txState == 0) N.pttSlot = -1;
    for (NetClient& c : N.clients)
        if (c.handle != 0) writeWaiting(c);
    // A connection that came while clients kept the wake-ups busy.
    acceptClients();
}
