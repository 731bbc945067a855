// Program entry, the configuration file rigvox.cfg, the message loop and the
// shutdown steps.
#include "program/startup.h"

#include <algorithm>
#include <iterator>
#include <string>

#include "base/config_layout.h"
#include "base/named_values.h"
#include "base/text.h"
#include "keys/keys_state.h"
#include "link/cat_state.h"
#include "link/exchange.h"
#include "link/serial_port.h"
#include "memory/memory_file.h"
#include "network/allow_list.h"
#include "network/net_clients.h"
#include "network/net_state.h"
#include "platform/platform.h"
#include "program/event_handler.h"
#include "program/initialise.h"
#include "program/program_state.h"
#include "radio/band_table.h"
#include "radio/cw_text.h"
#include "radio/gains.h"
#include "radio/models.h"
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
constexpr int kWindowX = 250, kWindowY = 100, kWindowWidth = 950, kWindowHeight = 500;
constexpr int kTimerPeriodMs = 50;
constexpr int kDefaultTxPower = 100;
constexpr int kDefaultTxLimitSeconds = 180;

constexpr int kConfigNotesCapacity = kConfigLinesRead * (kTextCapacity + 64);
constexpr const char* kConfigBadFile = "rigvox.cfg.bad";  // a damaged rigvox.cfg, kept for its owner

// The next line of the open configuration file, within a text's capacity;
// false past the end of the file, where it reads as empty text.
bool readConfigLine(int file, std::string& line) {
    const bool there = platFileReadLine(file, line);
    if (!there) line.clear();
    capText(line);
    return there;
}

// Line number of rigvox.cfg was not understood: its number is said at start
// (once, however much is wrong in it), and the debug log gets the line and
// what is used instead.
void noteConfigLine(int number, const std::string& line, const std::string& used) {
    auto& P = programState;
    const bool counted = P.badConfigLineCount > 0 && P.badConfigLines[P.badConfigLineCount - 1] == number;
    if (!counted && P.badConfigLineCount < kConfigLinesRead) P.badConfigLines[P.badConfigLineCount++] = number;
    putText(P.configNotes,
            P.configNotes + "rigvox.cfg line " + plainNumber(number) + " not understood: \"" + line + "\"; " + used + "\n",
            kConfigNotesCapacity);
}

// A switch of one character at position at of its line, one of allowed.
// Another character (or none, in a line that is there) is noted, and the
// switch is off (0).
int readSwitchLine(int file, int number, int at, std::string_view allowed) {
    std::string line;
    const bool there = readConfigLine(file, line);
    const std::string value = midText(line, at, 1);
    if (value.size() == 1 && allowed.find(value[0]) != std::string_view::npos) return textInt(value);
    if (there) noteConfigLine(number, line, "0 (off) used");
    return 0;
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
// "RIGCTLD_ALLOW=" and the clients let in besides this computer's own
// programs: addresses and networks (network/allow_list.h).
constexpr const char* kAllowLabel = "RIGCTLD_ALLOW=";

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
        if (kind == kEventClose || (kind == kEventKeyDown && (param == keyLetter('Q') || param == kKeyEscape))) {
            stopSpeech();
            if (kind == kEventKeyDown) playPrompt(param == kKeyEscape ? "cancelled" : "quit");
            break;
        }
    }
    stopRadioSearch();
    platTimerStop();
    return step.radio;
}

// True when rigvox.cfg opens for reading (whatever it holds).
bool configFileOpens() {
    const int file = platFileOpenRead(kConfigFile);
    if (file > 0) platFileClose(file);
    return file > 0;
}

// Without a usable rigvox.cfg: says so, looks for the radio, writes the file
// with the port and speed it answered at, and reads it. False when no radio
// answered or the file could not be made. A file that opens but is no
// configuration (empty, or all one line) is kept as rigvox.cfg.bad and
// "cfgbad" said. A name that is there but cannot be read (unreadable, or a
// link to a drive not mounted) is never replaced: then only "cfgnf" is said.
bool firstStart() {
    if (configFileOpens()) {
        playPrompt("cfgbad");
        if (!platFileRename(kConfigFile, kConfigBadFile)) return false;
    } else {
        playPrompt("cfgnf");
        if (platFileExists(kConfigFile)) return false;
    }
    const FoundRadio found = searchOnTicks();
    if (found.port == 0) return false;
    if (!writeConfigPort(found.port, found.baud) || !readConfiguration()) {
        playPrompt("cfgnw");
        return false;
    }
    return true;
}

