// The real backend on Windows, second half: serial ports (COMn), network
// sockets (Winsock), files in the working folder, clock and environment.
// Nothing here throws.
#include "platform/platform.h"
#include "platform/handle_slots.h"
#include "platform/line_reader.h"
#include "platform/platform_win32.h"
#include "platform/port_name.h"

#include <ws2tcpip.h>

#include "platform/listen_address.h"  // after the socket headers it uses

#include <algorithm>
#include <vector>

namespace {

// ---------------------------------------------------------------------------
// [SECTION] Serial ports
// ---------------------------------------------------------------------------

// A stuck device (flow control held, nobody reading) must not freeze the
// program: a write gives up after about a second, as on Linux.
constexpr DWORD kWriteLimitMs = 1000;

struct SerialSlot {
    HANDLE h = INVALID_HANDLE_VALUE;  // INVALID_HANDLE_VALUE = free slot
    bool gone = false;                // the device failed (unplugged adapter)
    std::string early;                // bytes taken while waiting for input, not yet read
    DCB foundState{};                 // the settings before our open, for a port only tried
    COMMTIMEOUTS foundTimeouts{};
    bool inUse() const { return h != INVALID_HANDLE_VALUE; }
};
HandleSlots<SerialSlot> serialSlots;

SerialSlot* serialOf(int handle) { return serialSlots.find(handle); }

// Reads return at once with what is there; writes wait at most the limit.
COMMTIMEOUTS immediateReads() {
    COMMTIMEOUTS t{};
    t.ReadIntervalTimeout = MAXDWORD;
    t.ReadTotalTimeoutMultiplier = 0;
    t.ReadTotalTimeoutConstant = 0;
    t.WriteTotalTimeoutMultiplier = 0;
    t.WriteTotalTimeoutConstant = kWriteLimitMs;
    return t;
}

// Sets dcb with the given speed on the port; true when the device took the
// speed, which only shows when read back.
bool applySpeed(HANDLE h, DCB& dcb, int baud) {
    dcb.BaudRate = static_cast<DWORD>(baud);
    DCB check{};
    check.DCBlength = sizeof check;
    return SetCommState(h, &dcb) && GetCommState(h, &check) && check.BaudRate == dcb.BaudRate;
}

std::int64_t counterMs() {
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        if (!QueryPerformanceFrequency(&f) || f.QuadPart <= 0) f.QuadPart = 1000;
        return f;
    }();
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return now.QuadPart / frequency.QuadPart * 1000 +
           now.QuadPart % frequency.QuadPart * 1000 / frequency.QuadPart;
}

}  // namespace

