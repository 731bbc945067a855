// The key-down prelude and the key chain, whose order is the behaviour of
// every key.
#include "keys/dispatcher.h"

#include <string>

#include "base/records.h"
#include "base/text.h"
#include "keys/adjust_keys.h"
#include "keys/cw_message.h"
#include "keys/frequency_entry.h"
#include "keys/key_help.h"
#include "keys/keys_state.h"
#include "keys/menu.h"
#include "keys/meter_keys.h"
#include "keys/transmit_keys.h"
#include "link/cat_state.h"
#include "link/exchange.h"
#include "link/serial_port.h"
#include "memory/channels.h"
#include "memory/memory_state.h"
#include "platform/platform.h"
#include "radio/band_table.h"
#include "radio/cw_text.h"
#include "radio/gains.h"
#include "radio/mode_filter.h"
#include "radio/panel.h"
#include "radio/radio_state.h"
#include "radio/toggles.h"
#include "radio/vfo_split.h"
#include "session/announce.h"
#include "session/radio_search.h"
#include "session/session_state.h"
#include "speech/prompts.h"
#include "speech/readouts.h"
#include "speech/speech_state.h"

namespace {

// --- key tests on keyCode -------------------------------------------------

bool isKey(int key) { return keysState.keyCode == key; }
bool isLetter(char c) { return keysState.keyCode == keyLetter(c); }
bool isDigitKey() { return keysState.keyCode >= kKey0 && keysState.keyCode <= kKey9; }
bool isFKey() { return keysState.keyCode >= kKeyF1 && keysState.keyCode <= kKeyF12; }
bool isUpOrDown() { return isKey(kKeyUp) || isKey(kKeyDown); }
// Keys that never act on their own: they neither run nor use up a help.
bool isModifierKey() { return isKey(kKeyShift) || isKey(kKeyCtrl) || isKey(kKeyInsert) || isKey(kKeyLeftWin); }

// --- the prelude's parts --------------------------------------------------------------

// The debug log's line for the key as pressed (before normalisation).
void logKey() {
    const int code = keysState.keyCode;
    std::string line = "*";
    if (code == kKeyEnter) line += "C/R";
    else if (code == kKeyPeriod) line += ".";
    else if (code == kKeySpace) line += "(sp)";
    else {
        line += static_cast<char>(code);
        if (code >= kKeyPad0 && code <= kKeyPad9) line += " (" + plainNumber(code - kKeyPad0) + ")";
    }
    debugLine(line);
}

// The keypad and the bracket keys act as the main keys they stand for.
void normaliseKey() {
    auto& K = keysState;
    if (K.keyCode == kKeyCloseBracket) K.keyCode = kKeyEquals;
    if (K.keyCode == kKeyOpenBracket) K.keyCode = kKeyMinus;
    if (K.keyCode >= kKeyPad0 && K.keyCode <= kKeyPad9) K.keyCode = K.keyCode - kKeyPad0 + kKey0;
    if (K.keyCode == kKeyPadPoint) K.keyCode = kKeyPeriod;
}

// --- small commands of the chain -------------------------------------------

// X, T, S, U after B: 6 m, 2 m, 70 cm and general coverage, as far as the
// radio's coverage reaches.
void bandSelectLetter() {
    auto& K = keysState;
    auto& R = radioState;
    if (isLetter('U')) {
        K.adjustTarget = kTargetTuning;
        R.toneCode = kNoTone;
        R.band = kBandGeneral;
        playPrompt("band");
        recallBand();
        return;
    }
    int target = 0;
    if (isLetter('X') && R.bandCoverage != "1") target = kBand6m;
    if (isLetter('T') && (R.bandCoverage == "2" || R.bandCoverage == "7")) target = kBand2m;
    if (isLetter('S') && R.bandCoverage == "7") target = kBand70cm;
    if (target != 0) {
        R.toneCode = kNoTone;
        R.band = target;
        recallBand();
    } else {
        playPrompt("band");
        playPrompt("na");
    }
    K.adjustTarget = kTargetTuning;
}

// O: every function that is on, the tone, and the tuner.
void optionsReadout() {
    const auto& R = radioState;
    playPrompt("options");
    auto onlyIfOn = [](bool on, const char* name) {
        if (!on) return;
        playPrompt(name);
        playPrompt("on");
    };
    onlyIfOn(R.preampOn == 1, "preamp");
    onlyIfOn(R.attOn == 1, "at");
    onlyIfOn(R.nbOn == 1, "nb");
    onlyIfOn(R.nrState == SwitchState::kOn, "nr");
    onlyIfOn(R.notchOn == 1, "notch");
    onlyIfOn(R.procState == SwitchState::kOn && isSsb(R.mode), "spc");
    onlyIfOn(R.breakInState == SwitchState::kOn && R.mode == kModeCw, "bkin");
    onlyIfOn(R.voxState == SwitchState::kOn, "vox");
    onlyIfOn(R.monitorOn == 1, "mon");
    if (R.toneCode != kNoTone) {
        playPrompt("ctcss");
        speakDigits(toneNumberText(R.toneCode));
    }
    playPrompt("tuner");
    playPrompt("is");
    // A tuner whose SWR was announced is named without a state.
    if (R.tunerState == TunerState::kOn) playPrompt("on");
    else if (R.tunerState == TunerState::kOff) playPrompt("off");
}

// L: the level keys move the noise blanker or noise reduction level.
void levelReadout() {
    auto& R = radioState;
    if (R.levelTarget != kLevelNoiseBlanker && R.levelTarget != kLevelNoiseReduction) return;
    keysState.adjustTarget = kTargetLevel;
    if (R.levelTarget == kLevelNoiseBlanker) playPrompt("nb");
    if (R.levelTarget == kLevelNoiseReduction) playPrompt("nr");
    playPrompt("lev");
}

// Back from keyer-speed mode to the mode it interrupted, break-in restored.
void leaveKeyerMode() {
    auto& R = radioState;
    keysState.adjustTarget = kTargetTuning;
    R.mode = R.savedMode;
    setMode(true);
}

// K: keyer-speed mode on (CW, speed read from the radio, break-in off while
// the speed is set) or off.
void keyerSpeedKey() {
    auto& K = keysState;
    auto& R = radioState;
    playPrompt("ks");
    if (K.adjustTarget == kTargetKeyer) {
        leaveKeyerMode();
        playPrompt("off");
        speakKeyerSpeed(R.keyerSpeed);
        if (R.breakInState == SwitchState::kOn) sendText("BI1");
        return;
    }
    R.savedMode = R.mode;
    R.mode = kModeCw;
    setMode(true);
    K.adjustTarget = kTargetKeyer;
    readKeyerSpeed();
    playPrompt("on");
    sendText("BI0");
    speakKeyerSpeed(R.keyerSpeed);
}

// The key after X: M swaps FM narrow and FM wide; every key re-sends and
// speaks the mode.
void extendedCommand() {
    auto& R = radioState;
    if (isLetter('M') && R.mode == kModeFmNarrow) R.mode = kModeFm;
    else if (isLetter('M') && R.mode == kModeFm) R.mode = kModeFmNarrow;
    setMode(true);
    speakMode(R.mode);
    keysState.adjustTarget = kTargetTuning;
}

// M: LSB, USB, CW, AM, FM narrow, back to LSB; FM only from 10 m up (or
// above 27 MHz outside the bands); the reduced radio stops after CW.
void modeCycle() {
    auto& R = radioState;
    R.mode = R.mode + 1;
    if (R.mode > kModeFmNarrow || !modeAllowedHere(R.mode)) R.mode = kModeLsb;
    setMode(true);
    speakMode(R.mode);
}

// Y: the next announcement level, radio, all, quiet and round again, for
// this run only; its name is spoken.
void announceLevelKey() {
    auto& N = sessionState;
    if (N.announceLevel == kAnnounceRadio) N.announceLevel = kAnnounceAll;
    else if (N.announceLevel == kAnnounceAll) N.announceLevel = kAnnounceQuiet;
    else N.announceLevel = kAnnounceRadio;
    playPrompt(announceLevelName(N.announceLevel));
}

// Q: the radio back to receive; the loop ends after this key.
void quitKey() {
    keysState.running = 0;
    sendText("RX");
    playPrompt("quit");
}

// D: while no radio answers, looks for it on every serial port but the
// pass-through port, a step on each tick (continueSearchKey). A connected
// radio is only confirmed.
void searchKey() {
    if (sessionState.connected == 1) {
        playPrompt("connected");
        return;
    }
    // A transmission the lost radio may still be keyed for ends first.
    if (radioState.txState != 0) toggleTransmit(true);
    // Our own hold on the configured port would keep the search out of it.
    portClose(catState.comPort);
    startRadioSearch(catState.bridgePort);
}

// The search's end: a radio found elsewhere than rigvox.cfg says (another
// port, another speed) is used from now on and written into the file, the
// old one kept as rigvox.cfg.bak. Found or not, the radio port is looked
// for again as at start.
void takeSearchResult(const FoundRadio& found) {
    auto& C = catState;
    if (found.port != 0 && (found.port != C.comPort || found.baud != C.baudRate)) {
        if (!writeConfigPort(found.port, found.baud)) playPrompt("cfgnw");
        C.comPort = found.port;
        C.baudRate = found.baud;
    }
    openPortSequence(C.comPort);
}

// While the search goes on, the poll waits (the radio port is closed) and
// only Q and Escape are taken: Q quits, the search ended by the shutdown;
// Escape ends it ("cancelled"). True when the key was taken here.
bool keyDuringSearch() {
    if (!searchState.going || keysState.eventParam == keyLetter('Q')) return false;
    if (keysState.eventParam == kKeyEscape) {
        stopRadioSearch();
        stopSpeech();
        playPrompt("cancelled");
        takeSearchResult({});
    }
    return true;
}

// The key after H: its help is spoken, the key itself does nothing. H again
// starts the whole help: "help", then every key's help (readWholeHelp).
// Like every readout, help is cut short by the next key.
void explainKey() {
    auto& K = keysState;
    K.keyHeld = 1;
    K.helpPending = 0;
    if (catState.debugLog == 1) logKey();
    normaliseKey();
    if (isLetter('H')) {
        playHelp("help");
        K.wholeHelpNext = 0;
        return;
    }
    const char* prompt = keyHelpPrompt(K.keyCode);
    playHelp(prompt != nullptr ? prompt : "keynone");
}

}  // namespace

