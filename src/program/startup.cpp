// Program entry, the configuration file rigvox.cfg, the message loop and the
// shutdown steps.
#include "program/startup.h"

#include <string>

#include "base/config_layout.h"
#include "base/named_values.h"
#include "base/text.h"
#include "keys/dispatcher.h"
#include "keys/keys_state.h"
#include "link/cat_state.h"
#include "link/exchange.h"
#include "link/serial_port.h"
#include "memory/memory_file.h"
#include "network/net_commands.h"
#include "platform/platform.h"
#include "program/initialise.h"
#include "program/program_state.h"
#include "radio/band_table.h"
#include "radio/cw_text.h"
#include "radio/power_switch.h"
#include "radio/radio_state.h"
#include "session/announce.h"
#include "session/radio_search.h"
#include "session/session_state.h"
#include "session/simulator.h"
#include "radio/panel.h"
#include "speech/prompts.h"
#include "speech/readout_text.h"
#include "speech/speech_state.h"

namespace {

constexpr const char* kCreditLine = "keyboard and voice front panel for Kenwood transceivers";
constexpr const char* kWindowTitle = "*** Kenwood Rigvox Front Panel v3.4a ***";
constexpr int kWindowX = 250, kWindowY = 100, kWindowWidth = 950, kWindowHeight = 500;
constexpr int kTimerPeriodMs = 50;
constexpr int kDefaultTxPower = 100;
constexpr int kDefaultTxLimitSeconds = 180;

// The next line of the open configuration file, within a text's capacity.
// A line past the end of the file reads as empty text.
std::string readConfigLine(int file) {
    std::string line;
    if (!platFileReadLine(file, line)) line.clear();
    capText(line);
    return line;
}

int lengthOf(const std::string& line) { return static_cast<int>(line.size()); }

// Optional lines after the nine, in any order: NAME=value.
constexpr const char* kRigctldLabel = "RIGCTLD=";
constexpr const char* kTxLimitLabel = "TXLIMIT=";
constexpr const char* kAnnounceLabel = "ANNOUNCE=";
constexpr int kHighestTcpPort = 65535;
// "VOICE=prompts" (the default) or "VOICE=system": readouts as text to the
// system's speech. Another value keeps the prompts and is logged.
constexpr const char* kVoiceLabel = "VOICE=";
// "BRAILLE=on": every readout's text also on the braille display; "off" (the
// default) does not. Another value is noted for the debug log.
constexpr const char* kBrailleLabel = "BRAILLE=";
constexpr int kLongestTxLimit = 86400;     // seconds: a day
constexpr int kOptionalLinesRead = 32;     // a longer file is not a configuration

// The value of line when it starts with label (in any letter case), blanks
// after it dropped; false when it does not.
bool labelledValue(const char* label, const std::string& line, std::string& value) {
    if (!startsWith(upperText(line), label)) return false;
    value = midText(line, static_cast<int>(std::string(label).size()) + 1);
    while (!value.empty() && (value.back() == ' ' || value.back() == '\t')) value.pop_back();
    return true;
}

// "RIGCTLD=" and a port (on the loopback address), or an address and a
// port, "RIGCTLD=192.168.1.5:4532" ("[::1]:4532" for IPv6). Port 0, or no
// such line, opens no port. A value that says something else leaves the
// port closed and is reported by openNetPort (port -1).
void readRigctldValue(const std::string& value) {
    auto& N = netState;
    N.rigctldPort = 0;
    N.rigctldAddress = "127.0.0.1";
    std::string port = value;
    const std::size_t colon = value.rfind(':');
    if (colon != std::string::npos) {
        std::string address = value.substr(0, colon);
        port = value.substr(colon + 1);
        if (address.size() >= 2 && address.front() == '[' && address.back() == ']')
            address = address.substr(1, address.size() - 2);
        N.rigctldAddress = address;
    }
    if (!allDigits(port) || port.size() > 5 || textInt(port) > kHighestTcpPort || N.rigctldAddress.empty()) {
        N.rigctldPort = -1;
        N.rigctldAddress = "127.0.0.1";
        return;
    }
    N.rigctldPort = textInt(port);
}

// The first start's search, a step on each tick of the timer. Q and Escape
// end it ("quit", "cancelled"), and so does a close request (the close box,
// SIGTERM, SIGINT, SIGHUP), silently: each is taken as it comes, between
// two steps, and the device being asked goes back as it was found.
FoundRadio searchOnTicks() {
    startRadioSearch(0);
    platTimerStart(kTimerPeriodMs);
    SearchStep step;
    while (!step.ended) {
        int kind = 0, param = 0;
        if (!platWaitEvent(kind, param)) break;
        serviceSpeech();
        if (kind == kEventTick) step = stepRadioSearch();
        if (kind == kEventClose || (kind == kEventKeyDown && (param == vkLetter('Q') || param == kVkEscape))) {
            stopSpeech();
            if (kind == kEventKeyDown) playPrompt(param == kVkEscape ? "cancelled" : "quit");
            break;
        }
    }
    stopRadioSearch();
    platTimerStop();
    return step.radio;
}

// Without rigvox.cfg: says so, looks for the radio, writes the file with
// the port and speed it answered at, and reads it. False when no radio
// answered or the file could not be made. A file that is there but cannot
// be read is never replaced: then only "cfgnf" is said.
bool firstStart() {
    playPrompt("cfgnf");
    if (platFileExists(kConfigFile)) return false;
    const FoundRadio found = searchOnTicks();
    if (found.port == 0) return false;
    if (!writeConfigPort(found.port, found.baud) || !readConfiguration()) {
        playPrompt("cfgnw");
        return false;
    }
    return true;
}

// "TXLIMIT=" and whole seconds, 0 for no limit. Anything else keeps the
// limit as it was and is noted for the debug log.
void readTxLimitValue(const std::string& line, const std::string& value) {
    auto& P = programState;
    if (!value.empty() && value.size() <= 5 && allDigits(value) && textInt(value) <= kLongestTxLimit)
        radioState.txLimitSeconds = textInt(value);
    else
        putText(P.configNotes, P.configNotes + "TXLIMIT not understood: " + line + "\n");
}

void readVoiceValue(const std::string& value) {
    const std::string voice = lowerText(value);
    speechState.voiceChoice = voice == "system"         ? kVoiceSystem
                              : voice == "prompts"      ? kVoicePrompts
                              : voice == "screenreader" ? kVoiceScreenReader
                                                        : kVoiceUnknown;
}

void readBrailleValue(const std::string& line, const std::string& value) {
    const std::string braille = lowerText(value);
    if (braille == "on" || braille == "off")
        speechState.brailleChoice = braille == "on" ? 1 : 0;
    else
        putText(programState.configNotes, programState.configNotes + "BRAILLE not understood: " + line + "\n");
}

// "ANNOUNCE=" and the level at start: quiet, radio or all. Anything else
// keeps the level as it was and is noted for the debug log.
void readAnnounceValue(const std::string& line, const std::string& value) {
    auto& P = programState;
    const int level = announceLevelNamed(value);
    if (level >= 0)
        sessionState.announceLevel = level;
    else
        putText(P.configNotes, P.configNotes + "ANNOUNCE not understood: " + line + "\n");
}

// The optional lines, up to the end of the file: each known one is read,
// any other noted for the debug log and skipped.
void readOptionalLines(int file) {
    auto& P = programState;
    std::string line;
    for (int i = 0; i < kOptionalLinesRead && platFileReadLine(file, line); ++i) {
        capText(line);
        std::string value;
        if (labelledValue(kRigctldLabel, line, value))
            readRigctldValue(value);
        else if (labelledValue(kTxLimitLabel, line, value))
            readTxLimitValue(line, value);
        else if (labelledValue(kVoiceLabel, line, value))
            readVoiceValue(value);
        else if (labelledValue(kBrailleLabel, line, value))
            readBrailleValue(line, value);
        else if (labelledValue(kAnnounceLabel, line, value))
            readAnnounceValue(line, value);
        else if (line.find_first_not_of(" \t") != std::string::npos)
            putText(P.configNotes, P.configNotes + "Line not understood: " + line + "\n");
    }
}

// In the debug log: optional lines not understood, and a voice other than
// the one rigvox.cfg asked for.
void logConfigNotes(bool voiceReached) {
    if (catState.debugLog != 1) return;
    if (speechState.voiceChoice == kVoiceUnknown) debugLine("VOICE line not understood: the prompts speak");
    const bool reader = speechState.voiceChoice == kVoiceScreenReader;
    if (!voiceReached && !reader) debugLine("VOICE=system: the system's speech could not be reached; the prompts speak");
    if (!voiceReached && reader) debugLine("VOICE=screenreader: no screen reader takes the texts; the prompts speak");
    if (speechState.accessMissing == 1 && speechState.brailleChoice == 1)
        debugLine("BRAILLE=on: no braille display or screen reader takes the readouts (no BRLTTY running?); they are not shown");
    speechState.accessMissing = 0;
}

// Says what an event left collected for the system's speech, and logs a
// service that was lost meanwhile.
void finishSpeaking() {
    endUtterance();
    finishReadout();
    updatePanelLine();
    if (speechState.voiceLost != 1) return;
    speechState.voiceLost = 0;
    if (catState.debugLog == 1) debugLine("VOICE=system: the system's speech was lost; the prompts speak");
}

// The last words ("quit", "cfgnf") are heard out before the program ends;
// a key or another close request cuts them short, and a sound device that
// stops taking sound cannot hold the program for ever.
void hearLastWords() {
    constexpr std::int64_t kLongestLastWordsMs = 10000;
    const std::int64_t until = platTickMs() + kLongestLastWordsMs;
    while (speechBusy() && platTickMs() < until) {
        int kind = 0, param = 0;
        if (!platWaitEvent(kind, param) || kind == kEventKeyDown || kind == kEventClose) break;
    }
    stopSpeech();
}

}  // namespace