int platSerialOpen(int portNumber, int baud) {
    // "COM9", and from COM10 on the device namespace, "\\.\COM10"; "" for a
    // number out of range.
    const std::string name = portPlatformName(portNumber);
    if (name.empty() || baud <= 0) return 0;
    // Share mode 0: exclusive, no other program can open the port meanwhile;
    // a port another program has open refuses us (ERROR_ACCESS_DENIED or a
    // sharing violation), and is left alone.
    HANDLE h = CreateFileA(name.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return 0;

    // Raw 8-bit bytes, no parity, one stop bit, as on Linux: every byte
    // read as it came (no received XON/XOFF taken out of them, none
    // replaced, stripped or dropped while DSR is low) and line errors that
    // do not stop the port. Flow control (RTS/CTS, DSR, XOFF sent when
    // full) and the DTR and RTS lines stay as the port had them: several
    // radios can be set to key the transmitter or send CW from DTR or RTS,
    // so raising a line at open could key the radio, and only the operator
    // knows what the cable needs.
    DCB dcb{};
    dcb.DCBlength = sizeof dcb;
    COMMTIMEOUTS foundTimeouts{};
    const bool foundRead = GetCommState(h, &dcb) && GetCommTimeouts(h, &foundTimeouts);
    const DCB foundState = dcb;
    bool ok = foundRead;
    if (ok) {
        dcb.fBinary = TRUE;
        dcb.fParity = FALSE;
        dcb.fOutX = FALSE;
        dcb.fDsrSensitivity = FALSE;
        dcb.fErrorChar = FALSE;
        dcb.fNull = FALSE;
        // Line errors must not stop the port until cleared: the poll clears
        // them anyway when it asks for the bytes waiting.
        dcb.fAbortOnError = FALSE;
        dcb.ByteSize = 8;
        dcb.Parity = NOPARITY;
        dcb.StopBits = ONESTOPBIT;
        ok = applySpeed(h, dcb, baud);
    }
    COMMTIMEOUTS timeouts = immediateReads();
    ok = ok && SetCommTimeouts(h, &timeouts);
    if (!ok) {
        // Part of the settings may have taken: the port goes back as found.
        if (foundRead) {
            DCB back = foundState;
            SetCommState(h, &back);
            SetCommTimeouts(h, &foundTimeouts);
        }
        CloseHandle(h);
        return 0;
    }
    DWORD errors = 0;
    ClearCommError(h, &errors, nullptr);

    return serialSlots.add(SerialSlot{h, false, {}, foundState, foundTimeouts});
}

void platSerialClose(int handle) {
    SerialSlot* s = serialOf(handle);
    if (!s) return;
    CloseHandle(s->h);
    *s = SerialSlot{};
}

void platSerialCloseRestored(int handle) {
    SerialSlot* s = serialOf(handle);
    if (!s) return;
    // Dropped first: bytes still queued would otherwise go out at the
    // restored speed.
    PurgeComm(s->h, PURGE_TXABORT | PURGE_RXABORT | PURGE_TXCLEAR | PURGE_RXCLEAR);
    SetCommState(s->h, &s->foundState);
    SetCommTimeouts(s->h, &s->foundTimeouts);
    platSerialClose(handle);
}

void platSerialSetLine(int handle, int dataBits, int parity, int stopCode) {
    SerialSlot* s = serialOf(handle);
    if (!s) return;
    DCB dcb{};
    dcb.DCBlength = sizeof dcb;
    if (!GetCommState(s->h, &dcb)) return;
    dcb.ByteSize = static_cast<BYTE>(std::clamp(dataBits, 5, 8));
    dcb.Parity = parity == 1 ? ODDPARITY : parity == 2 ? EVENPARITY : NOPARITY;
    dcb.fParity = parity == 1 || parity == 2;
    // Windows knows two stop bits with 5 data bits only as one and a half.
    if (stopCode == 1)
        dcb.StopBits = ONESTOPBIT;
    else
        dcb.StopBits = dcb.ByteSize == 5 ? ONE5STOPBITS : TWOSTOPBITS;
    SetCommState(s->h, &dcb);
}

bool platSerialGone(int handle) {
    SerialSlot* s = serialOf(handle);
    if (!s) return false;
    if (s->gone) return true;
    // An unplugged adapter fails every call on its handle from then on.
    DWORD errors = 0;
    COMSTAT stat{};
    if (!ClearCommError(s->h, &errors, &stat)) s->gone = true;
    return s->gone;
}

int platSerialWaiting(int handle) {
    SerialSlot* s = serialOf(handle);
    if (!s) return 0;
    // Also clears pending line errors (framing, overrun, parity).
    DWORD errors = 0;
    COMSTAT stat{};
    if (!ClearCommError(s->h, &errors, &stat)) {
        s->gone = true;
        return static_cast<int>(s->early.size());
    }
    const std::size_t count = s->early.size() + stat.cbInQue;
    return static_cast<int>(std::min<std::size_t>(count, 0x7FFFFFFF));
}

int platSerialRead(int handle, std::string& text, int maxBytes) {
    text.clear();
    SerialSlot* s = serialOf(handle);
    if (!s || maxBytes <= 0) return 0;
    const std::size_t max = static_cast<std::size_t>(maxBytes);
    const std::size_t early = std::min(s->early.size(), max);
    text.assign(s->early, 0, early);
    s->early.erase(0, early);
    char buffer[4096];
    while (text.size() < max) {
        const DWORD want = static_cast<DWORD>(std::min(sizeof buffer, max - text.size()));
        DWORD got = 0;
        if (!ReadFile(s->h, buffer, want, &got, nullptr)) {
            s->gone = true;
            break;
        }
        if (got == 0) break;  // nothing more waiting
        text.append(buffer, got);
    }
    return static_cast<int>(text.size());
}

int platSerialWrite(int handle, const std::string& text) {
    SerialSlot* s = serialOf(handle);
    if (!s) return 0;
    const std::int64_t deadline = counterMs() + kWriteLimitMs;
    std::size_t done = 0;
    while (done < text.size()) {
        const DWORD want = static_cast<DWORD>(std::min<std::size_t>(text.size() - done, 1 << 20));
        DWORD written = 0;
        if (!WriteFile(s->h, text.data() + done, want, &written, nullptr)) {
            s->gone = true;
            break;
        }
        done += written;
        // A partial write ran into the write limit: retried until the
        // limit has passed altogether.
        if (written == 0 && counterMs() >= deadline) break;
    }
    return static_cast<int>(done);
}

bool platSerialWaitInput(int handle, int timeoutMs) {
    const std::int64_t deadline = counterMs() + std::max(0, timeoutMs);
    SerialSlot* s = serialOf(handle);
    if (s && platSerialWaiting(handle) > 0) return true;
    if (s && !s->gone && timeoutMs > 0) {
        // A read that returns as soon as one byte has come, or after the
        // timeout: the system sleeps for us. The byte is kept for the next
        // read.
        COMMTIMEOUTS waiting = immediateReads();
        waiting.ReadIntervalTimeout = MAXDWORD;
        waiting.ReadTotalTimeoutMultiplier = MAXDWORD;
        waiting.ReadTotalTimeoutConstant = static_cast<DWORD>(timeoutMs);
        char c = 0;
        DWORD got = 0;
        if (!SetCommTimeouts(s->h, &waiting) || !ReadFile(s->h, &c, 1, &got, nullptr))
            s->gone = true;
        COMMTIMEOUTS immediate = immediateReads();
        SetCommTimeouts(s->h, &immediate);
        if (got == 1) {
            s->early += c;
            return true;
        }
    }
    // Nothing can come (a bad handle, a device that has gone) or nothing
    // came before the device gave up: the caller's pause still lasts the
    // whole time.
    for (std::int64_t left = deadline - counterMs(); left > 0; left = deadline - counterMs())
        Sleep(static_cast<DWORD>(left));
    return false;
}

std::vector<PlatSerialDevice> platSerialList() {
    // Every serial port the system has, as Device Manager lists it: value
    // names are driver names ("\Device\Serial0"), the data the port names.
    std::vector<PlatSerialDevice> devices;
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "HARDWARE\\DEVICEMAP\\SERIALCOMM", 0, KEY_READ, &key) != ERROR_SUCCESS)
        return devices;
    for (DWORD i = 0;; ++i) {
        char name[256];
        DWORD nameSize = sizeof name;
        char data[64] = {};
        DWORD dataSize = sizeof data - 1;
        DWORD type = 0;
        const LONG r = RegEnumValueA(key, i, name, &nameSize, nullptr, &type, reinterpret_cast<BYTE*>(data), &dataSize);
        if (r == ERROR_NO_MORE_ITEMS) break;
        if (r != ERROR_SUCCESS || type != REG_SZ) continue;  // ERROR_MORE_DATA: not a port name
        const std::string port(data, strnlen(data, sizeof data));
        const int n = comNameNumber(port);
        if (n > 0) devices.push_back({n, "COM" + std::to_string(n)});
    }
    RegCloseKey(key);
    keepOnePerNumber(devices);
    return devices;
}

