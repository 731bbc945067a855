// The search for the radio on every serial port, and the port and speed
// it answered at written into rigvox.cfg.
#include "session/radio_search.h"

#include <cstdint>
#include <string>
#include <vector>

#include "link/cat_state.h"
#include "link/exchange.h"
#include "memory/whole_file.h"
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
constexpr int kReadChunk = 255;
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

// True when text holds an identity answer: "ID", three digits, ";" (after
// whatever noise a wrong speed made of the bytes before it).
bool holdsIdentity(const std::string& text) {
    constexpr std::size_t kIdentityLength = 6;  // "ID" + 3 digits + ";"
    std::size_t at = 0;
    AnswerPiece piece;
    while (nextAnswer(text, at, piece)) {
        const std::size_t id = piece.text.rfind("ID");
        if (piece.whole && id != std::string_view::npos && piece.text.size() - id == kIdentityLength &&
            allDigits(piece.text.substr(id + 2, 3)))
            return true;
    }
    return false;
}

// Sends "ID;" and listens until the answer or the wait is over (sleeping
// in the platform's serial wait). A radio that rejects the query ("?;", its
// parser still held bytes of a try at a wrong speed) is asked once more.
bool answersAsKenwood(int handle) {
    std::string chunk;
    platSerialRead(handle, chunk, 4096);  // whatever the device sent before we asked
    for (int attempt = 0; attempt < 2; ++attempt) {
        std::string heard;
        platSerialWrite(handle, kIdentityQuery);
        const std::int64_t until = platTickMs() + kAnswerWaitMs;
        for (std::int64_t left = kAnswerWaitMs; left > 0; left = until - platTickMs()) {
            if (!platSerialWaitInput(handle, static_cast<int>(left))) break;
            platSerialRead(handle, chunk, kReadChunk);
            heard += chunk;
            if (heard.size() > kHeardCapacity) heard.erase(0, heard.size() - kHeardCapacity);
            if (holdsIdentity(heard)) return true;
            if (heard.find("?;") != std::string::npos) break;
        }
        if (heard.find("?;") == std::string::npos) return false;
    }
    return false;
}

// The speed at which the device at path answers as a Kenwood; 0 when it
// answers at none, or cannot be opened (missing, or held by another
// program). It is opened once and stepped through the speeds: every open
// may pulse the modem lines, which some radios take as a key.
int probeDevice(const std::string& path) {
    const auto& C = catState;
    int handle = 0;
    int found = 0;
    for (int baud : kSearchSpeeds) {
        if (handle == 0) {
            handle = platSerialOpenPath(path, baud);
            if (handle == 0) continue;  // a device may refuse one speed and take the next
            platSerialSetLine(handle, C.portDataBits, C.portParity, C.portStopCode);
        } else if (!platSerialSetSpeed(handle, baud)) {
            continue;
        }
        if (answersAsKenwood(handle)) {
            found = baud;
            break;
        }
    }
    if (handle != 0) platSerialClose(handle);
    return found;
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

FoundRadio searchForRadio(int skipPort) {
    playPrompt("searching");
    FoundRadio found;
    for (const PlatSerialDevice& device : platSerialList()) {
        if (device.number > kHighestConfigPort || (device.number != 0 && device.number == skipPort)) continue;
        const int baud = probeDevice(device.path);
        if (baud == 0) continue;
        debugLine("Search: a radio answered on " + device.path + " at" + numberText(baud) + " Baud");
        const int port = device.number != 0 ? device.number : platSerialGiveNumber(device.path);
        if (port == 0) {
            // The radio is there, but no link to it can be made here.
            playPrompt("cfgnw");
            return {};
        }
        found = {port, baud};
        break;
    }
    if (found.port == 0) {
        playPrompt("notfound");
        return found;
    }
    playPrompt("found");
    playPrompt("port");
    speakDigits(plainNumber(found.port));
    speakDigits(plainNumber(found.baud));
    playPrompt("baud");
    return found;
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