bool readConfiguration() {
    auto& R = radioState;
    auto& C = catState;
    std::string line;

    const int file = platFileOpenRead(kConfigFile);
    if (file <= 0) return false;

    // Line 1: port label of 4 characters, then 1 or 2 digits. Only the length
    // tells a two-digit port from a one-digit one.
    line = readConfigLine(file);
    C.comPort = textInt(rightText(line, lengthOf(line) == kPortLabelWidth + 2 ? 2 : 1));

    // Line 2: label of 6 characters, the speed after it.
    line = readConfigLine(file);
    C.baudRate = textInt(midText(line, kSpeedLabelWidth + 1));

    // Line 3: label of 6 characters and 1 to 3 digits of watts; any other
    // length keeps the default.
    line = readConfigLine(file);
    R.txPower = kDefaultTxPower;
    if (lengthOf(line) >= 7 && lengthOf(line) <= 9) R.txPower = textInt(rightText(line, lengthOf(line) - 6));
    R.powerCeiling = R.txPower > 100 ? R.txPower : 100;

    line = readConfigLine(file);
    R.swrSpeech = textInt(midText(line, 5, 1));

    line = readConfigLine(file);
    R.tunerMode = textInt(midText(line, 5, 1));

    line = readConfigLine(file);
    R.bandCoverage = midText(line, 9, 1);

    line = readConfigLine(file);
    radioState.powerSwitching = textInt(midText(line, 8, 1));

    // Line 8: pass-through port, two digits only in a line of exactly 9.
    line = readConfigLine(file);
    C.bridgePort = textInt(rightText(line, lengthOf(line) == 9 ? 2 : 1));

    line = readConfigLine(file);
    C.debugLog = textInt(midText(line, 7, 1));

    netState.rigctldPort = 0;
    netState.rigctldAddress = "127.0.0.1";
    R.txLimitSeconds = kDefaultTxLimitSeconds;
    sessionState.announceLevel = kAnnounceRadio;
    programState.configNotes.clear();
    speechState.voiceChoice = kVoicePrompts;
    speechState.brailleChoice = 0;
    readOptionalLines(file);

    platFileClose(file);
    return true;
}