// ---------------------------------------------------------------------------
// [SECTION] The digit-key router
// ---------------------------------------------------------------------------

void onDigitKey() {
    auto& K = keysState;
    auto& R = radioState;
    auto& M = memoryState;
    if (!isDigitKey()) return;
    if (K.adjustTarget == kTargetTuning && K.entryActive == 0 && M.channelAction == 0 && R.ctcssOn == 0) return;
    const int d = K.keyCode - kKey0;

    if (M.channelBank == kBankDigitNext) {
        chooseChannelBank(d);
    } else if (K.adjustTarget == kTargetMenuNumber || K.adjustTarget == kTargetMenuValue) {
        menuDigit();
    } else if (M.channelAction == 1) {
        storeChannel(d);
    } else if (M.channelAction == 2) {
        recallChannel(d);
    } else if (K.adjustTarget == kTargetTuning && K.entryActive > 0) {
        frequencyEntryDigit();
    } else if (K.adjustTarget == kTargetBand) {
        R.band = d == 0 ? kBand10m : d;
        recallBand();
    } else if (R.ctcssOn == 1) {
        toneDigit();
    }
}

namespace {

// --- the rows' own commands -------------------------------------------------
//
// Each returns whether the key ends with it or goes on down the chain.

enum class Next { kKeyDone, kGoOn };

// A key without a function: it ends here.
Next keyDone() { return Next::kKeyDone; }

// A command that always ends the key.
template <void (*Command)()>
Next ends() {
    Command();
    return Next::kKeyDone;
}

// Keyer-speed mode is left quietly, break-in restored, by any key but K,
// Up and Down.
Next leaveKeyerQuietly() {
    leaveKeyerMode();
    if (radioState.breakInState == SwitchState::kOn) sendText("BI1");
    return Next::kGoOn;
}

// The ALC watch ends with any key but Up and Down; F11 ends only the watch.
Next endAlcWatchFirst() {
    endAlcWatch();
    return isKey(keyF(11)) ? Next::kKeyDone : Next::kGoOn;
}

// U: the next stored channel of the bank last recalled.
Next nextChannelKey() {
    if (memoryState.recalledBank != kNoRecall) channelStep();
    return Next::kKeyDone;
}

// Only U, S and F keep the last recall for U.
Next forgetRecall() {
    memoryState.recalledBank = kNoRecall;
    return Next::kGoOn;
}

// Space: transmit on or off. CW text a client left the keyer sending stops
// first, and Space then keys nothing.
Next transmitKey() {
    if (cwTextPending()) {
        stopCwText();
        if (radioState.txState == 0) {
            playPrompt("tx");
            playPrompt("off");
            return Next::kKeyDone;
        }
    }
    toggleTransmit(true);
    return Next::kKeyDone;
}

// K: leaving keyer-speed mode ends the key; entering goes on (only the
// channel command's cancel and the radio's absence can still act on it).
Next keyerKey() {
    const bool leaving = keysState.adjustTarget == kTargetKeyer;
    keyerSpeedKey();
    return leaving ? Next::kKeyDone : Next::kGoOn;
}

// A pending channel command ends with any key but a digit and B.
Next cancelChannel() {
    cancelChannelCommand();
    return Next::kGoOn;
}

// A: AF gain on the Up and Down keys.
Next afGainKey() {
    keysState.adjustTarget = kTargetAfGain;
    playPrompt("ag");
    return Next::kKeyDone;
}

// C: channel store; the slot digit follows.
Next storeChannelKey() {
    memoryState.channelAction = 1;
    playPrompt("sch");
    return Next::kGoOn;
}

// G: channel recall from bank 0 unless B picks another.
Next recallChannelKey() {
    memoryState.channelBank = 0;
    memoryState.channelAction = 2;
    playPrompt("gch");
    return Next::kGoOn;
}

// E: a typed frequency starts.
Next typedFrequencyKey() {
    startFrequencyEntry();
    return Next::kGoOn;
}

// V: split on or off (outside every band the split key refuses and nothing
// is sent). On, the working frequency goes to VFO B as the tuning row sends
// it; off, VFO A has been given its frequency by the key.
Next splitRow() {
    const bool refused = !bandHasRecord(radioState.band);
    const bool splitOn = splitKey(true);
    if (refused) return Next::kKeyDone;
    keysState.adjustTarget = kTargetTuning;
    if (splitOn) tuningKeys();
    return Next::kKeyDone;
}

// The receiver and transmitter switches, spoken.
void preampKey() { togglePreamp(true); }
void attenuatorKey() { toggleAttenuator(true); }
void noiseBlankerKey() { toggleNoiseBlanker(true); }
void noiseReductionKey() { toggleNoiseReduction(true); }
void notchKey() { toggleNotch(true); }
void voxKey() { toggleVox(true); }
void tunerKey() { toggleTuner(true); }
void monitorKey() { toggleMonitor(true); }

// F7: the speech processor in SSB only; switched, the key goes on.
Next processorKey() {
    if (!isSsb(radioState.mode)) {
        playPrompt("na");
        return Next::kKeyDone;
    }
    toggleProcessor(true);
    return Next::kGoOn;
}

// - after B goes to 6 m.
void sixMetreKey() {
    storeBand();
    radioState.band = kBand6m;
    recallBand();
    keysState.adjustTarget = kTargetTuning;
}

// Digits feed whichever entry is pending; only the menu entries stay open
// afterwards.
void digitRow() {
    auto& K = keysState;
    onDigitKey();
    if (K.adjustTarget != kTargetMenuNumber && K.adjustTarget != kTargetMenuValue) K.adjustTarget = kTargetTuning;
}

// P: the power on the Up and Down keys.
void powerKey() {
    auto& K = keysState;
    playPrompt("power");
    K.adjustTarget = kTargetPower;
    speakPower(radioState.txPower, reducedFeatureRadio());
    // The reduced-feature radio's output is fixed: nothing to adjust, so the
    // arrow keys go back to tuning.
    if (reducedFeatureRadio()) K.adjustTarget = kTargetTuning;
}

// R: RF gain on the Up and Down keys.
Next rfGainKey() {
    playPrompt("rf");
    keysState.adjustTarget = kTargetRfGain;
    return Next::kKeyDone;
}

// B: the bank digit of a channel command, or band select.
void bankOrBandKey() {
    auto& M = memoryState;
    if (M.channelAction >= 1) {
        playPrompt("bank");
        M.channelBank = kBankDigitNext;
        return;
    }
    keysState.adjustTarget = kTargetBand;
    playPrompt("band");
    speakBand(radioState.band);
    storeBand();
}

// W: the filter width on the Up and Down keys (SSB and CW).
void filterWidthKey() {
    const auto& R = radioState;
    if (reducedFeatureRadio()) {
        playPrompt("bw");
        playPrompt("na");
    } else if (R.mode <= kModeCw) {
        keysState.adjustTarget = kTargetFilter;
        speakBandwidth(R.mode, R.filterWidth);
    }
}

// X: extended commands on or off.
void extendedKey() {
    auto& K = keysState;
    playPrompt("extcm");
    const bool on = K.adjustTarget != kTargetExtended;
    K.adjustTarget = on ? kTargetExtended : kTargetTuning;
    playPrompt(on ? "on" : "off");
}

// Up and Down step the chosen control; the tuning row may follow.
Next upKey() {
    stepUp();
    return Next::kGoOn;
}
Next downKey() {
    stepDown();
    return Next::kGoOn;
}

// --- the states a row asks for ------------------------------------------

bool inBandSelect() { return keysState.adjustTarget == kTargetBand; }
bool keyerLeftByKey() { return keysState.adjustTarget == kTargetKeyer && !isLetter('K') && !isUpOrDown(); }
bool alcWatchEndedByKey() { return radioState.alcAnnounce != AlcWatch::kOff && !isUpOrDown(); }
bool recallForgottenByKey() { return !isLetter('S') && !isLetter('F'); }
bool inFm() { return radioState.mode == kModeFmNarrow || radioState.mode == kModeFm; }
bool toneEntryToCommit() { return radioState.ctcssOn == 1 && keysState.entryActive == 0; }
bool channelCommandCancelledByKey() {
    return memoryState.channelAction >= 1 && !isDigitKey() && !isLetter('B');
}
bool tuneCarrierOn() { return radioState.tuning == 1; }
bool menuNumberOpen() { return keysState.adjustTarget == kTargetMenuNumber; }
bool menuValueOpen() { return keysState.adjustTarget == kTargetMenuValue; }
bool frequencyTyped() { return radioState.freqMHz != kNoTypedMHz; }
bool sixMetresAfterBand() { return inBandSelect() && radioState.bandCoverage != "1"; }
bool inExtendedCommand() { return keysState.adjustTarget == kTargetExtended; }
bool inTuningOrFilter() {
    return keysState.adjustTarget == kTargetTuning || keysState.adjustTarget == kTargetFilter;
}

// --- the key chain ------------------------------------------------------------
//
// Each key runs down these rows in order, and the first rows it matches
// act: a row either ends the key or lets it go on, so later rows may act on
// it too. A row for every key (kAnyKey) is work a key meets on its way,
// unless a row above ended it: the readouts, the monitor and the band
// letters above leave keyer-speed mode, the ALC watch and a pending channel
// command as they are. A key that reaches the first row needing a radio
// without one is refused there ("nc").

constexpr int kAnyKey = -1;
constexpr int kDigitKeys = -2;
enum Radio : bool { kWithoutRadio = false, kNeedsRadio = true };

struct KeyRow {
    int key;                   // the Key (a letter as its character), kAnyKey or kDigitKeys
    bool (*when)() = nullptr;  // the state the row also needs; none when left out
    Radio radio;               // whether the row needs an answering radio
    Next (*run)();             // the row's command
};

constexpr KeyRow kKeyChain[] = {
    // After B: 6 m, 2 m, 70 cm, general coverage.
    {.key = 'X', .when = inBandSelect, .radio = kWithoutRadio, .run = ends<bandSelectLetter>},
    {.key = 'T', .when = inBandSelect, .radio = kWithoutRadio, .run = ends<bandSelectLetter>},
    {.key = 'S', .when = inBandSelect, .radio = kWithoutRadio, .run = ends<bandSelectLetter>},
    {.key = 'U', .when = inBandSelect, .radio = kWithoutRadio, .run = ends<bandSelectLetter>},
    {.key = 'O', .radio = kWithoutRadio, .run = ends<optionsReadout>},
    {.key = keyF(9), .radio = kWithoutRadio, .run = ends<monitorKey>},
    {.key = kAnyKey, .when = keyerLeftByKey, .radio = kWithoutRadio, .run = leaveKeyerQuietly},
    {.key = kAnyKey, .when = alcWatchEndedByKey, .radio = kWithoutRadio, .run = endAlcWatchFirst},
    {.key = 'U', .radio = kWithoutRadio, .run = nextChannelKey},
    {.key = kAnyKey, .when = recallForgottenByKey, .radio = kWithoutRadio, .run = forgetRecall},
    {.key = 'L', .radio = kWithoutRadio, .run = ends<levelReadout>},
    {.key = kKeySpace, .radio = kWithoutRadio, .run = transmitKey},
    {.key = 'K', .radio = kWithoutRadio, .run = keyerKey},
    {.key = 'I', .when = inFm, .radio = kWithoutRadio, .run = ends<toneKey>},
    {.key = kKeyEnter, .when = toneEntryToCommit, .radio = kWithoutRadio, .run = ends<commitTone>},
    {.key = kAnyKey, .when = channelCommandCancelledByKey, .radio = kWithoutRadio, .run = cancelChannel},
    {.key = 'Q', .radio = kWithoutRadio, .run = ends<quitKey>},
    {.key = 'D', .radio = kWithoutRadio, .run = ends<searchKey>},
    {.key = 'Y', .radio = kWithoutRadio, .run = ends<announceLevelKey>},
    // A tune carrier always has its way out, answering radio or not.
    {.key = 'T', .when = tuneCarrierOn, .radio = kWithoutRadio, .run = ends<tuneKey>},
    {.key = 'J', .radio = kNeedsRadio, .run = ends<cwKey>},
    {.key = 'N', .radio = kNeedsRadio, .run = ends<startMenuEntry>},
    {.key = 'A', .radio = kNeedsRadio, .run = afGainKey},
    {.key = 'C', .radio = kNeedsRadio, .run = storeChannelKey},
    {.key = 'G', .radio = kNeedsRadio, .run = recallChannelKey},
    {.key = 'E', .radio = kNeedsRadio, .run = typedFrequencyKey},
    {.key = kKeyPeriod, .radio = kNeedsRadio, .run = ends<frequencyEntryPoint>},
    {.key = kKeyEnter, .when = menuNumberOpen, .radio = kNeedsRadio, .run = ends<menuNumberEntered>},
    {.key = kKeyEnter, .when = menuValueOpen, .radio = kNeedsRadio, .run = ends<menuValueEntered>},
    {.key = kKeyEnter, .when = frequencyTyped, .radio = kNeedsRadio, .run = ends<commitFrequencyEntry>},
    {.key = 'V', .radio = kNeedsRadio, .run = splitRow},
    {.key = 'Z', .radio = kNeedsRadio, .run = ends<zeroKey>},
    {.key = keyF(1), .radio = kNeedsRadio, .run = ends<preampKey>},
    {.key = keyF(2), .radio = kNeedsRadio, .run = ends<attenuatorKey>},
    {.key = keyF(3), .radio = kNeedsRadio, .run = ends<noiseBlankerKey>},
    {.key = keyF(4), .radio = kNeedsRadio, .run = ends<noiseReductionKey>},
    {.key = keyF(5), .radio = kNeedsRadio, .run = ends<notchKey>},
    {.key = keyF(6), .radio = kNeedsRadio, .run = keyDone},
    {.key = keyF(7), .radio = kNeedsRadio, .run = processorKey},
    {.key = keyF(8), .radio = kNeedsRadio, .run = ends<voxKey>},
    {.key = keyF(12), .radio = kNeedsRadio, .run = ends<tunerKey>},
    {.key = kKeyMinus, .when = sixMetresAfterBand, .radio = kNeedsRadio, .run = ends<sixMetreKey>},
    {.key = kDigitKeys, .radio = kNeedsRadio, .run = ends<digitRow>},
    {.key = 'F', .radio = kNeedsRadio, .run = ends<frequencyReadout>},
    {.key = 'P', .radio = kNeedsRadio, .run = ends<powerKey>},
    {.key = keyF(11), .radio = kNeedsRadio, .run = ends<startAlcWatch>},
    {.key = 'R', .radio = kNeedsRadio, .run = rfGainKey},
    {.key = 'S', .radio = kNeedsRadio, .run = ends<meterKey>},
    {.key = 'T', .radio = kNeedsRadio, .run = ends<tuneKey>},
    {.key = 'B', .radio = kNeedsRadio, .run = ends<bankOrBandKey>},
    {.key = 'W', .radio = kNeedsRadio, .run = ends<filterWidthKey>},
    {.key = 'X', .radio = kNeedsRadio, .run = ends<extendedKey>},
    // The one key after X.
    {.key = kAnyKey, .when = inExtendedCommand, .radio = kNeedsRadio, .run = ends<extendedCommand>},
    {.key = 'M', .radio = kNeedsRadio, .run = ends<modeCycle>},
    {.key = kKeyUp, .radio = kNeedsRadio, .run = upKey},
    {.key = kKeyDown, .radio = kNeedsRadio, .run = downKey},
    // The tuning step, then the frequency sent again for every key that
    // gets here.
    {.key = kAnyKey, .when = inTuningOrFilter, .radio = kNeedsRadio, .run = ends<tuningKeys>},
};

// The refusal needs one boundary: every row without a radio comes first.
constexpr bool radioRowsLast() {
    bool needed = false;
    for (const KeyRow& row : kKeyChain) {
        if (needed && row.radio == kWithoutRadio) return false;
        needed = needed || row.radio == kNeedsRadio;
    }
    return true;
}
static_assert(radioRowsLast(), "a row without a radio after one that needs it would never be reached unconnected");

bool rowMatches(const KeyRow& row) {
    const bool key = row.key == kAnyKey || (row.key == kDigitKeys ? isDigitKey() : isKey(row.key));
    return key && (row.when == nullptr || row.when());
}

void runKeyChain() {
    bool radioChecked = false;
    for (const KeyRow& row : kKeyChain) {
        if (row.radio == kNeedsRadio && !radioChecked) {
            if (sessionState.connected == 0) {
                playPrompt("nc");
                return;
            }
            radioChecked = true;
        }
        if (rowMatches(row) && row.run() == Next::kKeyDone) return;
    }
}

}  // namespace

