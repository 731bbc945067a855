// The search for the radio on every serial port, and the port and speed
// it answered at written into rigvox.cfg.
#include "session/radio_search.h"

#include <cstdint>
#include <iterator>
#include <string>
#include <vector>

#include "link/cat_state.h"
#include "link/exchange.h"
#include "memory/whole_file.h"
#include "radio/radio_state.h"
#include "platform/platform.h"
#include "base/config_layout.h"
#include "base/text.h"
#include "speech/prompts.h"

namespace {

// Fastest first: the speed a radio's USB port is usually set to comes
// first, and a wrong fast speed costs no more than a wrong slow one.
constexpr int kSearchSpeeds[] = {115200, 57600, 38400, 19200, 9600, 4800};
// A Kenwood answers "ID" within some tens of milliseconds, even at 4800
// baud; a device silent this long is taken to be no radio at this speed.
constexpr int kAnswerWaitMs = 200;
constexpr int kHighestConfigPort = 99;   // line 1 holds one or two digits
constexpr int kReadChunk = 4096;
constexpr std::size_t kHeardCapacity = 64;  // enough for an answer among stray bytes
constexpr const char* kIdentityQuery = "ID;";

constexpr const char* kConfigNewFile = "rigvox.cfg.new";
constexpr const char* kConfigKeptFile = "rigvox.cfg.bak";
constexpr std::size_t kMaxConfigLines = 200;

// The sample configuration (tools/sample-rigvox.cfg), built in so that the
// first start needs no file besides the program.
constexpr const char* kSampleConfig =
#include "sample_config.inc"
    ;

// The three digits of the first identity answer in text ("ID", three
// digits, ";", after whatever noise a wrong speed made of the bytes before
// it); empty when there is none.
std::string identityIn(const std::string& text) {
    constexpr std::size_t kIdentityLength = 6;  // "ID" + 3 digits + ";"
    std::size_t at = 0;
    AnswerPiece piece;
    while (nextAnswer(text, at, piece)) {
        const std::size_t id = piece.text.rfind("ID");
        if (piece.whole && id != std::string_view::npos && piece.text.size() - id == kIdentityLength &&
            allDigits(piece.text.substr(id + 2, 3)))
            return std::string(piece.text.substr(id + 2, 3));
    }
    return {};
}

// The device open now goes back as it was found.
void closeTried() {
    auto& S = searchState;
    if (S.handle != 0) platSerialCloseRestored(S.handle);
    S.handle = 0;
}

// Sends "ID;", whatever the device sent before dropped; the answer is taken
// on a later tick.
void askIdentity() {
    auto& S = searchState;
    std::string early;
    platSerialRead(S.handle, early, kReadChunk);
    S.heard.clear();
    platSerialWrite(S.handle, kIdentityQuery);
    S.askedAtMs = platTickMs();
    ++S.asks;
}

// Asks the device at path at the current speed, or the next it takes; false
// when no speed is left. It is opened once and stepped through the speeds:
// every open may pulse the modem lines, which some radios take as a key.
bool askAtSomeSpeed(const std::string& path) {
    const auto& C = catState;
    auto& S = searchState;
    for (; S.speed < std::size(kSearchSpeeds); ++S.speed) {
        const int baud = kSearchSpeeds[S.speed];
        if (S.handle == 0) {
            S.handle = platSerialOpenPath(path, baud);
            if (S.handle == 0) continue;  // a device may refuse one speed and take the next
            platSerialSetLine(S.handle, C.portDataBits, C.portParity, C.portStopCode);
        } else if (!platSerialSetSpeed(S.handle, baud)) {
            continue;
        }
        S.asks = 0;
        askIdentity();
        return true;
    }
    return false;
}

// Asks the current device (from its current speed on) or the first one
// after it that may be asked; false when every device has been asked. A
// device missing or held by another program cannot be opened and is passed.
bool askOnward() {
    auto& S = searchState;
    for (; S.device < S.devices.size(); ++S.device, S.speed = 0) {
        const PlatSerialDevice& d = S.devices[S.device];
        if (d.number > kHighestConfigPort || (d.number != 0 && d.number == S.skipPort)) continue;
        if (askAtSomeSpeed(d.path)) return true;
        closeTried();
    }
    return false;
}

// The device's bytes since the question, the newest kept. One read a tick:
// a device that never stops sending cannot hold the loop.
void takeAnswerBytes() {
    auto& S = searchState;
    std::string chunk;
    platSerialRead(S.handle, chunk, kReadChunk);
    S.heard += chunk;
    if (S.heard.size() > kHeardCapacity) S.heard.erase(0, S.heard.size() - kHeardCapacity);
}

// A radio Rigvox knows answered: the search ends with it.
SearchStep endWithRadio() {
    auto& S = searchState;
    const PlatSerialDevice device = S.devices[S.device];
    const int baud = kSearchSpeeds[S.speed];
    closeTried();
    S = SearchState{};
    debugLine("Search: a radio answered on " + device.path + " at" + numberText(baud) + " Baud");
    const int port = device.number != 0 ? device.number : platSerialGiveNumber(device.path);
    if (port == 0) {
        // The radio is there, but no link to it can be made here.
        playPrompt("cfgnw");
        return {true, {}};
    }
    playPrompt("found");
    playPrompt("port");
    speakDigits(plainNumber(port));
    speakDigits(plainNumber(baud));
    playPrompt("baud");
    return {true, {port, baud}};
}

// A Kenwood Rigvox does not know answered: it is named and left alone,
// asked nothing more, and the search goes on with the next device.
void passUnknownModel(const std::string& model) {
    auto& S = searchState;
    debugLine("Search: an unsupported Kenwood, ID" + model + ", answered on " + S.devices[S.device].path);
    playPrompt("found");
    speakDigits(model);
    playPrompt("notsupported");
    closeTried();
    ++S.device;
    S.speed = 0;
}

// The first width characters of an old line as its label, or the usual one.
std::string labelOf(const std::string& line, int width, const char* usual) {
    return static_cast<int>(line.size()) >= width ? leftText(line, width) : std::string(usual);
}

// The lines of the existing rigvox.cfg; false when it cannot be read whole.
bool readConfigLines(std::vector<std::string>& lines) {
    const int file = platFileOpenRead(kConfigFile);
    if (file <= 0) return false;
    std::string line;
    bool whole = true;
    while (platFileReadLine(file, line)) {
        if (lines.size() >= kMaxConfigLines) {
            whole = false;
            break;
        }
        lines.push_back(line);
    }
    platFileClose(file);
    return whole;
}

std::vector<std::string> sampleLines() {
    std::vector<std::string> lines;
    const std::string text = kSampleConfig;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
        start = end + 1;
    }
    return lines;
}

}  // namespace