void shutdownProgram() {
    auto& C = catState;
    auto& R = radioState;

    // A search cut short by Q or a close request leaves no device changed.
    stopRadioSearch();

    // A transmitter must never be left keyed by a program that is gone: the
    // close box and SIGTERM come here straight from transmit or tune, without
    // the quit key's own "RX".
    // A tuner still given its time to tune is stopped first.
    if (keysState.tuneStep == TuneStep::kTunerRunning) sendText("AC110");
    if (R.txState != 0 || R.tuning == 1) {
        sendText("RX");
        R.txState = 0;
        R.txAfterSpeech.clear();
        R.tuning = 0;
    }
    // Nor keying CW text it was given (with break-in, that transmits).
    if (cwKeyerSounding()) stopCwText();
    platTimerStop();
    // Only a frequency the radio actually reported may be stored: otherwise
    // the band records stay as they were loaded.
    if (startsWith(C.lastFreqReply, "F")) storeBand();
    saveMemoryFile();
    closeNetPort();
    // The radio's pause: the last command reaches it before the port closes.
    if (radioState.powerSwitching == 1) sendClosingPowerCommand();
    waitForReply();
    portClose(C.comPort);
    // The window stays while the last words sound.
    hearLastWords();
    platWindowClose();
    closeVoice();
    closeDebugLog();
    closeSpeechLog();
    closeTextLog();
}

int runProgram(int simulator) {
    auto& C = catState;
    auto& K = keysState;
    auto& P = programState;

    P.bannerText = "*** Rigvox V " + std::string(kVersionText) + " ***";
    P.workText = kCreditLine;
    speechState.waveDir = "wave/";

    platWindowOpen(kWindowTitle, kWindowX, kWindowY, kWindowWidth, kWindowHeight);

    // The simulator is chosen by the build (rigvox-sim), never at run time.
    C.simMode = simulator == 1 ? 1 : 0;

    // The configuration is read before the greeting, so that the greeting
    // is already in the voice it chooses.
    const bool configured = readConfiguration();
    const bool voiceReached = openVoice();

    // The spoken version is fixed, not derived from versionText.
    playPrompt("rigvox");
    playPrompt("3");
    playPrompt("point");
    playPrompt("4");
    if (C.simMode == 1) playPrompt("sim");
    endUtterance();
    finishReadout();

    if (!configured && !firstStart()) {
        // Nothing else of start-up or shutdown runs: no file written.
        hearLastWords();
        closeVoice();
        platWindowClose();
        closeSpeechLog();
        return 0;
    }

    if (C.simMode == 1) {
        seedSimulator();
        setSimulator(simulatedAnswer);
    }
    initialiseProgram();
    logConfigNotes(voiceReached);
    finishSpeaking();
    openNetPort();
    platTimerStart(kTimerPeriodMs);

    // One event at a time; the handler clears running on the quit key and on
    // the window's close request. A platform with no more events to give ends
    // the run the same way, with the full shutdown.
    K.running = 1;
    while (K.running != 0) {
        int kind = 0, param = 0;
        if (!platWaitEvent(kind, param)) break;
        K.eventKind = kind;
        K.eventParam = param;
        handleEvent();
        finishSpeaking();
    }

    shutdownProgram();
    return 0;
}
