// The fake platform backend for tests: a virtual clock, scripted events, an
// in-memory file system, recorded prompts and texts, and serial ports whose
// bytes tests feed and read.
#include "platform/platform_fake.h"

#include <algorithm>

#include "platform/platform.h"

namespace fake {

namespace {
State g;

std::string lower(std::string s) {
    for (char& c : s)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return s;
}

struct OpenFile {
    std::string path;
    int mode = 0;          // 1 read, 2 write, 3 append
    std::size_t pos = 0;   // read position
    bool used = false;
};
std::vector<OpenFile> openFiles(1);

// Moves the arrivals whose time has come into their ports' input, in order.
void deliverDue() {
    auto& a = g.arrivals;
    std::stable_sort(a.begin(), a.end(), [](const Arrival& x, const Arrival& y) { return x.atMs < y.atMs; });
    std::size_t n = 0;
    while (n < a.size() && a[n].atMs <= g.nowMs) {
        g.ports[a[n].port].incoming += a[n].bytes;
        ++n;
    }
    a.erase(a.begin(), a.begin() + static_cast<std::ptrdiff_t>(n));
}
}  // namespace

State& state() { return g; }

void reset() {
    g = State{};
    openFiles.assign(1, OpenFile{});
}

void pushEvent(int kind, int param) { g.events.emplace_back(kind, param); }
void pushKey(int vk) {
    pushEvent(kEventKeyDown, vk);
    pushEvent(kEventKeyUp, vk);
}
void pushTick() { pushEvent(kEventTick, 0); }
void pushTicks(int count, std::int64_t everyMs) {
    for (int i = 0; i < count; ++i) {
        g.tickAdvances[g.events.size()] = everyMs;
        pushTick();
    }
}
void advance(std::int64_t ms) { g.nowMs += ms; }

void feed(int port, const std::string& bytes) { g.ports[port].incoming += bytes; }
void feedAfter(int port, const std::string& bytes, std::int64_t delayMs) {
    g.arrivals.push_back({port, g.nowMs + delayMs, bytes});
}

std::string takeWritten(int port) {
    std::string out = g.ports[port].written;
    g.ports[port].written.clear();
    return out;
}

std::vector<std::string> takePrompts() {
    std::vector<std::string> names;
    for (const Prompt& p : g.prompts) {
        std::string n = p.path;
        auto slash = n.find_last_of("/\\");
        if (slash != std::string::npos) n = n.substr(slash + 1);
        if (n.size() > 4 && lower(n.substr(n.size() - 4)) == ".wav") n.resize(n.size() - 4);
        names.push_back(n);
    }
    g.prompts.clear();
    return names;
}

std::vector<std::string> takeUtterances() {
    std::vector<std::string> texts;
    for (const Utterance& u : g.utterances) texts.push_back(u.text);
    g.utterances.clear();
    return texts;
}

std::vector<std::string> takeAccessReadouts() {
    std::vector<std::string> texts;
    texts.swap(g.accessReadouts);
    return texts;
}

std::string textAt(int x, int y) {
    for (auto it = g.texts.rbegin(); it != g.texts.rend(); ++it)
        if (it->x == x && it->y == y) return it->text;
    return {};
}

int connectClient(int port, const std::string& address) {
    for (auto& [handle, socket] : g.sockets)
        if (socket.listener && socket.open && socket.port == port) {
            const int connection = g.nextSocket++;
            g.sockets[connection] = Socket{};
            g.sockets[connection].address = address;
            // g.sockets may have moved: find the listener again.
            g.sockets[handle].pending.push_back(connection);
            return connection;
        }
    return 0;
}
void clientSend(int connection, const std::string& bytes) { g.sockets[connection].incoming += bytes; }
std::string clientTake(int connection) {
    std::string out = g.sockets[connection].written;
    g.sockets[connection].written.clear();
    return out;
}
void clientClose(int connection) { g.sockets[connection].clientClosed = true; }

void setFile(const std::string& path, const std::string& content) { g.files[path].content = content; }
bool hasFile(const std::string& path) { return g.files.count(path) > 0; }
std::string fileContent(const std::string& path) {
    auto it = g.files.find(path);
    return it == g.files.end() ? std::string() : it->second.content;
}

}  // namespace fake

using fake::g;

bool platWindowOpen(const std::string& title, int x, int y, int width, int height) {
    g.windowOpen = true;
    g.windowTitle = title;
    g.windowX = x;
    g.windowY = y;
    g.windowW = width;
    g.windowH = height;
    return true;
}
void platWindowClose() { g.windowOpen = false; }