// The whole help goes on: once the sentence before has sounded, the next
// key's help, until the last. One sentence at a time is queued, so a long
// help is never held in memory whole.
void readWholeHelp() {
    auto& K = keysState;
    if (K.wholeHelpNext < 0 || speechBusy()) return;
    // The screen reader's voice does not tell when it has finished, and each
    // text it is given replaces the one before: it gets the whole help as
    // one text.
    const bool all = speechState.readerVoice == 1;
    do {
        const char* sentence = keyHelpSentence(K.wholeHelpNext);
        if (sentence == nullptr) {
            K.wholeHelpNext = -1;
            return;
        }
        ++K.wholeHelpNext;
        playHelp(sentence);
    } while (all);
}

// The prelude: what every key meets before the key chain, in this order.
void keyDown() {
    auto& C = catState;
    auto& K = keysState;
    auto& R = radioState;
    // Shift is followed even while another key is held: it turns "/" into "?".
    if (K.eventParam == kKeyShift) K.shiftHeld = 1;
    // A held key repeats key-downs; it runs its command once.
    if (K.keyHeld == 1) return;
    K.keyCode = K.eventParam;
    if (keyDuringSearch()) return;
    // A key silences what is being said, the whole help included, as a
    // screen reader does: the operator has moved on, and the key's own
    // answer starts at once. A modifier alone is not yet a key.
    if (!isModifierKey()) {
        K.wholeHelpNext = -1;
        stopSpeech();
    }
    // After H the next key is explained, not run, whatever state it meets.
    if (K.helpPending == 1 && !isModifierKey()) {
        explainKey();
        return;
    }
    if (reducedFeatureRadio() && isFKey()) {
        playPrompt("na");
        return;
    }
    // Shift alone does nothing and does not hold the next key back.
    if (isKey(kKeyShift)) return;
    K.keyHeld = 1;
    C.bridgeUsed = 0;
    if (catState.debugLog == 1) logKey();
    if (R.tuning == 1 && !isLetter('T') && !isLetter('S')) {
        playPrompt("ton");
        return;
    }
    normaliseKey();
    if (isModifierKey()) return;
    // A CW message takes its characters, Enter and Escape; any other key
    // ends it unsent and then runs as usual.
    if (K.cwMessageOpen == 1 && cwMessageKey()) return;
    // H works without a radio and changes nothing: the next key is explained.
    if (isLetter('H')) {
        K.helpPending = 1;
        playHelp("helpkey");
        return;
    }
    // A tone entry that got no digit is abandoned by the first other key.
    if (R.ctcssOn == 1 && R.toneCode == kNoTone && !isKey(kKeyEnter) && !isDigitKey()) R.ctcssOn = 0;
    runKeyChain();
}

void keyUp() {
    auto& K = keysState;
    K.keyHeld = 0;
    if (K.eventParam == kKeyShift) K.shiftHeld = 0;
}

void continueSearchKey() {
    const SearchStep step = stepRadioSearch();
    if (step.ended) takeSearchResult(step.radio);
}