void startRadioSearch(int skipPort) {
    auto& S = searchState;
    stopRadioSearch();
    playPrompt("searching");
    S.going = true;
    S.skipPort = skipPort;
    S.devices = platSerialList();
    askOnward();
}

SearchStep stepRadioSearch() {
    auto& S = searchState;
    if (!S.going) return {true, {}};
    if (S.handle != 0) {
        takeAnswerBytes();
        const std::string model = identityIn(S.heard);
        const bool rejected = S.heard.find("?;") != std::string::npos;
        if (!model.empty() && knownRadioModel(textInt(model))) return endWithRadio();
        if (!model.empty()) {
            passUnknownModel(model);
        } else if (rejected && S.asks < 2) {
            // A radio whose parser still held bytes of a try at a wrong
            // speed rejects the question ("?;"): it is asked once more.
            askIdentity();
            return {};
        } else if (rejected || platTickMs() - S.askedAtMs >= kAnswerWaitMs) {
            ++S.speed;  // no radio at this speed
        } else {
            return {};  // the answer may still come
        }
    }
    if (askOnward()) return {};
    S = SearchState{};
    playPrompt("notfound");
    return {true, {}};
}

void stopRadioSearch() {
    closeTried();
    searchState = SearchState{};
}

bool writeConfigPort(int port, int baud) {
    std::vector<std::string> lines;
    const bool existing = platFileExists(kConfigFile);
    if (existing) {
        if (!readConfigLines(lines)) return false;
    } else {
        lines = sampleLines();
    }
    while (lines.size() < 2) lines.emplace_back();
    lines[0] = labelOf(lines[0], kPortLabelWidth, "COM=") + plainNumber(port);
    lines[1] = labelOf(lines[1], kSpeedLabelWidth, "SPEED=") + plainNumber(baud);

    // The new file is whole on the disk before the old one moves aside.
    if (!writeLinesFile(kConfigNewFile, lines)) return false;
    return moveIntoPlace(kConfigNewFile, kConfigFile, existing ? kConfigKeptFile : nullptr);
}
