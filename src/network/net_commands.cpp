// What each command of the rigctld-compatible port does: answered from the
// program's state, by asking the radio, or by running the procedure the
// matching key runs.
#include "network/net_commands.h"

#include <cstdio>

#include "base/named_values.h"
#include "base/records.h"
#include "base/text.h"
#include "link/cat_state.h"
#include "link/exchange.h"
#include "network/net_state.h"
#include "network/rigctld_protocol.h"
#include "platform/platform.h"
#include "radio/band_table.h"
#include "radio/cw_text.h"
#include "radio/gains.h"
#include "radio/mode_filter.h"
#include "radio/models.h"
#include "radio/panel.h"
#include "radio/power_switch.h"
#include "radio/radio_state.h"
#include "radio/toggles.h"
#include "radio/vfo_split.h"
#include "session/announce.h"
#include "session/meters.h"
#include "session/poll.h"
#include "session/session_state.h"

namespace {


// The S-meter as Hamlib's STRENGTH, in dB relative to S9: three steps of
// sMeter make one S unit of 6 dB, and 27 steps are S9.
constexpr int kDbPerStep = 2;
constexpr int kS9Steps = 27;

// The meters a client reads while transmitting: "RM" with the meter's digit
// and its count, 0..30 dots across the radio's scale.
constexpr int kMeterCountOffset = 3;
constexpr int kMeterCountDigits = 4;
constexpr double kMeterFullScale = 30;

// The preamp's one step in dB; the attenuator's is the model's.
constexpr int kPreampDb = 12;

// How long a reading of the VFO the poll does not follow is used: a client
// polling it ten times a second must not hold the program in a reply pause
// each time, and a knob turned meanwhile shows within this.
constexpr std::int64_t kOtherVfoFreshMs = 1000;
// The same for levels and meters read from the radio for a client.
constexpr std::int64_t kLevelFreshMs = 500;

// A poll query sent just before a client's setting is answered with the old
// frequency, and taken in up to a tick later; after this the poll has asked
// again and its answers are the radio's own.
constexpr std::int64_t kSettingSettlesMs = 300;

std::string hzText(long long hz) { return plainNumber(hz); }

// A level as Hamlib writes a float.
std::string fractionText(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%f", value);
    return text;
}

std::string shareText(int value, int top) {
    double share = top > 0 ? static_cast<double>(value) / top : 0;
    if (share > 1) share = 1;
    return fractionText(share < 0 ? 0 : share);
}

// --- what the port serves ---------------------------------------------------

// What this radio and the configuration let the port serve; the reduced-
// feature radio has no F-key functions, no filter or squelch commands and
// fixed power, as its keys have.
NetServed servedNow() {
    NetServed s;
    const bool full = !reducedFeatureRadio();
    s.modes = kNetModeLsb | kNetModeUsb | kNetModeCw;
    if (full) s.modes |= kNetModeAm | kNetModeFm;
    for (NetLevel level : {kNetLevelAf, kNetLevelRf, kNetLevelKeySpeed, kNetLevelStrength})
        s.getLevels |= netLevelBit(level);
    s.setLevels = netLevelBit(kNetLevelAf) | netLevelBit(kNetLevelRf) | netLevelBit(kNetLevelKeySpeed);
    if (full) {
        for (NetLevel level : {kNetLevelSql, kNetLevelRfPower, kNetLevelMicGain, kNetLevelPreamp, kNetLevelAtt,
                               kNetLevelNr}) {
            s.getLevels |= netLevelBit(level);
            s.setLevels |= netLevelBit(level);
        }
        for (NetLevel level : {kNetLevelComp, kNetLevelSwr, kNetLevelAlc}) s.getLevels |= netLevelBit(level);
        for (NetFunc func : {kNetFuncNb, kNetFuncNr, kNetFuncAnf, kNetFuncComp, kNetFuncVox, kNetFuncMon,
                             kNetFuncTuner}) {
            s.getFuncs |= netFuncBit(func);
            s.setFuncs |= netFuncBit(func);
        }
        s.preampDb = kPreampDb;
        s.attDb = connectedModel().attenuatorDb;
    }
    s.morse = radioSendsCwText();
    s.powerSwitch = powerSwitchAllowed();
    // A client told of bands the radio lacks sends it there (a satellite
    // program's 2 m downlink to an HF radio).
    const ModelRow& model = connectedModel();
    for (int i = 0; i < kModelRanges; ++i) {
        s.receive[i] = model.receive[i];
        s.transmit[i] = model.transmit[i];
    }
    return s;
}

// --- asking the radio for a client ------------------------------------------

// The exchange for a client: the last pieces answers led by letters (every
// meter at once comes as several), "" when none came whole. An answer to the
// poll's query met on the way stays the poll's, as in every exchange.
std::string askRadio(std::string_view query, std::string_view letters, int pieces = 1) {
    const RadioAnswer answer = exchangeWithRadio(query, letters, pieces);
    if (answer.heard) sessionState.silentPolls = 0;  // the radio answered
    return answer.text;
}

// A VFO's frequency read from the radio ("FA" or "FB"). False when no whole
// answer came.
bool askRadioFrequency(const char* letters, long long& hz) {
    std::string digits;
    if (!replyDigits(askRadio(letters, letters), letters, kFreqDigitsAt - 1, kFreqDigits, digits)) return false;
    hz = static_cast<long long>(textValue(digits));
    return true;
}

// A number of width digits at offset after letters, asked with query. False
// when no whole number came.
bool askRadioNumber(const char* query, const char* letters, int offset, int width, int& value) {
    std::string field;
    if (!replyDigits(askRadio(query, letters), letters, offset, width, field)) return false;
    value = textInt(field);
    return true;
}

// A meter's count (0..30), read in the model's form: a radio that gives
// every meter at once is only asked; any other has the meter selected first,
// and the meter the tune sequence or the ALC watch reads selected again
// after. While receiving there is nothing to measure: a radio that gives no
// reading then reads 0. False when a transmitting radio gave no reading.
bool askMeterCount(MeterKind kind, int& count) {
    const auto& R = radioState;
    const bool all = readsAllMeters();
    if (!all) sendText(meterSelectCommand(kind));
    std::string field;
    const bool found = replyDigits(askRadio("RM", "RM", all ? kMeterKinds : 1), meterLetters(kind), kMeterCountOffset, kMeterCountDigits, field);
    if (!all && R.tuning == 1 && kind != kMeterSwr) sendText(meterSelectCommand(kMeterSwr));
    else if (!all && R.alcAnnounce != AlcWatch::kOff && kind != kMeterAlc) sendText(meterSelectCommand(kMeterAlc));
    if (!found && (R.txState > 0 || R.tuning == 1)) return false;
    count = found ? textInt(field) : 0;
    return true;
}

// --- the two VFOs -------------------------------------------------------------

// Tunes the working frequency (VFO B while split) as the tuning keys do,
// and keeps it for the client's read-back.
void tuneWorkingFrequency(long long hz) {
    moveFrequency(hz, false);
    sendWorkingFrequency();
    netState.setWorkingHz = hz;
    netState.setWorkingAtMs = platTickMs();
}

// The working frequency as a client should read it.
long long workingFrequency() {
    const auto& N = netState;
    if (N.setWorkingAtMs >= 0 && platTickMs() - N.setWorkingAtMs < kSettingSettlesMs) return N.setWorkingHz;
    // A key or another program has just sent a frequency that the radio has
    // not reported back yet: that one is where the radio is, so a client
    // polling meanwhile never reads the one before and sends it back.
    if (catState.freqReportSuperseded == 1) {
        const std::string sent = frequencyField(radioState.splitState > 0);
        if (static_cast<int>(sent.size()) == kFreqDigits && allDigits(sent)) return textInt(sent);
    }
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

// The frequency of VFO B (or A): the working one, or the other one.
bool vfoFrequency(bool vfoB, long long& hz) {
    if (vfoB == (radioState.splitState > 0)) {
        hz = workingFrequency();
        return true;
    }
    return otherVfoFrequency(hz);
}

// The VFO a client names: 1 VFO B, 0 VFO A, -1 the one it had. The radio
// always receives on VFO A; a client may still name VFO B (Hamlib does,
// around a split setting), and its f and F then mean VFO B.
int namedVfoB(const std::string& name) {
    if (name == "VFOB" || name == "Sub") return 1;
    if (name == "TX") return radioState.splitState > 0 ? 1 : 0;
    if (name == "VFOA" || name == "Main" || name == "RX") return 0;
    return -1;  // currVFO, VFO
}

// True when a request means VFO B: the VFO name it gives, else the
// client's own.
bool meansVfoB(const std::string& name, int slot) {
    const int named = namedVfoB(name);
    return named >= 0 ? named == 1 : netState.clients[slot].onVfoB == 1;
}

// --- what a client sets -----------------------------------------------------

// The operator hears only what the operator did: a client's change runs the
// keys' procedures without their speech (their reply pauses still wait).

int setFrequency(const NetRequest& r) {
    const auto& R = radioState;
    if (R.splitState > 0) {
        // While split the keys tune VFO B; the client names the receive VFO,
        // which is VFO A.
        sendText(frequencyCommand("FA", r.hz));
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

// M and X: the program keeps one mode for receive and transmit, set as the
// mode key sets it, on the bands where the mode key offers it.
int setModeAndPassband(const NetRequest& r) {
    auto& R = radioState;
    // The request's name is one isNetModeName takes; FM's width follows the passband.
    int mode = netModeOfName(r.modeName);
    if (mode == kModeFm) mode = fmModeForPassband(r.passband);
    if (!modeAllowedHere(mode)) return reducedFeatureRadio() ? kRprtNotAvailable : kRprtRejected;
    keepPassband(mode, r.passband);
    // setMode sends the mode with the width just kept for it, and keeps
    // the band record, the screen and the status row in step.
    R.mode = mode;
    setMode(false);
    return kRprtOk;
}

int setPtt(const NetRequest& r, int slot) {
    auto& R = radioState;
    const bool on = r.on > 0;
    // A client that has gone keys nothing: nobody would be there to release it.
    if (on && netState.clients[slot].hungUp == 1) return kRprtOk;
    // T 2 keys with the microphone, T 3 for data (the radio's rear input).
    const char* command = r.on == 2 ? "TX0" : r.on == 3 ? "TX1" : "TX";
    if (on != (R.txState > 0)) {
        toggleTransmit(false, command);
        // Keyed by a program, not the operator: it ends by itself after the limit.
        if (on) R.txByProgramAtMs = platTickMs();
    }
    // A client holds only what a program keyed: the operator's own
    // transmission does not end because a client went away.
    netState.pttSlot = R.txState > 0 && R.txByProgramAtMs >= 0 ? slot : -1;
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
    // As the V key: the split key's own commands.
    if (on) {
        // VFO B keeps its frequency (the V key's copy of VFO A into it is a
        // keyboard convenience a client does not expect), and the change is
        // not announced.
        splitKey(false);
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
    splitKey(false);
    if (known) tuneWorkingFrequency(vfoA);
    return kRprtOk;
}

// The levels a client sets as a fraction 0..1 of a fixed range: the state
// that keeps each, the top of its range, and the send of its key.
struct FractionLevel {
    NetLevel level;
    int RadioState::*value;
    int top;
    void (*send)();
};
constexpr FractionLevel kFractionLevels[] = {
    {kNetLevelAf, &RadioState::afGain, kGainTop, sendAfGain},
    {kNetLevelRf, &RadioState::rfGain, kGainTop, sendRfGain},
    {kNetLevelSql, &RadioState::squelchLevel, kGainTop, sendSquelch},
    {kNetLevelMicGain, &RadioState::micGain, kMicGainTop, sendMicGain},
    {kNetLevelNr, &RadioState::nrLevel, kNoiseLevelTop, sendNrLevel},
};

// A level set as its key sets it, held in the key's range. A level value
// is a fraction 0..1 of the key's range, or a whole number (dB, wpm).
int setLevel(const NetRequest& r) {
    auto& R = radioState;
    const double v = r.levelValue;
    for (const FractionLevel& f : kFractionLevels) {
        if (f.level != r.level) continue;
        R.*f.value = roundToInt(v * f.top);
        f.send();
        return kRprtOk;
    }
    switch (r.level) {
    case kNetLevelRfPower:
        R.txPower = heldPower(roundToInt(v * R.powerCeiling));
        sendPower(false);
        return kRprtOk;
    case kNetLevelKeySpeed:
        R.keyerSpeed = heldKeyerSpeed(roundToInt(v));
        sendKeyerSpeed();
        return kRprtOk;
    case kNetLevelPreamp:
        if ((v > 0) != (R.preampOn == 1)) togglePreamp(false);
        return kRprtOk;
    case kNetLevelAtt:
        if ((v > 0) != (R.attOn == 1)) toggleAttenuator(false);
        return kRprtOk;
    default: return kRprtNotAvailable;  // the meters are read only
    }
}

bool funcIsOn(NetFunc func) {
    const auto& R = radioState;
    switch (func) {
    case kNetFuncNb: return R.nbOn == 1;
    case kNetFuncNr: return R.nrState == SwitchState::kOn;
    case kNetFuncAnf: return R.notchOn == 1;
    case kNetFuncComp: return R.procState == SwitchState::kOn;
    case kNetFuncVox: return (R.mode == kModeCw ? R.breakInState : R.voxState) == SwitchState::kOn;
    case kNetFuncMon: return R.monitorOn == 1;
    case kNetFuncTuner: return R.tunerState != TunerState::kOff;
    default: return false;
    }
}

// A function switched as its F key switches it, when it is not already so.
int setFunc(const NetRequest& r) {
    auto& R = radioState;
    const bool on = r.on == 1;
    // The speech processor works in SSB only, as F7 says.
    if (r.func == kNetFuncComp && !isSsb(R.mode)) return kRprtRejected;
    if (on == funcIsOn(r.func)) return kRprtOk;
    switch (r.func) {
    case kNetFuncNb: toggleNoiseBlanker(false); break;
    case kNetFuncNr: toggleNoiseReduction(false); break;
    case kNetFuncAnf: toggleNotch(false); break;
    case kNetFuncComp: toggleProcessor(false); break;
    case kNetFuncVox: toggleVox(false); break;
    case kNetFuncMon: toggleMonitor(false); break;
    case kNetFuncTuner: toggleTuner(false); break;
    default: return kRprtNotAvailable;
    }
    return kRprtOk;
}

// Power commands go out only when the configuration allows them. On: the
// wake-up sequence, for a radio that is not answering. Off: the transmitter
// released and the keyer stopped first.
int setPowerstat(const NetRequest& r) {
    const bool answering = sessionState.connected == 1;
    if (r.on == 1 && answering) return kRprtOk;  // on already: nothing to send
    if (!powerSwitchAllowed()) return kRprtNotAvailable;
    if (r.on == 1) {
        sendPowerOn();
        return kRprtOk;
    }
    if (cwTextPending()) stopCwText();
    if (radioState.txState > 0) toggleTransmit(false);
    sendPowerOff();
    return kRprtOk;
}

int sendMorse(const NetRequest& r, int slot) {
    if (!radioSendsCwText()) return kRprtNotAvailable;
    if (netState.clients[slot].hungUp == 1) return kRprtOk;  // as for its PTT
    if (!queueCwText(r.text)) return kRprtRejected;  // no room for all of it
    netState.cwSlot = slot;
    return kRprtOk;
}

// --- what a client reads ----------------------------------------------------

// A level asked from the radio is used for kLevelFreshMs.
bool levelFresh(NetLevel level) {
    const auto& N = netState;
    return N.levelAtMs[level] > 0 && platTickMs() - N.levelAtMs[level] < kLevelFreshMs;
}
void keepLevel(NetLevel level, const std::string& value) {
    auto& N = netState;
    N.levelValue[level] = value;
    N.levelAtMs[level] = platTickMs();
}

// The levels a client reads from the radio as a number: the query (its
// answer led by the same letters), the number's place and width, the state
// that keeps it and the top of its range.
struct AskedNumber {
    NetLevel level;
    const char* query;
    int offset, width;
    int RadioState::*value;
    int top;
};
constexpr AskedNumber kAskedNumbers[] = {
    {kNetLevelSql, "SQ0", kSquelchReplyOffset, kLevelDigits, &RadioState::squelchLevel, kGainTop},
    {kNetLevelMicGain, "MG", kMicGainReplyOffset, kLevelDigits, &RadioState::micGain, kMicGainTop},
    {kNetLevelNr, "RL", kNrLevelReplyOffset, kNrLevelDigits, &RadioState::nrLevel, kNoiseLevelTop},
};

// A level of kAskedNumbers asked; false when it is none of them, or no
// whole number came.
bool askedNumber(NetLevel level, std::string& value) {
    for (const AskedNumber& a : kAskedNumbers) {
        if (a.level != level) continue;
        int n = 0;
        if (!askRadioNumber(a.query, a.query, a.offset, a.width, n)) return false;
        radioState.*a.value = n;
        value = shareText(n, a.top);
        return true;
    }
    return false;
}

// The value of a level the program does not keep in step with the radio:
// asked, and kept a while. False when the radio gave no answer.
bool askedLevel(NetLevel level, std::string& value) {
    auto& R = radioState;
    if (levelFresh(level)) {
        value = netState.levelValue[level];
        return true;
    }
    int n = 0;
    switch (level) {
    case kNetLevelSql:
    case kNetLevelMicGain:
    case kNetLevelNr:
        if (!askedNumber(level, value)) return false;
        break;
    case kNetLevelKeySpeed:
        if (!takeKeyerSpeedAnswer(askRadio("KS", "KS"))) return false;
        value = plainNumber(R.keyerSpeed);
        break;
    case kNetLevelSwr:
        // The ratio the SWR key speaks, from the same scale.
        if (!askMeterCount(kMeterSwr, n)) return false;
        value = fractionText(swrTenths(n) / 10.0);
        break;
    case kNetLevelComp:
    case kNetLevelAlc:
        if (!askMeterCount(level == kNetLevelComp ? kMeterComp : kMeterAlc, n)) return false;
        value = fractionText(n > kMeterFullScale ? 1 : n / kMeterFullScale);
        break;
    default: return false;
    }
    keepLevel(level, value);
    return true;
}

std::string answerLevel(const NetRequest& r) {
    const auto& R = radioState;
    if ((servedNow().getLevels & netLevelBit(r.level)) == 0) return netAnswer(r, kRprtNotAvailable);
    std::string value;
    switch (r.level) {
    case kNetLevelAf: value = shareText(R.afGain, kGainTop); break;
    case kNetLevelRf: value = shareText(R.rfGain, kGainTop); break;
    case kNetLevelRfPower: value = shareText(R.txPower, R.powerCeiling); break;
    case kNetLevelPreamp: value = plainNumber(R.preampOn == 1 ? kPreampDb : 0); break;
    case kNetLevelAtt: value = plainNumber(R.attOn == 1 ? connectedModel().attenuatorDb : 0); break;
    case kNetLevelStrength:
        // Nothing read since the connection: no figure to give.
        if (R.sMeter == kNoSMeterReading) return netAnswer(r, kRprtNotAvailable);
        value = plainNumber(kDbPerStep * (R.sMeter - kS9Steps));
        break;
    default:
        if (!askedLevel(r.level, value)) return netAnswer(r, kRprtIoError);
        break;
    }
    return netAnswer(r, kRprtOk, value);
}

// The local time as Hamlib writes a clock: "2026-12-07T09:05:03.000+01:00".
std::string clockText() {
    const PlatDateTime t = platLocalDateTime();
    const int offset = t.utcOffsetMinutes < 0 ? -t.utcOffsetMinutes : t.utcOffsetMinutes;
    return zeroPad(t.year, 4) + "-" + zeroPad(t.month, 2) + "-" + zeroPad(t.day, 2) + "T" + zeroPad(t.hour, 2) +
           ":" + zeroPad(t.minute, 2) + ":" + zeroPad(t.second, 2) + ".000" + (t.utcOffsetMinutes < 0 ? "-" : "+") +
           zeroPad(offset / 60, 2) + ":" + zeroPad(offset % 60, 2);
}

std::string answerGet(const NetRequest& r, int slot) {
    const auto& R = radioState;
    const bool split = R.splitState > 0;
    long long hz = 0;
    switch (r.command) {
    case kNetGetFreq:
        return vfoFrequency(meansVfoB(r.targetVfo, slot), hz) ? netAnswer(r, kRprtOk, hzText(hz)) : netAnswer(r, kRprtIoError);
    case kNetGetSplitFreq:
        return vfoFrequency(true, hz) ? netAnswer(r, kRprtOk, hzText(hz)) : netAnswer(r, kRprtIoError);
    case kNetGetMode:
    case kNetGetSplitMode:
        return netAnswer(r, kRprtOk, netModeName(R.mode), plainNumber(modePassbandHz(R.mode)));
    case kNetGetVfo: return netAnswer(r, kRprtOk, netState.clients[slot].onVfoB == 1 ? "VFOB" : "VFOA");
    case kNetGetPtt: return netAnswer(r, kRprtOk, R.txState > 0 || R.tuning == 1 ? "1" : "0");
    case kNetGetSplitVfo: return netAnswer(r, kRprtOk, split ? "1" : "0", split ? "VFOB" : "VFOA");
    case kNetGetLockMode: return netAnswer(r, kRprtOk, "0");
    case kNetGetLevel: return answerLevel(r);
    case kNetGetFunc:
        if ((servedNow().getFuncs & netFuncBit(r.func)) == 0) return netAnswer(r, kRprtNotAvailable);
        return netAnswer(r, kRprtOk, funcIsOn(r.func) ? "1" : "0");
    case kNetGetVfoInfo: {
        if (!vfoFrequency(meansVfoB(r.vfoName, slot), hz)) return netAnswer(r, kRprtIoError);
        return netAnswer(r, kRprtOk, hzText(hz), netModeName(R.mode), plainNumber(modePassbandHz(R.mode)),
                         split ? "1" : "0", "0");
    }
    default: return netAnswer(r, kRprtNotAvailable);
    }
}

// --- answering one line -----------------------------------------------------

bool isSet(NetCommand c) {
    return c == kNetSetFreq || c == kNetSetMode || c == kNetSetVfo || c == kNetSetPtt || c == kNetSetSplitVfo ||
           c == kNetSetSplitFreq || c == kNetSetSplitMode || c == kNetSetLevel || c == kNetSetFunc ||
           c == kNetSendMorse || c == kNetStopMorse;
}

int runSet(const NetRequest& r, int slot) {
    const NetServed served = servedNow();
    switch (r.command) {
    case kNetSetFreq: return meansVfoB(r.targetVfo, slot) ? setSplitFrequency(r) : setFrequency(r);
    case kNetSetSplitFreq: return setSplitFrequency(r);
    case kNetSetMode:
    case kNetSetSplitMode: return setModeAndPassband(r);
    case kNetSetPtt: return setPtt(r, slot);
    case kNetSetSplitVfo: return setSplit(r);
    case kNetSetLevel:
        if ((served.setLevels & netLevelBit(r.level)) == 0) return kRprtNotAvailable;
        netState.levelAtMs[r.level] = 0;  // read afresh from now on
        return setLevel(r);
    case kNetSetFunc:
        if ((served.setFuncs & netFuncBit(r.func)) == 0) return kRprtNotAvailable;
        return setFunc(r);
    case kNetSendMorse: return sendMorse(r, slot);
    case kNetStopMorse:
        if (!radioSendsCwText()) return kRprtNotAvailable;
        stopCwText();
        return kRprtOk;
    case kNetSetVfo: {
        NetClient& c = netState.clients[slot];
        const int b = namedVfoB(r.vfoName);
        if (b >= 0) c.onVfoB = b;
        return kRprtOk;
    }
    default: return kRprtNotAvailable;
    }
}

// The answer to one command of the client in slot. quit tells that the
// client asked to be disconnected; wait that the answer is held until the
// CW text has gone out (the text returned is then that answer).
std::string answerCommand(const NetRequest& r, int slot, bool& quit, bool& wait) {
    auto& N = sessionState;
    NetClient& client = netState.clients[slot];
    if (r.error != kRprtOk) return netAnswer(r, r.error);
    // These describe the port and the computer, or need no answering radio.
    switch (r.command) {
    case kNetChkVfo: return netAnswer(r, kRprtOk, plainNumber(client.vfoOpt));
    case kNetSetVfoOpt:
        client.vfoOpt = r.on;
        return netAnswer(r, kRprtOk);
    case kNetDumpState: return netAnswer(r, kRprtOk, netDumpState(servedNow()));
    case kNetDumpCaps: return netAnswer(r, kRprtOk, netDumpCaps(servedNow()));
    case kNetGetClock: return netAnswer(r, kRprtOk, clockText());
    case kNetHamlibVersion: return netAnswer(r, kRprtOk, "Rigvox " + std::string(kVersionText) + ", Hamlib 4.5 protocol");
    case kNetQuit:
        quit = true;
        return netAnswer(r, kRprtOk);
    // A radio that does not answer is off as far as a client can tell.
    case kNetGetPowerstat: return netAnswer(r, kRprtOk, N.connected == 1 ? "1" : "0");
    case kNetSetPowerstat: {
        if (radioState.tuning == 1) return netAnswer(r, kRprtRejected);
        return netAnswer(r, setPowerstat(r));
    }
    default: break;
    }
    // A release always goes out: a transmitter a client keyed must come back
    // to receive even when the radio has stopped answering.
    const bool release = r.command == kNetSetPtt && r.on == 0;
    if (N.connected == 0 && !release) return netAnswer(r, kRprtIoError);
    if (r.command == kNetWaitMorse) {
        if (!radioSendsCwText()) return netAnswer(r, kRprtNotAvailable);
        wait = cwTextPending();
        return netAnswer(r, kRprtOk);
    }
    if (!isSet(r.command)) return answerGet(r, slot);
    // While the tune sequence runs the keys are refused too.
    if (radioState.tuning == 1 && r.command != kNetStopMorse) return netAnswer(r, kRprtRejected);
    const int code = runSet(r, slot);
    // Heard, once settled, only at the level "all".
    noteChange(kChangeByOtherProgram);
    return netAnswer(r, code);
}

}  // namespace

std::string answerLine(const std::string& line, int slot, bool& quit, std::int64_t untilMs) {
    NetClient& c = netState.clients[slot];
    std::string out;
    std::size_t at = 0;
    while (!quit && !netLineDone(line, at)) {
        const NetRequest r = parseNetCommand(line, at);
        if (r.error == kRprtOk) c.spoke = 1;  // headers after this are a client's own text
        bool wait = false;
        const std::string answer = answerCommand(r, slot, quit, wait);
        if (wait) {
            c.morseWait = 1;
            c.morseAnswer = answer;
        } else {
            out += answer;
        }
        if (quit || netLineDone(line, at)) break;
        if (wait || platTickMs() >= untilMs) {
            c.inbox = line.substr(at) + "\n" + c.inbox;
            break;
        }
    }
    return out;
}

void releaseClientTransmission(int slot) {
    auto& N = netState;
    if (N.cwSlot == slot) {
        N.cwSlot = -1;
        if (cwTextPending()) stopCwText();
    }
    if (N.pttSlot == slot) {
        N.pttSlot = -1;
        if (radioState.txState > 0) {
            toggleTransmit(false);
            noteChange(kChangeByOtherProgram);
        }
    }
}