// "TXLIMIT=" and whole seconds, 0 for no limit. Anything else keeps the
// limit as it was and is noted.
void readTxLimitValue(int number, const std::string& line, const std::string& value) {
    if (!value.empty() && value.size() <= 5 && allDigits(value) && textInt(value) <= kLongestTxLimit)
        radioState.txLimitSeconds = textInt(value);
    else
        noteConfigLine(number, line, "TXLIMIT=" + plainNumber(radioState.txLimitSeconds) + " used");
}

void readVoiceValue(const std::string& value) {
    const std::string voice = lowerText(value);
    speechState.voiceChoice = voice == "system"         ? kVoiceSystem
                              : voice == "prompts"      ? kVoicePrompts
                              : voice == "screenreader" ? kVoiceScreenReader
                                                        : kVoiceUnknown;
}

// "BRAILLE=on" or "off"; anything else keeps it off and is noted.
void readBrailleValue(int number, const std::string& line, const std::string& value) {
    const std::string braille = lowerText(value);
    if (braille == "on" || braille == "off")
        speechState.brailleChoice = braille == "on" ? 1 : 0;
    else
        noteConfigLine(number, line, "BRAILLE=off used");
}

// "ANNOUNCE=" and the level at start: quiet, radio or all. Anything else
// keeps the level as it was and is noted.
void readAnnounceValue(int number, const std::string& line, const std::string& value) {
    const int level = announceLevelNamed(value);
    if (level >= 0)
        sessionState.announceLevel = level;
    else
        noteConfigLine(number, line, "ANNOUNCE=radio used");
}

// "RIGCTLD_ALLOW=" and the list. A list that does not read lets in no one
// but this computer's own programs, and is noted.
void readAllowValue(int number, const std::string& line, const std::string& value) {
    if (allowListValid(value))
        netState.rigctldAllow = value;
    else
        noteConfigLine(number, line, "only programs on this computer let in");
}

// The optional lines from line 10 to the end of the file: each known one is
// read, any other noted and skipped. The first line of a name counts: a
// later one that would undo it is noted and skipped.
void readOptionalLines(int file) {
    const char* const labels[] = {kRigctldLabel, kTxLimitLabel, kVoiceLabel, kAnnounceLabel, kBrailleLabel, kAllowLabel};
    bool seen[std::size(labels)] = {};
    std::string line;
    for (int number = 10; number <= kConfigLinesRead && readConfigLine(file, line); ++number) {
        std::string value;
        std::size_t known = 0;
        while (known < std::size(labels) && !labelledValue(labels[known], line, value)) ++known;
        if (known == std::size(labels)) {
            if (line.find_first_not_of(" \t") != std::string::npos) noteConfigLine(number, line, "skipped");
            continue;
        }
        if (seen[known]) {
            noteConfigLine(number, line, "a line before it names the same; skipped");
            continue;
        }
        seen[known] = true;
        if (labels[known] == kRigctldLabel) {
            readRigctldValue(value);
            if (netState.rigctldPort < 0) noteConfigLine(number, line, "no network port");
        } else if (labels[known] == kTxLimitLabel) {
            readTxLimitValue(number, line, value);
        } else if (labels[known] == kVoiceLabel) {
            readVoiceValue(value);
            if (speechState.voiceChoice == kVoiceUnknown) noteConfigLine(number, line, "the prompts speak");
        } else if (labels[known] == kAnnounceLabel) {
            readAnnounceValue(number, line, value);
        } else if (labels[known] == kBrailleLabel) {
            readBrailleValue(number, line, value);
        } else {
            readAllowValue(number, line, value);
        }
    }
}

