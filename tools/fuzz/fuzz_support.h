// Shared parts of the fuzz targets: a clean program per input, a fake radio
// that answers with the fuzzer's bytes, key presses, and the invariants every
// input must keep. A broken invariant prints what broke and aborts, which
// libFuzzer reports as a crash with the input that caused it.
#pragma once

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdio>
#include <cstdlib>
#include <deque>
#include <set>
#include <string>
#include <string_view>

#include "base/records.h"
#include "base/text.h"
#include "keys/dispatcher.h"
#include "keys/keys_state.h"
#include "link/cat_state.h"
#include "link/exchange.h"
#include "link/serial_port.h"
#include "memory/channels.h"
#include "memory/memory_state.h"
#include "network/net_clients.h"
#include "network/net_commands.h"
#include "network/net_state.h"
#include "platform/platform.h"
#include "platform/platform_fake.h"
#include "program/program_state.h"
#include "radio/cw_text.h"
#include "radio/radio_state.h"
#include "session/session_state.h"
#include "speech/prompts.h"
#include "speech/speech_state.h"

namespace fuzz {

[[noreturn]] inline void fail(const char* what, std::string_view detail) {
    std::fprintf(stderr, "\n*** rigvox invariant broken: %s: [%.*s] (%zu bytes)\n", what,
                 static_cast<int>(detail.size() > 300 ? 300 : detail.size()), detail.data(), detail.size());
    std::abort();
}

#define FUZZ_CHECK(condition, what, detail) \
    do {                                    \
        if (!(condition)) ::fuzz::fail(what, detail); \
    } while (0)

// The radio port and the pass-through port of every target.
constexpr int kRadioPort = 1;
constexpr int kBridgePort = 2;

// Longest command the program itself ever forms ("EX" + five digits + " " +
// a four-digit value is 12, "FA" + 11 digits 13); anything near this bound
// is garbage from a reply leaking into a command.
constexpr std::size_t kOwnCommandBound = 32;

// Everything back to a fresh start: the program state, the fake machine, and
// the handles the areas keep between calls (ports, logs).
inline void resetAll() {
    closeSpeechLog();
    closeDebugLog();
    closeAllPorts();
    fake::reset();
    resetState();
}

// The radio: every write to the radio port is answered with the next text
// of the input (at most answerBound bytes; an empty one is silence), until
// the input runs out or stopAnswering.
struct InputRadio {
    FuzzedDataProvider* input = nullptr;
    std::size_t answerBound = 0;
};
inline InputRadio inputRadio;

inline void answerFromInput(FuzzedDataProvider& in, std::size_t answerBound) {
    inputRadio = {&in, answerBound};
    fake::state().responder = [](int port, const std::string&) {
        FuzzedDataProvider* in = inputRadio.input;
        if (port != kRadioPort || in == nullptr || in->remaining_bytes() == 0) return;
        const std::string answer = in->ConsumeRandomLengthString(inputRadio.answerBound);
        if (!answer.empty()) fake::feed(port, answer);
    };
}

inline void stopAnswering() {
    inputRadio = {};
    fake::state().responder = nullptr;
}

inline void openRadioPort(int baud = 9600) {
    catState.comPort = kRadioPort;
    catState.baudRate = baud;
    openPortSequence(kRadioPort);
}

// One key pressed and released, through the event handler as the window
// delivers it.
inline void pressKey(int vk) {
    keysState.eventKind = kEventKeyDown;
    keysState.eventParam = vk;
    handleEvent();
    keysState.eventKind = kEventKeyUp;
    keysState.eventParam = vk;
    handleEvent();
}

inline void tick() {
    keysState.eventKind = kEventTick;
    keysState.eventParam = 0;
    handleEvent();
}

// --- invariants ---------------------------------------------------------------

inline void checkText(const std::string& text, const char* name, std::size_t capacity = kTextCapacity) {
    FUZZ_CHECK(text.size() <= capacity, name, text);
}

// A tone as the tables keep it: "999" (none) or "0" and the tone number.
inline bool committedTone(std::string_view code) {
    return code == "999" || (code.size() == 3 && code[0] == '0' && allDigits(code));
}

// Every program text within its capacity and band valid; with tables, also
// the band table and the channels in the forms the memory file reads back
// (checked once per input: they persist, and the check is costly).
// bandMayBeZero: right after loadMemoryFile, before start-up has replaced
// band 0 by band 4. fromFile: the tables came from a memory file, whose
// tone fields need only be digits.
inline void checkState(bool tables = true, bool bandMayBeZero = false, bool fromFile = false) {
    const auto& C = catState;
    const auto& R = radioState;
    const auto& K = keysState;
    const auto& M = memoryState;
    checkText(programState.bannerText, "bannerText");
    checkText(programState.workText, "workText");
    checkText(speechState.waveDir, "waveDir");
    checkText(radioState.bandCoverage, "bandCoverage");
    checkText(C.lastCommand, "lastCommand");
    checkText(C.heldReply, "heldReply");
    checkText(C.lastFreqCmd, "lastFreqCmd");
    checkText(C.lastFreqReply, "lastFreqReply");
    checkText(C.bridgeInbox, "bridgeInbox");
    checkText(R.toneCode, "toneCode");
    checkText(R.monitorLevel, "monitorLevel");
    checkText(R.swrText, "swrText");
    checkText(K.entryZeros, "entryZeros");
    checkText(K.menuNumber, "menuNumber");
    checkText(K.menuValue, "menuValue");

    const bool bandOk = (R.band >= 1 && R.band <= 14) || R.band == 99 || (bandMayBeZero && R.band == 0);
    FUZZ_CHECK(bandOk, "band outside 1..14 and 99", std::to_string(R.band));
    // During a tone entry toneCode holds the digits typed so far.
    FUZZ_CHECK(R.toneCode.empty() || allDigits(R.toneCode), "toneCode not digits", R.toneCode);
    if (!tables) return;
    for (int b = 1; b <= 14; ++b) {
        FUZZ_CHECK(R.bandTable[b].size() == 30, "band record not 30 characters", R.bandTable[b]);
        FUZZ_CHECK(bandRecordUsable(R.bandTable[b]), "band record the memory file would reject", R.bandTable[b]);
        if (!fromFile)
            FUZZ_CHECK(committedTone(midText(R.bandTable[b], 27, 3)), "band record with an uncommitted tone",
                       R.bandTable[b]);
    }
    for (int c = 0; c < 100; ++c) {
        const std::string& ch = M.memoryChannels[c];
        FUZZ_CHECK(ch == "9" || (ch.size() == 32 && isChannelRecord(ch)), "channel neither \"9\" nor a 32-character record",
                   ch);
        if (ch != "9" && !fromFile)
            FUZZ_CHECK(committedTone(midText(ch, 29, 3)), "channel with an uncommitted tone", ch);
    }
}

// A frequency command: "FA" or "FB" alone (the query) or followed by exactly
// 11 digits.
inline bool wellFormedFrequencyCommand(std::string_view command) {
    if (command.size() == 2) return true;
    return command.size() == 13 && allDigits(command.substr(2));
}

// Calls check with each piece of text between separators; the last piece
// may lack its separator.
template <typename Check>
inline void forEachPiece(const std::string& text, char separator, Check check) {
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find(separator, start);
        if (end == std::string::npos) end = text.size();
        check(text.substr(start, end - start));
        start = end + 1;
    }
}