int platSerialOpenPath(const std::string& path, int baud) {
    const int n = comNameNumber(path);
    return n > 0 ? platSerialOpen(n, baud) : 0;
}

bool platSerialSetSpeed(int handle, int baud) {
    SerialSlot* s = serialOf(handle);
    if (!s || baud <= 0) return false;
    DCB dcb{};
    dcb.DCBlength = sizeof dcb;
    return GetCommState(s->h, &dcb) && applySpeed(s->h, dcb, baud);
}

int platSerialGiveNumber(const std::string&) { return 0; }

// ---------------------------------------------------------------------------
// [SECTION] Network sockets
// ---------------------------------------------------------------------------

namespace {

struct NetSlot {
    SOCKET sock = INVALID_SOCKET;  // INVALID_SOCKET = free slot
    bool resting = false;          // a listener whose last accept failed for want of resources
    bool inUse() const { return sock != INVALID_SOCKET; }
};
HandleSlots<NetSlot> netSlots;
HANDLE netEvent = nullptr;         // signalled by every open socket
bool winsockReady = false;
bool winsockFailed = false;
bool inputHeld = false;            // platNetInputHeld

bool ensureWinsock() {
    if (winsockReady) return true;
    if (winsockFailed) return false;
    WSADATA data;
    if (WSAStartup(MAKEWORD(2, 2), &data) != 0) {
        winsockFailed = true;
        return false;
    }
    netEvent = WSACreateEvent();
    if (netEvent == WSA_INVALID_EVENT) {
        netEvent = nullptr;
        WSACleanup();
        winsockFailed = true;
        return false;
    }
    winsockReady = true;
    return true;
}

NetSlot* netOf(int handle) { return netSlots.find(handle); }

int addSocket(SOCKET sock) { return netSlots.add(NetSlot{sock}); }

bool anySocketOpen() {
    for (const NetSlot& n : netSlots)
        if (n.sock != INVALID_SOCKET) return true;
    return false;
}

}  // namespace