// A network port on an address beyond this computer opens to every machine
// that can reach it, and a client can key the transmitter: without a list
// of the clients let in, only this computer's loopback is listened on.
void keepNetPortLocalWithoutAllowList() {
    auto& N = netState;
    if (N.rigctldPort <= 0 || !N.rigctldAllow.empty() || !addressValid(N.rigctldAddress) ||
        loopbackAddress(N.rigctldAddress))
        return;
    const std::string named = N.rigctldAddress;
    N.rigctldAddress = named.find(':') == std::string::npos ? "127.0.0.1" : "::1";
    programState.netPortLocalOnly = 1;
    putText(programState.configNotes,
            programState.configNotes + "RIGCTLD names " + named +
                ", beyond this computer, and no RIGCTLD_ALLOW line names the clients let in: listening on " +
                N.rigctldAddress + " only\n",
            kConfigNotesCapacity);
}

// Says "cfg" and the number of each line of rigvox.cfg not understood, then
// "netlocal" when the network port was kept to this computer.
void sayConfigNotes() {
    const auto& P = programState;
    for (int i = 0; i < P.badConfigLineCount; ++i) {
        playPrompt("cfg");
        speakDigits(plainNumber(P.badConfigLines[i]));
    }
    if (P.netPortLocalOnly == 1) playPrompt("netlocal");
    endUtterance();
}

// In the debug log: a voice other than the one rigvox.cfg asked for.
void logConfigNotes(bool voiceReached) {
    if (catState.debugLog != 1) return;
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
    auto& P = programState;
    std::string line;

    const int file = platFileOpenRead(kConfigFile);
    if (file <= 0) return false;
    P.configNotes.clear();
    P.badConfigLineCount = 0;
    P.netPortLocalOnly = 0;

    // Line 1: port label of 4 characters, then 1 or 2 digits. Only the length
    // tells a two-digit port from a one-digit one. A file without a second
    // line (empty, or all one line) is no configuration.
    readConfigLine(file, line);
    std::string speedLine;
    if (!readConfigLine(file, speedLine)) {
        platFileClose(file);
        return false;
    }
    C.comPort = textInt(rightText(line, lengthOf(line) == kPortLabelWidth + 2 ? 2 : 1));
    if (C.comPort < 1) noteConfigLine(1, line, "no radio port");

    // Line 2: label of 6 characters, the speed after it.
    C.baudRate = textInt(midText(speedLine, kSpeedLabelWidth + 1));
    if (!portSpeedKnown(C.baudRate)) noteConfigLine(2, speedLine, "the radio port stays closed");

    // Line 3: label of 6 characters and 1 to 3 digits of watts; any other
    // length keeps the default. Watts no radio gives are held to the widest
    // range; the connected model's own holds them again.
    const bool powerThere = readConfigLine(file, line);
    R.txPower = kDefaultTxPower;
    if (lengthOf(line) >= 7 && lengthOf(line) <= 9) {
        const int watts = textInt(rightText(line, lengthOf(line) - 6));
        R.txPower = std::clamp(watts, kPowerFloor, kHighestModelWatts);
        if (R.txPower != watts || !allDigits(rightText(line, lengthOf(line) - 6)))
            noteConfigLine(3, line, plainNumber(R.txPower) + " W used");
    } else if (powerThere) {
        noteConfigLine(3, line, plainNumber(R.txPower) + " W used");
    }
    R.powerCeiling = R.txPower > 100 ? R.txPower : 100;

    R.swrSpeech = readSwitchLine(file, 4, 5, "01");
    R.tunerMode = readSwitchLine(file, 5, 5, "012");

    readConfigLine(file, line);
    R.bandCoverage = midText(line, 9, 1);

    radioState.powerSwitching = readSwitchLine(file, 7, 8, "01");

    // Line 8: pass-through port, two digits only in a line of exactly 9.
    readConfigLine(file, line);
    C.bridgePort = textInt(rightText(line, lengthOf(line) == 9 ? 2 : 1));

    C.debugLog = readSwitchLine(file, 9, 7, "01");

    netState.rigctldPort = 0;
    netState.rigctldAddress = "127.0.0.1";
    netState.rigctldAllow.clear();
    R.txLimitSeconds = kDefaultTxLimitSeconds;
    sessionState.announceLevel = kAnnounceRadio;
    speechState.voiceChoice = kVoicePrompts;
    speechState.brailleChoice = 0;
    readOptionalLines(file);
    keepNetPortLocalWithoutAllowList();

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

    platWindowOpen(std::string("*** Kenwood Rigvox Front Panel v") + kVersionText + " ***", kWindowX, kWindowY, kWindowWidth, kWindowHeight);

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
    if (configured) sayConfigNotes();

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