void platTextFont(const std::string& face, int points, int weight) {
    g.fontFace = points > 0 ? face : std::string();
    g.fontPoints = points;
    g.fontWeight = weight;
}
void platTextAt(int x, int y, const std::string& text) {
    g.texts.push_back({x, y, g.fontFace, g.fontPoints, g.fontWeight, text});
}

void platTimerStart(int periodMs) { g.timerPeriodMs = periodMs; }
void platTimerStop() { g.timerPeriodMs = 0; }

bool platWaitEvent(int& kind, int& param) {
    if (g.nextEvent >= g.events.size()) {
        // Input the program holds is answered before the script ends.
        if (!g.netInputHeld) return false;
        kind = kEventNetwork;
        param = 0;
        return true;
    }
    kind = g.events[g.nextEvent].first;
    param = g.events[g.nextEvent].second;
    if (auto it = g.tickAdvances.find(g.nextEvent); it != g.tickAdvances.end()) g.nowMs += it->second;
    ++g.nextEvent;
    return true;
}

namespace {
void updateSounds() { g.sounds.update(g.nowMs, SoundQueue::kNoDevice); }
}  // namespace

int platSoundQueue(const std::string& path) {
    int durationMs = 0;
    if (!path.empty()) {
        g.prompts.push_back({path, g.nowMs});
        const std::string key = fake::lower(path);
        auto it = g.wavMs.find(key);
        if (!g.missingWavs.count(key) && it != g.wavMs.end()) durationMs = it->second;
    }
    g.sounds.add(g.nowMs, durationMs, 0);
    updateSounds();
    return durationMs;
}

std::int64_t platSoundStarted() {
    updateSounds();
    return g.sounds.started();
}

bool platSoundBusy() {
    updateSounds();
    return g.sounds.busy();
}

void platSoundStop() {
    if (g.sounds.busy()) ++g.soundStops;
    g.sounds.stop(g.nowMs);
}

int platWavDurationMs(const std::string& path) {
    const std::string key = fake::lower(path);
    g.prompts.push_back({path, g.nowMs});
    if (g.missingWavs.count(key)) return 0;
    auto it = g.wavMs.find(key);
    return it == g.wavMs.end() ? 0 : it->second;
}

bool platSpeechOpen() {
    g.speechOpen = g.speechReachable;
    if (g.speechOpen) g.speechSaysLeft = -1;  // a service (re)started takes everything
    return g.speechOpen;
}

bool platSpeechSay(const std::string& text) {
    if (!g.speechOpen || g.speechSaysLeft == 0) return false;
    if (g.speechSaysLeft > 0) --g.speechSaysLeft;
    g.utterances.push_back({text, g.speechCancelled});
    g.speechCancelled = false;
    return true;
}

void platSpeechCancel() {
    if (!g.speechOpen) return;
    g.speechCancelled = true;
    ++g.speechCancels;
}

void platSpeechClose() { g.speechOpen = false; }

bool platAccessOpen(bool braille, bool screenReader) {
    g.accessOpen = (braille || screenReader) && g.accessReachable;
    return g.accessOpen;
}
void platAccessReadout(const std::string& text) {
    if (g.accessOpen) g.accessReadouts.push_back(text);
}
void platAccessPanel(const std::string& line) {
    if (g.accessOpen) g.accessPanel = line;
}
void platAccessClose() { g.accessOpen = false; }

std::vector<PlatSerialDevice> platSerialList() {
    std::vector<PlatSerialDevice> devices;
    for (const fake::SerialDevice& d : g.serialDevices) devices.push_back({d.number, d.path});
    return devices;
}
int platSerialOpenPath(const std::string& path, int baud) {
    for (const fake::SerialDevice& d : g.serialDevices)
        if (d.path == path) return platSerialOpen(d.port, baud);
    return 0;
}
bool platSerialSetSpeed(int handle, int baud) {
    auto it = g.ports.find(handle);
    if (it == g.ports.end() || !it->second.open || baud <= 0) return false;
    it->second.baud = baud;
    return true;
}
int platSerialGiveNumber(const std::string& path) {
    if (g.readOnlyDirectory) return 0;
    for (int n = 1; n <= 99; ++n) {
        bool taken = g.serialLinks.count(n) > 0;
        for (const fake::SerialDevice& d : g.serialDevices) taken = taken || d.number == n;
        if (taken) continue;
        g.serialLinks[n] = path;
        return n;
    }
    return 0;
}