HANDLE platwin::networkEvent() { return winsockReady && anySocketOpen() ? netEvent : nullptr; }

bool platwin::netInputHeld() { return inputHeld; }

void platNetInputHeld(bool held) { inputHeld = held; }

int platNetListen(const std::string& address, int port) {
    if (port < 1 || port > 65535 || address.empty() || !ensureWinsock()) return 0;
    sockaddr_storage where;
    const int length = listenAddress(address, port, where);
    if (length == 0) return 0;
    SOCKET sock = socket(where.ss_family, SOCK_STREAM, IPPROTO_TCP);
    if (sock == INVALID_SOCKET) return 0;
    // Exclusive: no other program can take over the port while it is ours
    // (Windows' SO_REUSEADDR would let one).
    BOOL on = TRUE;
    setsockopt(sock, SOL_SOCKET, SO_EXCLUSIVEADDRUSE, reinterpret_cast<const char*>(&on), sizeof on);
    // WSAEventSelect also makes the socket non-blocking.
    if (bind(sock, reinterpret_cast<const sockaddr*>(&where), length) != 0 ||
        listen(sock, SOMAXCONN) != 0 || WSAEventSelect(sock, netEvent, FD_ACCEPT) != 0) {
        closesocket(sock);
        return 0;
    }
    return addSocket(sock);
}

int platNetAccept(int listener, std::string& peer) {
    peer.clear();
    NetSlot* n = netOf(listener);
    if (!n) return 0;
    SOCKET sock = INVALID_SOCKET;
    sockaddr_storage from{};
    for (;;) {
        int fromLength = sizeof from;
        sock = accept(n->sock, reinterpret_cast<sockaddr*>(&from), &fromLength);
        // A connection reset while it waited is skipped; the next may be good.
        if (sock != INVALID_SOCKET || WSAGetLastError() != WSAECONNRESET) break;
    }
    const bool failed = sock == INVALID_SOCKET && WSAGetLastError() != WSAEWOULDBLOCK;
    if (failed != n->resting) {
        // Every accept re-arms the listener's signal while a connection
        // waits; one that cannot be taken (no buffers, no handles) would
        // wake the wait again at once. The listener rests, unwatched, until
        // a tick's call takes a connection or finds none.
        WSAEventSelect(n->sock, netEvent, failed ? 0 : FD_ACCEPT);
        n->resting = failed;
    }
    if (sock == INVALID_SOCKET) return 0;
    // Answers are short and awaited: sent at once, not held back by Nagle.
    BOOL on = TRUE;
    setsockopt(sock, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&on), sizeof on);
    if (WSAEventSelect(sock, netEvent, FD_READ | FD_CLOSE) != 0) {
        closesocket(sock);
        return 0;
    }
    peer = peerAddress(from);
    return addSocket(sock);
}

int platNetRead(int handle, std::string& text, int maxBytes) {
    text.clear();
    NetSlot* n = netOf(handle);
    if (!n) return -1;
    if (maxBytes <= 0) return 0;
    char buffer[4096];
    while (static_cast<int>(text.size()) < maxBytes) {
        const int want = std::min<int>(sizeof buffer, maxBytes - static_cast<int>(text.size()));
        const int got = recv(n->sock, buffer, want, 0);
        if (got > 0) {
            text.append(buffer, static_cast<std::size_t>(got));
            continue;
        }
        const bool wouldBlock = got == SOCKET_ERROR && WSAGetLastError() == WSAEWOULDBLOCK;
        // Closed or failed: the bytes taken before count now, the end on
        // the next read.
        if (!wouldBlock && text.empty()) return -1;
        break;
    }
    return static_cast<int>(text.size());
}

int platNetWrite(int handle, const std::string& text) {
    NetSlot* n = netOf(handle);
    if (!n) return -1;
    std::size_t done = 0;
    while (done < text.size()) {
        const int want = static_cast<int>(std::min<std::size_t>(text.size() - done, 1 << 20));
        const int sent = send(n->sock, text.data() + done, want, 0);
        if (sent > 0) {
            done += static_cast<std::size_t>(sent);
            continue;
        }
        if (sent == SOCKET_ERROR && WSAGetLastError() == WSAEWOULDBLOCK) break;
        return done > 0 ? static_cast<int>(done) : -1;
    }
    return static_cast<int>(done);
}

bool platNetPeerGone(int handle) {
    NetSlot* n = netOf(handle);
    if (!n) return true;
    // WSAPoll gives POLLHUP for a graceful close or a reset, whatever is
    // still unread.
    WSAPOLLFD p = {n->sock, POLLRDNORM, 0};
    return WSAPoll(&p, 1, 0) > 0 && (p.revents & (POLLHUP | POLLERR | POLLNVAL)) != 0;
}

