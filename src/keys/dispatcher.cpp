// The one event handler: the key-down preamble and the key chain, whose
// order is the behaviour of every key.
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
#include "network/net_clients.h"
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
#include "session/poll.h"
#include "session/radio_search.h"
#include "session/session_state.h"
#include "speech/prompts.h"
#include "speech/readouts.h"
#include "speech/speech_state.h"

namespace {

// --- key tests on keyCode -------------------------------------------------

bool isKey(int vk) { return keysState.keyCode == vk; }
bool isLetter(char c) { return keysState.keyCode == vkLetter(c); }
bool isDigitKey() { return keysState.keyCode >= kVk0 && keysState.keyCode <= kVk9; }
bool isFKey() { return keysState.keyCode >= kVkF1 && keysState.keyCode <= kVkF12; }
bool isUpOrDown() { return isKey(kVkUp) || isKey(kVkDown); }
// Keys that never act on their own: they neither run nor use up a help.
bool isModifierKey() { return isKey(kVkShift) || isKey(kVkCtrl) || isKey(kVkInsert) || isKey(kVkLeftWin); }

// --- preamble --------------------------------------------------------------

// The debug log's line for the key as pressed (before normalisation).
void logKey() {
    const int code = keysState.keyCode;
    std::string line = "*";
    if (code == kVkEnter) line += "C/R";
    else if (code == kVkPeriod) line += ".";
    else if (code == kVkSpace) line += "(sp)";
    else {
        line += static_cast<char>(code);
        if (code >= kVkPad0 && code <= kVkPad9) line += " (" + plainNumber(code - kVkPad0) + ")";
    }
    debugLine(line);
}

// The keypad and the bracket keys act as the main keys they stand for.
void normaliseKey() {
    auto& K = keysState;
    if (K.keyCode == kVkCloseBracket) K.keyCode = kVkEquals;
    if (K.keyCode == kVkOpenBracket) K.keyCode = kVkMinus;
    if (K.keyCode >= kVkPad0 && K.keyCode <= kVkPad9) K.keyCode = K.keyCode - kVkPad0 + kVk0;
    if (K.keyCode == kVkPadPoint) K.keyCode = kVkPeriod;
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
    onlyIfOn(R.nrState == 1, "nr");
    onlyIfOn(R.notchOn == 1, "notch");
    onlyIfOn(R.procState == 1 && isSsb(R.mode), "spc");
    onlyIfOn(R.breakInState == 1 && R.mode == kModeCw, "bkin");
    onlyIfOn(R.voxState == 1, "vox");
    onlyIfOn(R.monitorOn == 1, "mon");
    if (R.toneCode != kNoTone) {
        playPrompt("ctcss");
        speakDigits(toneNumberText(R.toneCode));
    }
    playPrompt("tuner");
    playPrompt("is");
    if (R.tunerState == 1) playPrompt("on");
    else if (R.tunerState == 0) playPrompt("off");
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
        if (R.breakInState == 1) sendText("BI1");
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
    if (!searchState.going || keysState.eventParam == vkLetter('Q')) return false;
    if (keysState.eventParam == kVkEscape) {
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
    const int d = K.keyCode - kVk0;

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

// --- the key chain ----------------------------------------------------------
//
// Each key runs down these rows in order. A row that ends the key returns;
// the others act and let the key go on, so later rows may act on it too.
// Rows 1 to 14a work without a radio; from row 15 on every key needs one.
void runKeyChain() {
    auto& K = keysState;
    auto& M = memoryState;
    auto& R = radioState;

    // Row 1: X, T, S, U after B pick 6 m, 2 m, 70 cm, general coverage.
    if (K.adjustTarget == kTargetBand && (isLetter('X') || isLetter('T') || isLetter('S') || isLetter('U'))) {
        bandSelectLetter();
        return;
    }
    // Row 2: O, the options readout.
    if (isLetter('O')) {
        optionsReadout();
        return;
    }
    // Row 3: F9, the transmit monitor.
    if (isKey(vkF(9))) {
        toggleMonitor(true);
        return;
    }
    // Row 4: any key but K, Up and Down leaves keyer-speed mode quietly.
    if (K.adjustTarget == kTargetKeyer && !isLetter('K') && !isUpOrDown()) {
        leaveKeyerMode();
        if (R.breakInState == 1) sendText("BI1");
    }
    // Row 5: any key but Up and Down ends the ALC watch; F11 ends only that.
    if (R.alcAnnounce >= 1 && !isUpOrDown()) {
        endAlcWatch();
        if (isKey(vkF(11))) return;
    }
    // Row 6: U, the next stored channel of the bank last recalled.
    if (isLetter('U')) {
        if (M.recalledBank != kNoRecall) channelStep();
        return;
    }
    // Row 7: only U, S and F keep the last recall for U.
    if (!isLetter('S') && !isLetter('F')) M.recalledBank = kNoRecall;
    // Row 8: L, the noise level for the Up and Down keys.
    if (isLetter('L')) {
        levelReadout();
        return;
    }
    // Row 9: Space, transmit on or off. CW text a client left the keyer
    // sending stops first, and Space then keys nothing.
    if (isKey(kVkSpace)) {
        if (cwTextPending()) {
            stopCwText();
            if (R.txState == 0) {
                playPrompt("tx");
                playPrompt("off");
                return;
            }
        }
        toggleTransmit(true);
        return;
    }
    // Row 10: K, keyer-speed mode; leaving ends the key, entering goes on
    // (only rows 13 and 15 can still act on it).
    if (isLetter('K')) {
        const bool leaving = K.adjustTarget == kTargetKeyer;
        keyerSpeedKey();
        if (leaving) return;
    }
    // Row 11: I in FM, tone entry or tone off.
    if (isLetter('I') && (R.mode == kModeFmNarrow || R.mode == kModeFm)) {
        toneKey();
        return;
    }
    // Row 12: Enter commits a tone entry unless a frequency entry is open.
    if (isKey(kVkEnter) && R.ctcssOn == 1 && K.entryActive == 0) {
        commitTone();
        return;
    }
    // Row 13: any key but a digit and B cancels a pending channel command.
    if (M.channelAction >= 1 && !isDigitKey() && !isLetter('B')) cancelChannelCommand();
    // Row 14: Q, quit.
    if (isLetter('Q')) {
        quitKey();
        return;
    }
    // Row 14a: D, the search for the radio, needs no radio.
    if (isLetter('D')) {
        searchKey();
        return;
    }
    // Row 14b: Y, the announcement level, needs no radio either.
    if (isLetter('Y')) {
        announceLevelKey();
        return;
    }
    // Row 14c: T while the tune carrier is on ends it, answering radio or
    // not: a carrier must always have its way out.
    if (isLetter('T') && radioState.tuning == 1) return tuneKey();
    // Row 15: nothing below works without a radio.
    if (sessionState.connected == 0) {
        playPrompt("nc");
        return;
    }
    // Row 15a: J, a CW message, or the keyer stopped while it sends.
    if (isLetter('J')) return cwKey();
    // Row 16: N, the extended menu.
    if (isLetter('N')) {
        startMenuEntry();
        return;
    }
    // Row 17: A, AF gain on the Up and Down keys.
    if (isLetter('A')) {
        K.adjustTarget = kTargetAfGain;
        playPrompt("ag");
        return;
    }
    // Row 18: C, channel store; the slot digit follows.
    if (isLetter('C')) {
        M.channelAction = 1;
        playPrompt("sch");
    }
    // Row 19: G, channel recall from bank 0 unless B picks another.
    if (isLetter('G')) {
        M.channelBank = 0;
        M.channelAction = 2;
        playPrompt("gch");
    }
    // Row 20: E, start a typed frequency.
    if (isLetter('E')) startFrequencyEntry();
    // Row 21: the point of a typed frequency.
    if (isKey(kVkPeriod)) {
        frequencyEntryPoint();
        return;
    }
    // Row 22: Enter after the menu number.
    if (isKey(kVkEnter) && K.adjustTarget == kTargetMenuNumber) {
        menuNumberEntered();
        return;
    }
    // Row 23: Enter after the menu value.
    if (isKey(kVkEnter) && K.adjustTarget == kTargetMenuValue) {
        menuValueEntered();
        return;
    }
    // Row 24: Enter commits a typed frequency.
    if (isKey(kVkEnter) && R.freqMHz != kNoTypedMHz) {
        commitFrequencyEntry();
        return;
    }
    // Row 25: V, split on or off (outside every band the split key refuses
    // and nothing is sent). On, the working frequency goes to VFO B as row
    // 47 sends it; off, VFO A has been given its frequency by the key.
    if (isLetter('V')) {
        const bool refused = !bandHasRecord(R.band);
        const bool splitOn = splitKey(true);
        if (refused) return;
        K.adjustTarget = kTargetTuning;
        if (splitOn) tuningKeys();
        return;
    }
    // Row 26: Z, zero beat in CW, zero frequency otherwise.
    if (isLetter('Z')) {
        zeroKey();
        return;
    }
    // Row 27: F1 to F5, the receiver switches.
    if (isKey(vkF(1))) return togglePreamp(true);
    if (isKey(vkF(2))) return toggleAttenuator(true);
    if (isKey(vkF(3))) return toggleNoiseBlanker(true);
    if (isKey(vkF(4))) return toggleNoiseReduction(true);
    if (isKey(vkF(5))) return toggleNotch(true);
    // Row 28: F6 has no function.
    if (isKey(vkF(6))) return;
    // Row 29: F7, the speech processor in SSB only.
    if (isKey(vkF(7))) {
        if (!isSsb(radioState.mode)) {
            playPrompt("na");
            return;
        }
        toggleProcessor(true);
    }
    // Row 30: F8, VOX (break-in in CW).
    if (isKey(vkF(8))) return toggleVox(true);
    // Row 31: F12, the antenna tuner.
    if (isKey(vkF(12))) return toggleTuner(true);
    // Row 32: - after B goes to 6 m.
    if (isKey(kVkMinus) && K.adjustTarget == kTargetBand && R.bandCoverage != "1") {
        storeBand();
        R.band = kBand6m;
        recallBand();
        K.adjustTarget = kTargetTuning;
        return;
    }
    // Row 33: digits feed whichever entry is pending; only the menu entries
    // stay open afterwards.
    if (isDigitKey()) {
        onDigitKey();
        if (K.adjustTarget != kTargetMenuNumber && K.adjustTarget != kTargetMenuValue)
            K.adjustTarget = kTargetTuning;
        return;
    }
    // Row 35: F, the frequency readout (the other VFO after X).
    if (isLetter('F')) return frequencyReadout();
    // Row 36: P, the power on the Up and Down keys.
    if (isLetter('P')) {
        playPrompt("power");
        K.adjustTarget = kTargetPower;
        speakPower(R.txPower, reducedFeatureRadio());
        // The reduced-feature radio's output is fixed: nothing to adjust,
        // so the arrow keys go back to tuning.
        if (reducedFeatureRadio()) K.adjustTarget = kTargetTuning;
        return;
    }
    // Row 37: F11, microphone gain and the ALC watch.
    if (isKey(vkF(11))) return startAlcWatch();
    // Row 38: R, RF gain on the Up and Down keys.
    if (isLetter('R')) {
        playPrompt("rf");
        K.adjustTarget = kTargetRfGain;
        return;
    }
    // Row 39: S, the S-meter (the SWR while transmitting or tuning).
    if (isLetter('S')) return meterKey();
    // Row 40: T, the tune sequence.
    if (isLetter('T')) return tuneKey();
    // Row 41: B, the bank digit of a channel command, or band select.
    if (isLetter('B')) {
        if (M.channelAction >= 1) {
            playPrompt("bank");
            M.channelBank = kBankDigitNext;
        } else {
            K.adjustTarget = kTargetBand;
            playPrompt("band");
            speakBand(R.band);
            storeBand();
        }
        return;
    }
    // Row 42: W, the filter width on the Up and Down keys (SSB and CW).
    if (isLetter('W')) {
        if (reducedFeatureRadio()) {
            playPrompt("bw");
            playPrompt("na");
        } else if (R.mode <= kModeCw) {
            K.adjustTarget = kTargetFilter;
            speakBandwidth(R.mode, R.filterWidth);
        }
        return;
    }
    // Row 43: X, extended commands on or off.
    if (isLetter('X')) {
        playPrompt("extcm");
        if (K.adjustTarget != kTargetExtended) {
            K.adjustTarget = kTargetExtended;
            playPrompt("on");
        } else {
            K.adjustTarget = kTargetTuning;
            playPrompt("off");
        }
        return;
    }
    // Row 44: the one key after X.
    if (K.adjustTarget == kTargetExtended) return extendedCommand();
    // Row 45: M, the mode cycle.
    if (isLetter('M')) return modeCycle();
    // Row 46: Up and Down step the chosen control.
    if (isKey(kVkUp)) stepUp();
    if (isKey(kVkDown)) stepDown();
    // Row 47: tuning and filter state: the tuning step, then the frequency
    // sent again for every key that gets here.
    if (K.adjustTarget == kTargetTuning || K.adjustTarget == kTargetFilter) tuningKeys();
}

// The key-down procedure: the preamble, then the key chain.
void keyDown() {
    auto& C = catState;
    auto& K = keysState;
    auto& R = radioState;
    // Shift is followed even while another key is held: it turns "/" into "?".
    if (K.eventParam == kVkShift) K.shiftHeld = 1;
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
    if (isKey(kVkShift)) return;
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
    if (R.ctcssOn == 1 && R.toneCode == kNoTone && !isKey(kVkEnter) && !isDigitKey()) R.ctcssOn = 0;
    runKeyChain();
}

// The search D started goes a step further.
void continueSearchKey() {
    const SearchStep step = stepRadioSearch();
    if (step.ended) takeSearchResult(step.radio);
}

// What waits for the speech before it: the transmitter keyed once "tx on"
// has sounded, the whole help's next sentence, and an announcement (which
// waits while the whole help is read: it was asked for).
void afterSpeech() {
    sendTransmitAfterSpeech();
    readWholeHelp();
    announceSettledChanges(keysState.wholeHelpNext >= 0);
}

}  // namespace

void handleEvent() {
    auto& K = keysState;
    serviceSpeech();
    switch (K.eventKind) {
        case kEventClose:
            // Closing is the operator's last key: what was still being said
            // is not heard out before the program ends.
            stopSpeech();
            keysState.running = 0;
            break;
        case kEventKeyDown:
            keyDown();
            sendTransmitAfterSpeech();  // at once where nothing is left to sound
            // A key cancels what waits to be announced: it spoke for itself,
            // or the operator has moved on.
            acceptHeardState();
            break;
        case kEventKeyUp:
            K.keyHeld = 0;
            if (K.eventParam == kVkShift) K.shiftHeld = 0;
            break;
        case kEventTick:
            if (searchState.going)
                continueSearchKey();
            else
                pollTick();
            continueTune();
            // The limit says "transmit off" as Space does: heard, as a key is.
            if (limitProgramTransmission()) acceptHeardState();
            answerMorseWaits();
            sendNetAnswers();
            afterSpeech();
            break;
        case kEventSound: afterSpeech(); break;
        case kEventNetwork: serveNetClients(); break;
        case kEventBrailleRoute:
            // A routing key over the frequency on the panel line starts a
            // frequency entry, as E does; over anything else it does nothing.
            if (K.eventParam >= panelFrequencyCells(panelLine())) break;
            K.eventParam = 'E';
            keyDown();
            K.keyHeld = 0;  // no key-up follows
            acceptHeardState();
            break;
        default: break;
    }
}