// Checks the commands in bytes written to the radio port. Commands in exempt
// came from the pass-through program and are forwarded as they are; they
// only have to fit a text.
inline void checkRadioCommands(const std::string& written, const std::set<std::string>& exempt = {}) {
    forEachPiece(written, ';', [&](const std::string& command) {
        FUZZ_CHECK(command.size() < kTextCapacity, "command longer than a text", command);
        if (exempt.count(command)) return;
        FUZZ_CHECK(command.size() <= kOwnCommandBound, "command longer than any the program forms", command);
        if (startsWith(command, "FA") || startsWith(command, "FB"))
            FUZZ_CHECK(wellFormedFrequencyCommand(command), "malformed frequency command", command);
        if (command == "Poweron") return;  // the wake-up text before "PS1"
        // Two upper-case letters, then digits, letters or a blank (the EX
        // separator); CW text ("KY") also the keyer's signs.
        FUZZ_CHECK(command.size() >= 2 && command[0] >= 'A' && command[0] <= 'Z' && command[1] >= 'A' &&
                       command[1] <= 'Z',
                   "command without its two letters", command);
        const bool cwText = startsWith(command, "KY");
        for (char c : command.substr(2)) {
            const bool ok = (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || c == ' ' || (cwText && isCwCharacter(c));
            FUZZ_CHECK(ok, "command with a character the radio does not take", command);
        }
    });
}

// Prompts played since the last call: each names a recording by letters and
// digits only, so no outside byte ever reaches a file path.
inline void checkPrompts() {
    for (const fake::Prompt& p : fake::state().prompts) {
        std::string_view path = p.path;
        FUZZ_CHECK(startsWith(path, "wave/") && path.size() > 9 && path.substr(path.size() - 4) == ".wav",
                   "prompt path", path);
        for (char c : path.substr(5, path.size() - 9)) {
            const bool ok = (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9');
            FUZZ_CHECK(ok, "prompt name with a character outside the vocabulary", path);
        }
    }
    fake::state().prompts.clear();
}

// Window texts must stay short: a reply leaking into the screen would show
// as a long text.
inline void checkTexts() {
    for (const fake::Text& t : fake::state().texts) FUZZ_CHECK(t.text.size() <= 120, "window text", t.text);
    fake::state().texts.clear();
}

}  // namespace fuzz