int platSerialOpen(int portNumber, int baud) {
    auto& p = g.ports[portNumber];
    if (!p.openable || p.open || portNumber < 1) return 0;
    p.open = true;
    const int found[4] = {p.baud, p.dataBits, p.parity, p.stopCode};
    std::copy(found, found + 4, p.found);
    p.baud = baud;
    p.dataBits = 8;
    p.parity = 0;
    p.stopCode = 1;
    p.gone = false;  // a fresh open reaches the device again
    ++p.opens;
    return portNumber;
}
void platSerialClose(int handle) {
    auto it = g.ports.find(handle);
    if (it != g.ports.end()) it->second.open = false;
}
void platSerialCloseRestored(int handle) {
    auto it = g.ports.find(handle);
    if (it == g.ports.end() || !it->second.open) return;
    fake::Port& p = it->second;
    p.incoming.clear();
    p.baud = p.found[0];
    p.dataBits = p.found[1];
    p.parity = p.found[2];
    p.stopCode = p.found[3];
    ++p.restores;
    p.open = false;
}
void platSerialSetLine(int handle, int dataBits, int parity, int stopCode) {
    auto it = g.ports.find(handle);
    if (it == g.ports.end() || !it->second.open) return;
    it->second.dataBits = dataBits;
    it->second.parity = parity;
    it->second.stopCode = stopCode;
}
int platSerialWaiting(int handle) {
    fake::deliverDue();
    auto it = g.ports.find(handle);
    if (it == g.ports.end() || !it->second.open) return 0;
    return static_cast<int>(it->second.incoming.size());
}
int platSerialRead(int handle, std::string& text, int maxBytes) {
    text.clear();
    fake::deliverDue();
    auto it = g.ports.find(handle);
    if (it == g.ports.end() || !it->second.open || maxBytes <= 0) return 0;
    std::string& in = it->second.incoming;
    const std::size_t n = std::min<std::size_t>(in.size(), static_cast<std::size_t>(maxBytes));
    text = in.substr(0, n);
    in.erase(0, n);
    return static_cast<int>(n);
}
int platSerialWrite(int handle, const std::string& text) {
    auto it = g.ports.find(handle);
    if (it == g.ports.end() || !it->second.open) return 0;
    it->second.written += text;
    if (g.responder) g.responder(handle, text);
    return static_cast<int>(text.size());
}
bool platSerialWaitInput(int handle, int timeoutMs) {
    fake::deliverDue();
    const std::int64_t until = g.nowMs + std::max(0, timeoutMs);
    auto it = g.ports.find(handle);
    const bool live = it != g.ports.end() && it->second.open;
    if (live && !it->second.incoming.empty()) return true;
    // The clock jumps to the first arrival for this port within the time,
    // or to the end of it.
    if (live) {
        for (const fake::Arrival& a : g.arrivals)
            if (a.port == handle && a.atMs <= until) {
                g.nowMs = std::max(g.nowMs, a.atMs);
                fake::deliverDue();
                return true;
            }
    }
    g.nowMs = until;
    fake::deliverDue();
    return false;
}

bool platSerialGone(int handle) {
    auto it = g.ports.find(handle);
    return it != g.ports.end() && it->second.open && it->second.gone;
}

// --- network sockets -------------------------------------------------------

namespace {
fake::Socket* socketOf(int handle, bool listener) {
    auto it = g.sockets.find(handle);
    if (it == g.sockets.end() || !it->second.open || it->second.listener != listener) return nullptr;
    return &it->second;
}
}  // namespace

int platNetListen(const std::string& address, int port) {
    if (g.netListenFails || port < 1 || port > 65535) return 0;
    for (const auto& [handle, socket] : g.sockets)
        if (socket.listener && socket.open && socket.port == port) return 0;  // port taken
    const int handle = g.nextSocket++;
    fake::Socket& s = g.sockets[handle];
    s.listener = true;
    s.address = address;
    s.port = port;
    return handle;
}
int platNetAccept(int listener, std::string& peer) {
    peer.clear();
    fake::Socket* s = socketOf(listener, true);
    if (!s || s->pending.empty()) return 0;
    const int connection = s->pending.front();
    s->pending.erase(s->pending.begin());
    peer = g.sockets[connection].address;
    return connection;
}
int platNetRead(int handle, std::string& text, int maxBytes) {
    text.clear();
    fake::Socket* s = socketOf(handle, false);
    if (!s) return -1;
    if (s->incoming.empty()) return s->clientClosed ? -1 : 0;
    const std::size_t n = std::min<std::size_t>(s->incoming.size(), static_cast<std::size_t>(std::max(maxBytes, 0)));
    text = s->incoming.substr(0, n);
    s->incoming.erase(0, n);
    return static_cast<int>(n);
}
int platNetWrite(int handle, const std::string& text) {
    fake::Socket* s = socketOf(handle, false);
    if (!s || s->clientClosed) return -1;
    std::size_t n = text.size();
    if (s->room >= 0 && static_cast<long long>(n) > s->room) n = static_cast<std::size_t>(s->room);
    if (s->room >= 0) s->room -= static_cast<long long>(n);
    s->written += text.substr(0, n);
    return static_cast<int>(n);
}
bool platNetPeerGone(int handle) {
    const fake::Socket* s = socketOf(handle, false);
    return !s || s->clientClosed;
}
void platNetClose(int handle) {
    auto it = g.sockets.find(handle);
    if (it != g.sockets.end()) it->second.open = false;
}
void platNetInputHeld(bool held) { g.netInputHeld = held; }