void platNetClose(int handle) {
    NetSlot* n = netOf(handle);
    if (!n) return;
    closesocket(n->sock);
    *n = NetSlot{};
}

// ---------------------------------------------------------------------------
// [SECTION] Files
// ---------------------------------------------------------------------------

namespace {

struct FileSlot {
    HANDLE h = INVALID_HANDLE_VALUE;  // INVALID_HANDLE_VALUE = free slot
    bool reading = false;
    LineReader reader;                // read-ahead of a reading file
    bool inUse() const { return h != INVALID_HANDLE_VALUE; }
};
HandleSlots<FileSlot> fileSlots;

FileSlot* fileOf(int handle) { return fileSlots.find(handle); }

int openFile(const std::string& path, DWORD access, DWORD disposition, bool reading) {
    if (path.empty()) return 0;
    // Shared, so a log can be read (and a file replaced) while it is open.
    HANDLE h = CreateFileA(path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                           nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return 0;  // also a folder of that name
    FileSlot slot;
    slot.h = h;
    slot.reading = reading;
    return fileSlots.add(std::move(slot));
}


}  // namespace

int platFileOpenRead(const std::string& path) {
    return openFile(path, GENERIC_READ, OPEN_EXISTING, true);
}
int platFileOpenWrite(const std::string& path) {
    return openFile(path, GENERIC_WRITE, CREATE_ALWAYS, false);
}
int platFileOpenAppend(const std::string& path) {
    // Append access only: every write lands at the end, whoever else writes.
    return openFile(path, FILE_APPEND_DATA | SYNCHRONIZE, OPEN_ALWAYS, false);
}

bool platFileReadLine(int handle, std::string& line) {
    line.clear();
    FileSlot* f = fileOf(handle);
    if (!f || !f->reading) return false;
    return f->reader.readLine(line, [f](char* data, std::size_t size) -> std::size_t {
        DWORD got = 0;
        if (!ReadFile(f->h, data, static_cast<DWORD>(size), &got, nullptr)) return 0;
        return got;
    });
}

bool platFileWrite(int handle, const std::string& bytes) {
    FileSlot* f = fileOf(handle);
    if (!f || f->reading) return false;
    std::size_t done = 0;
    while (done < bytes.size()) {
        const DWORD want = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1 << 20));
        DWORD written = 0;
        if (!WriteFile(f->h, bytes.data() + done, want, &written, nullptr) || written == 0)
            return false;  // disk full, I/O error
        done += written;
    }
    return true;
}

bool platFileSync(int handle) {
    FileSlot* f = fileOf(handle);
    if (!f) return false;
    return f->reading || FlushFileBuffers(f->h);
}

void platFileClose(int handle) {
    FileSlot* f = fileOf(handle);
    if (!f) return;
    CloseHandle(f->h);
    *f = FileSlot{};
}

bool platFileDelete(const std::string& path) { return DeleteFileA(path.c_str()) != 0; }

bool platFileRename(const std::string& from, const std::string& to) {
    // Replaces the target in one step and returns only once the change is
    // on the disk: the memory file is never half old, half new.
    return MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

bool platFileExists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// ---------------------------------------------------------------------------
// [SECTION] Clock and environment
// ---------------------------------------------------------------------------

std::int64_t platTickMs() { return counterMs(); }

PlatDateTime platLocalDateTime() {
    SYSTEMTIME t;
    GetLocalTime(&t);
    // The bias is UTC minus local time, in minutes; daylight saving adds its own.
    TIME_ZONE_INFORMATION zone;
    const DWORD kind = GetTimeZoneInformation(&zone);
    LONG bias = zone.Bias;
    if (kind == TIME_ZONE_ID_DAYLIGHT) bias += zone.DaylightBias;
    if (kind == TIME_ZONE_ID_STANDARD) bias += zone.StandardBias;
    if (kind == TIME_ZONE_ID_INVALID) bias = 0;
    return {t.wDay, t.wMonth, t.wYear, t.wHour, t.wMinute, t.wSecond, static_cast<int>(-bias)};
}

std::string platEnv(const std::string& name) {
    char small[512];
    const DWORD n = GetEnvironmentVariableA(name.c_str(), small, sizeof small);
    if (n == 0) return {};
    if (n < sizeof small) return std::string(small, n);
    std::string value(n, '\0');
    const DWORD m = GetEnvironmentVariableA(name.c_str(), value.data(), n);
    value.resize(m < n ? m : 0);
    return value;
}