// --- files -----------------------------------------------------------------

namespace {
int newHandle(const std::string& path, int mode) {
    for (std::size_t i = 1; i < fake::openFiles.size(); ++i)
        if (!fake::openFiles[i].used) {
            fake::openFiles[i] = {path, mode, 0, true};
            return static_cast<int>(i);
        }
    fake::openFiles.push_back({path, mode, 0, true});
    return static_cast<int>(fake::openFiles.size() - 1);
}
fake::OpenFile* fileOf(int handle) {
    if (handle <= 0 || static_cast<std::size_t>(handle) >= fake::openFiles.size()) return nullptr;
    fake::OpenFile* f = &fake::openFiles[handle];
    return f->used ? f : nullptr;
}
bool writable(const std::string& path) {
    return !g.readOnlyDirectory && g.unwritablePaths.count(path) == 0;
}
}  // namespace

int platFileOpenRead(const std::string& path) {
    if (!g.files.count(path)) return 0;
    return newHandle(path, 1);
}
int platFileOpenWrite(const std::string& path) {
    if (!writable(path)) return 0;
    g.files[path].content.clear();
    return newHandle(path, 2);
}
int platFileOpenAppend(const std::string& path) {
    if (!writable(path)) return 0;
    g.files[path];
    return newHandle(path, 3);
}
bool platFileReadLine(int handle, std::string& line) {
    line.clear();
    fake::OpenFile* f = fileOf(handle);
    if (!f || f->mode != 1) return false;
    const std::string& c = g.files[f->path].content;
    if (f->pos >= c.size()) return false;
    while (f->pos < c.size() && c[f->pos] != '\r' && c[f->pos] != '\n') line += c[f->pos++];
    if (f->pos < c.size() && c[f->pos] == '\r') {
        ++f->pos;
        if (f->pos < c.size() && c[f->pos] == '\n') ++f->pos;
    } else if (f->pos < c.size() && c[f->pos] == '\n') {
        ++f->pos;
    }
    return true;
}
bool platFileWrite(int handle, const std::string& bytes) {
    fake::OpenFile* f = fileOf(handle);
    if (!f || f->mode == 1) return false;
    std::string& c = g.files[f->path].content;
    if (g.diskSpace >= 0 && static_cast<long long>(bytes.size()) > g.diskSpace) {
        c += bytes.substr(0, static_cast<std::size_t>(g.diskSpace));
        g.diskSpace = 0;
        return false;
    }
    if (g.diskSpace >= 0) g.diskSpace -= static_cast<long long>(bytes.size());
    c += bytes;
    return true;
}
bool platFileSync(int handle) { return fileOf(handle) != nullptr && !g.failSync; }
void platFileClose(int handle) {
    fake::OpenFile* f = fileOf(handle);
    if (f) f->used = false;
}
bool platFileDelete(const std::string& path) {
    if (g.readOnlyDirectory) return false;
    return g.files.erase(path) > 0;
}
bool platFileRename(const std::string& from, const std::string& to) {
    if (g.readOnlyDirectory || g.failRename || !g.files.count(from)) return false;
    g.files[to] = g.files[from];
    g.files.erase(from);
    ++g.renames[to];
    return true;
}
bool platFileExists(const std::string& path) { return g.files.count(path) > 0 || g.danglingLinks.count(path) > 0; }

std::int64_t platTickMs() { return g.nowMs; }
PlatDateTime platLocalDateTime() { return {7, 12, 2026, 9, 5, 3}; }
std::string platEnv(const std::string& name) {
    auto it = g.env.find(name);
    return it == g.env.end() ? std::string() : it->second;
}
