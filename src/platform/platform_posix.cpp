// The real backend on POSIX: serial devices (termios), TCP sockets, files,
// clock and environment. Every system call is retried on EINTR; nothing
// throws.
#include "platform/platform.h"
#include "platform/handle_slots.h"
#include "platform/line_reader.h"
#include "platform/platform_real.h"
#include "platform/port_name.h"

#include <arpa/inet.h>
#include <dirent.h>
#include <fcntl.h>
#include <glob.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <strings.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <algorithm>
#include <cstring>
#include <vector>

#include "platform/listen_address.h"  // after the socket headers it uses

namespace {

// [SECTION] Small helpers

std::string slashes(const std::string& path) {
    std::string p = path;
    for (char& c : p)
        if (c == '\\') c = '/';
    return p;
}

bool pathExists(const std::string& path) {
    struct stat st;
    return ::lstat(path.c_str(), &st) == 0;
}

void closeFd(int fd) {
    // close() is not retried on EINTR: on Linux the descriptor is gone either way.
    if (fd >= 0) ::close(fd);
}

// Milliseconds since an arbitrary start on the monotonic clock.
std::int64_t monotonicMs() {
    struct timespec ts;
    ::clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<std::int64_t>(ts.tv_sec) * 1000 + ts.tv_nsec / 1000000;
}

}  // namespace

// ---------------------------------------------------------------------------
// [SECTION] Letter-case free path lookup (prompt files)
// ---------------------------------------------------------------------------

std::string platreal::findPathNoCase(const std::string& path) {
    const std::string p = slashes(path);
    if (p.empty()) return {};
    if (pathExists(p)) return p;

    // Walk the parts; keep each one that exists, else look for its
    // case-insensitive twin in the directory reached so far.
    std::string found = p[0] == '/' ? "/" : "";
    std::size_t pos = p[0] == '/' ? 1 : 0;
    while (pos <= p.size()) {
        std::size_t slash = p.find('/', pos);
        if (slash == std::string::npos) slash = p.size();
        const std::string part = p.substr(pos, slash - pos);
        pos = slash + 1;
        if (part.empty()) continue;
        const std::string direct = found + part;
        if (pathExists(direct)) {
            found = direct;
        } else {
            DIR* dir = ::opendir(found.empty() ? "." : found.c_str());
            if (!dir) return {};
            std::string match;
            while (struct dirent* entry = ::readdir(dir)) {
                if (::strcasecmp(entry->d_name, part.c_str()) == 0) {
                    match = entry->d_name;
                    break;
                }
            }
            ::closedir(dir);
            if (match.empty()) return {};
            found += match;
        }
        if (slash < p.size()) found += '/';
    }
    return found;
}

// ---------------------------------------------------------------------------
// [SECTION] Serial devices
// ---------------------------------------------------------------------------

namespace {

struct SerialSlot {
    int fd = -1;         // -1 = free slot
    bool gone = false;   // the device hung up or failed with an I/O error
    int port = 0;        // the port number it was opened for
    bool viaLink = false;          // opened through comN, not the built-in port
    std::int64_t linkCheckMs = 0;  // next look for a comN that supersedes the built-in port
    struct termios found {};       // the settings before our open, for a port only tried
    bool inUse() const { return fd >= 0; }
};
HandleSlots<SerialSlot> serialSlots;

SerialSlot* serialOf(int handle) { return serialSlots.find(handle); }

// An errno that means the device itself has gone away (unplugged USB
// adapter, closed pseudo-terminal master), not a passing condition.
bool deviceGoneError(int err) { return err == EIO || err == ENXIO || err == ENODEV || err == EBADF; }

// The device for port n: "comN" (or "COMN") in the working directory when
// present, e.g. a link to /dev/ttyUSB0 or a pseudo-terminal; otherwise the
// n-th built-in port /dev/ttyS<n-1>. A port once reached through its link
// keeps to the link: when the link vanishes with an unplugged adapter, the
// reopen must wait for it, not land on the built-in port.
std::vector<bool> portUsedLink(kPlatSerialPorts + 1, false);
bool portLinkExists(int portNumber) {
    const std::string number = std::to_string(portNumber);
    return pathExists("com" + number) || pathExists("COM" + number);
}
std::string serialDeviceName(int portNumber) {
    const std::string number = std::to_string(portNumber);
    for (const std::string& name : {"com" + number, "COM" + number})
        if (pathExists(name)) {
            portUsedLink[portNumber] = true;
            return name;
        }
    if (portUsedLink[portNumber]) return "com" + number;
    return "/dev/ttyS" + std::to_string(portNumber - 1);
}

struct BaudRate {
    int baud;
    speed_t code;
};
constexpr BaudRate kBaudRates[] = {
    {50, B50},           {75, B75},           {110, B110},         {134, B134},
    {150, B150},         {200, B200},         {300, B300},         {600, B600},
    {1200, B1200},       {1800, B1800},       {2400, B2400},       {4800, B4800},
    {9600, B9600},       {19200, B19200},     {38400, B38400},     {57600, B57600},
    {115200, B115200},   {230400, B230400},
#ifdef B460800
    {460800, B460800},   {500000, B500000},   {576000, B576000},   {921600, B921600},
    {1000000, B1000000}, {1152000, B1152000}, {1500000, B1500000}, {2000000, B2000000},
    {2500000, B2500000}, {3000000, B3000000}, {3500000, B3500000}, {4000000, B4000000},
#endif
};

int dataBitsFlag(int dataBits) {
    switch (dataBits) {
    case 5: return CS5;
    case 6: return CS6;
    case 7: return CS7;
    default: return CS8;
    }
}

bool setAttributes(int fd, const struct termios& tio) {
    int r;
    do r = ::tcsetattr(fd, TCSANOW, &tio);
    while (r != 0 && errno == EINTR);
    return r == 0;
}

// Sets tio with the given speed both ways on fd; true when the device took
// the speed. tcsetattr succeeds when any part took effect: a speed the
// device refused only shows when read back.
bool applySpeed(int fd, struct termios& tio, speed_t speed) {
    struct termios check;
    return ::cfsetispeed(&tio, speed) == 0 && ::cfsetospeed(&tio, speed) == 0 && setAttributes(fd, tio) &&
           ::tcgetattr(fd, &check) == 0 && ::cfgetospeed(&check) == speed;
}

}  // namespace

long platreal::speedConstant(int baud) {
    for (const BaudRate& r : kBaudRates)
        if (r.baud == baud) return static_cast<long>(r.code);
    return -1;
}

namespace {

// The path with every link followed, empty when it leads nowhere.
std::string resolvedPath(const std::string& path) {
    char* real = ::realpath(path.c_str(), nullptr);
    if (real == nullptr) return {};
    std::string text = real;
    std::free(real);
    return text;
}

// The process number in a lock file's text: ASCII digits (the usual form,
// blanks around them) or, from old programs, a binary int of 4 bytes.
// 0 when it holds neither.
long lockOwner(const std::string& text) {
    std::size_t at = text.find_first_not_of(" \t");
    if (at != std::string::npos && text[at] >= '0' && text[at] <= '9') {
        long pid = 0;
        for (; at < text.size() && text[at] >= '0' && text[at] <= '9' && pid < 100000000; ++at)
            pid = pid * 10 + (text[at] - '0');
        return pid;
    }
    if (text.size() == sizeof(std::int32_t)) {
        std::int32_t pid = 0;
        std::memcpy(&pid, text.data(), sizeof pid);
        return pid > 0 ? pid : 0;
    }
    return 0;
}

// True when another program has the device by the lock-file custom of
// serial programs (minicom, picocom, ModemManager, lockdev): "LCK.." and the
// device's name, in /run/lock or /var/lock, holding the number of a live
// process. A lock of a process that has gone, or one that names none, is
// stale: counting it would keep the port shut for good after a crash. A
// lock we may not read is counted: its owner meant it. We make no lock of
// our own: the flock and TIOCEXCL already keep others out, and a lock file
// would outlive a killed Rigvox.
bool heldByLockFile(const std::string& device) {
    std::string real = resolvedPath(device);
    if (real.empty()) real = device;
    std::vector<std::string> names{real.substr(real.rfind('/') + 1)};
    if (real.rfind("/dev/", 0) == 0) {
        std::string nested = real.substr(5);  // "pts/3" is locked as "pts_3"
        std::replace(nested.begin(), nested.end(), '/', '_');
        if (nested != names[0]) names.push_back(nested);
    }
    for (const char* dir : {"/run/lock/", "/var/lock/"})
        for (const std::string& name : names) {
            const std::string path = dir + ("LCK.." + name);
            const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
            if (fd < 0) {
                if (errno == EACCES) return true;
                continue;
            }
            char text[64];
            const ssize_t n = ::read(fd, text, sizeof text);
            closeFd(fd);
            const long pid = n > 0 ? lockOwner(std::string(text, static_cast<std::size_t>(n))) : 0;
            if (pid > 0 && (::kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM)) return true;
        }
    return false;
}

// Opens device for port number portNumber (0: a listed device opened by its
// path, which has no number yet); the contract is platSerialOpen's.
int openSerialDevice(const std::string& device, int portNumber, int baud) {
    const long speed = platreal::speedConstant(baud);
    if (speed < 0 || heldByLockFile(device)) return 0;
    int fd;
    do fd = ::open(device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    while (fd < 0 && errno == EINTR);
    if (fd < 0) return 0;

    // Exclusive: the lock keeps out any other opener that locks (including
    // a second open of ours, and programs running as root, which TIOCEXCL
    // does not stop); TIOCEXCL keeps out ordinary programs that do not lock.
    struct termios tio;
    if (!::isatty(fd) || ::flock(fd, LOCK_EX | LOCK_NB) != 0 || ::tcgetattr(fd, &tio) != 0) {
        closeFd(fd);
        return 0;
    }
#ifdef TIOCGEXCL
    // Root gets past another program's TIOCEXCL; the device is still that
    // program's, and our close would clear its hold.
    int exclusive = 0;
    if (::ioctl(fd, TIOCGEXCL, &exclusive) == 0 && exclusive != 0) {
        closeFd(fd);
        return 0;
    }
#endif
    ::ioctl(fd, TIOCEXCL);
    const struct termios found = tio;

    // Raw 8-bit bytes both ways (no line editing, echo, signals, case or
    // CR/LF translation, stripping or marking, no received XON/XOFF taken
    // out of the bytes read), 8 data bits, no parity, one stop bit, the
    // receiver on; reads return at once with what is there. The rest of the
    // flow control (RTS/CTS, XOFF sent when full) and the modem-line
    // settings (carrier watch, hang-up on close) stay as the port had them,
    // and DTR and RTS are not touched, as in the Windows backend: a radio's
    // cable may need them, several radios can be set to key the transmitter
    // from DTR or RTS, and only the operator knows which.
    tio.c_iflag &= ~static_cast<tcflag_t>(IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR | ICRNL | IXON);
#ifdef IUCLC
    tio.c_iflag &= ~static_cast<tcflag_t>(IUCLC);
#endif
    tio.c_oflag &= ~static_cast<tcflag_t>(OPOST);
    tio.c_lflag &= ~static_cast<tcflag_t>(ECHO | ECHONL | ICANON | ISIG | IEXTEN);
    tio.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB | PARODD | CSTOPB);
    tio.c_cflag |= CS8 | CREAD;
    tio.c_cc[VMIN] = 0;
    tio.c_cc[VTIME] = 0;
    if (!applySpeed(fd, tio, static_cast<speed_t>(speed))) {
        // Part of the settings may have taken: the device goes back as found.
        setAttributes(fd, found);
        ::ioctl(fd, TIOCNXCL);
        closeFd(fd);
        return 0;
    }

    // A device opened by its path has no built-in port to be superseded.
    const bool viaLink = portNumber == 0 || device.rfind("/dev/", 0) != 0;
    return serialSlots.add(SerialSlot{fd, false, portNumber, viaLink, monotonicMs() + 1000, found});
}

// Where USB serial adapters and radios with a USB port of their own appear:
// the stable by-id names first, so a link made to one survives replugging.
constexpr const char* kDevicePatterns = "/dev/serial/by-id/*:/dev/ttyUSB*:/dev/ttyACM*";
constexpr const char* kDevicePatternsVariable = "RIGVOX_SERIAL_DEVICES";

}  // namespace

int platSerialOpen(int portNumber, int baud) {
    if (portNumber < 1 || portNumber > kPlatSerialPorts) return 0;
    return openSerialDevice(serialDeviceName(portNumber), portNumber, baud);
}

int platSerialOpenPath(const std::string& path, int baud) {
    if (path.empty()) return 0;
    return openSerialDevice(path, 0, baud);
}

bool platSerialSetSpeed(int handle, int baud) {
    SerialSlot* s = serialOf(handle);
    const long speed = platreal::speedConstant(baud);
    if (!s || speed < 0) return false;
    struct termios tio;
    return ::tcgetattr(s->fd, &tio) == 0 && applySpeed(s->fd, tio, static_cast<speed_t>(speed));
}

std::vector<PlatSerialDevice> platSerialList() {
    std::vector<PlatSerialDevice> devices;
    std::vector<std::string> reached;  // the devices listed so far, links followed

    // The working folder's comN links (a dangling one too: the port it names
    // is the operator's, even while its device is away).
    if (DIR* dir = ::opendir(".")) {
        while (struct dirent* entry = ::readdir(dir)) {
            const int n = comNameNumber(entry->d_name);
            if (n > 0) devices.push_back({n, entry->d_name});
        }
        ::closedir(dir);
    }
    keepOnePerNumber(devices);
    for (const PlatSerialDevice& d : devices) reached.push_back(resolvedPath(d.path));

    const char* own = std::getenv(kDevicePatternsVariable);
    const std::string patterns = own != nullptr ? own : kDevicePatterns;
    std::size_t start = 0;
    while (start <= patterns.size()) {
        std::size_t end = patterns.find(':', start);
        if (end == std::string::npos) end = patterns.size();
        const std::string pattern = patterns.substr(start, end - start);
        start = end + 1;
        glob_t found{};
        if (pattern.empty() || ::glob(pattern.c_str(), 0, nullptr, &found) != 0) {
            ::globfree(&found);
            continue;
        }
        for (std::size_t i = 0; i < found.gl_pathc; ++i) {
            const std::string path = found.gl_pathv[i];
            const std::string real = resolvedPath(path);
            struct stat st;
            if (real.empty() || ::stat(real.c_str(), &st) != 0 || !S_ISCHR(st.st_mode)) continue;
            if (std::find(reached.begin(), reached.end(), real) != reached.end()) continue;
            reached.push_back(real);
            devices.push_back({0, path});
        }
        ::globfree(&found);
    }
    return devices;
}

int platSerialGiveNumber(const std::string& path) {
    if (path.empty()) return 0;
    for (int n = 1; n <= 99; ++n) {
        if (portLinkExists(n)) continue;
        if (::symlink(path.c_str(), ("com" + std::to_string(n)).c_str()) == 0) return n;
        if (errno != EEXIST) return 0;
    }
    return 0;
}

void platSerialClose(int handle) {
    SerialSlot* s = serialOf(handle);
    if (!s) return;
    // A terminal that stays alive after we close it (a pseudo-terminal whose
    // other end is open) would otherwise keep refusing every later opener,
    // the radio search and our own reopening included.
    ::ioctl(s->fd, TIOCNXCL);
    closeFd(s->fd);  // also drops the lock
    *s = SerialSlot{};
}

void platSerialCloseRestored(int handle) {
    SerialSlot* s = serialOf(handle);
    if (!s) return;
    // Dropped first: bytes still queued would otherwise go out at the
    // restored speed, and a drain could wait on a stuck device.
    ::tcflush(s->fd, TCIOFLUSH);
    setAttributes(s->fd, s->found);
    platSerialClose(handle);
}

void platSerialSetLine(int handle, int dataBits, int parity, int stopCode) {
    SerialSlot* s = serialOf(handle);
    if (!s) return;
    struct termios tio;
    if (::tcgetattr(s->fd, &tio) != 0) return;
    tio.c_cflag &= ~(CSIZE | PARENB | PARODD | CSTOPB);
    tio.c_cflag |= dataBitsFlag(dataBits);
    if (parity == 1) tio.c_cflag |= PARENB | PARODD;
    if (parity == 2) tio.c_cflag |= PARENB;
    if (stopCode != 1) tio.c_cflag |= CSTOPB;
    setAttributes(s->fd, tio);
}

bool platSerialGone(int handle) {
    SerialSlot* s = serialOf(handle);
    if (!s) return false;
    if (s->gone) return true;
    // The built-in port was taken only because no comN was there: a comN
    // that appears later (the adapter plugged in after the start) is the
    // port meant, so the built-in one counts as gone and is opened anew.
    if (!s->viaLink) {
        const std::int64_t now = monotonicMs();
        if (now >= s->linkCheckMs) {
            s->linkCheckMs = now + 1000;
            if (portLinkExists(s->port)) s->gone = true;
        }
        if (s->gone) return true;
    }
    struct pollfd p = {s->fd, POLLIN, 0};
    int r;
    do r = ::poll(&p, 1, 0);
    while (r < 0 && errno == EINTR);
    if (r > 0 && (p.revents & (POLLHUP | POLLERR | POLLNVAL))) s->gone = true;
    return s->gone;
}

int platSerialWaiting(int handle) {
    SerialSlot* s = serialOf(handle);
    if (!s) return 0;
    // Line errors on Linux arrive as counters or in-band bytes, never as a
    // state that blocks the port, so there is nothing to clear here.
    int count = 0;
    if (::ioctl(s->fd, FIONREAD, &count) != 0) {
        if (deviceGoneError(errno)) s->gone = true;
        return 0;
    }
    return count > 0 ? count : 0;
}

bool platSerialWaitInput(int handle, int timeoutMs) {
    const std::int64_t deadline = monotonicMs() + std::max(0, timeoutMs);
    for (;;) {
        const int left = static_cast<int>(std::max<std::int64_t>(0, deadline - monotonicMs()));
        SerialSlot* s = serialOf(handle);
        if (!s || s->gone) {
            // Nothing can arrive: the whole time is slept, as the caller's
            // pause must still last.
            if (::poll(nullptr, 0, left) < 0 && errno == EINTR) continue;
            return false;
        }
        struct pollfd p = {s->fd, POLLIN, 0};
        const int r = ::poll(&p, 1, left);
        if (r < 0 && errno == EINTR) continue;
        if (r <= 0) return false;
        int count = 0;
        if ((p.revents & POLLIN) && ::ioctl(s->fd, FIONREAD, &count) == 0 && count > 0) return true;
        if (p.revents & (POLLHUP | POLLERR | POLLNVAL)) {
            s->gone = true;  // the device went away; sleep out the rest above
            continue;
        }
        // Readable with nothing to read (end of a pseudo-terminal's input):
        // reported, so the caller finds no bytes and does not spin here.
        return true;
    }
}

int platSerialRead(int handle, std::string& text, int maxBytes) {
    text.clear();
    SerialSlot* s = serialOf(handle);
    if (!s || maxBytes <= 0) return 0;
    char buffer[4096];
    while (static_cast<int>(text.size()) < maxBytes) {
        const std::size_t want =
            std::min(sizeof buffer, static_cast<std::size_t>(maxBytes) - text.size());
        const ssize_t n = ::read(s->fd, buffer, want);
        if (n > 0) {
            text.append(buffer, static_cast<std::size_t>(n));
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && deviceGoneError(errno)) s->gone = true;
        break;  // nothing more waiting (EAGAIN or end)
    }
    return static_cast<int>(text.size());
}

int platSerialWrite(int handle, const std::string& text) {
    SerialSlot* s = serialOf(handle);
    if (!s) return 0;
    // A stuck device (flow control held, nobody reading a pseudo-terminal)
    // must not freeze the program: give up after about a second.
    constexpr std::int64_t kWriteLimitMs = 1000;
    const std::int64_t deadline = monotonicMs() + kWriteLimitMs;
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = ::write(s->fd, text.data() + done, text.size() - done);
        if (n > 0) {
            done += static_cast<std::size_t>(n);
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            const std::int64_t left = deadline - monotonicMs();
            if (left <= 0) break;
            struct pollfd p = {s->fd, POLLOUT, 0};
            const int r = ::poll(&p, 1, static_cast<int>(left));
            if (r < 0 && errno == EINTR) continue;
            if (r <= 0) break;
            if (p.revents & (POLLHUP | POLLERR | POLLNVAL)) {
                s->gone = true;
                break;
            }
            continue;
        }
        if (n < 0 && deviceGoneError(errno)) s->gone = true;
        break;
    }
    return static_cast<int>(done);
}

// ---------------------------------------------------------------------------
// [SECTION] Network sockets
// ---------------------------------------------------------------------------

namespace {

// Open sockets, listeners and connections alike.
struct NetSlot {
    int fd = -1;           // -1 = free slot
    bool resting = false;  // a listener whose last accept found no descriptor to take it with
    bool inUse() const { return fd >= 0; }
};
HandleSlots<NetSlot> netSlots;
bool inputHeld = false;  // platNetInputHeld

int netFdOf(int handle) {
    const NetSlot* n = netSlots.find(handle);
    return n ? n->fd : -1;
}

int netAddSlot(int fd) { return netSlots.add(NetSlot{fd}); }

}  // namespace

void platreal::netDescriptors(std::vector<int>& fds) {
    fds.clear();
    // A resting listener stays readable while its connection waits: watched,
    // it would wake the wait at once, every time.
    for (const NetSlot& n : netSlots)
        if (n.inUse() && !n.resting) fds.push_back(n.fd);
}

bool platreal::netInputHeld() { return inputHeld; }

void platNetInputHeld(bool held) { inputHeld = held; }

int platNetListen(const std::string& address, int port) {
    if (port < 1 || port > 65535) return 0;
    sockaddr_storage where;
    const socklen_t length = static_cast<socklen_t>(listenAddress(address, port, where));
    if (length == 0) return 0;
    const int fd = ::socket(where.ss_family, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0) return 0;
    // A restarted program takes its port back at once, even while the last
    // run's connections linger in TIME_WAIT.
    const int on = 1;
    ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    if (::bind(fd, reinterpret_cast<sockaddr*>(&where), length) != 0 || ::listen(fd, SOMAXCONN) != 0) {
        closeFd(fd);
        return 0;
    }
    return netAddSlot(fd);
}

int platNetAccept(int listener, std::string& peer) {
    peer.clear();
    const int lfd = netFdOf(listener);
    if (lfd < 0) return 0;
    for (;;) {
        sockaddr_storage from{};
        socklen_t fromLength = sizeof from;
        const int fd = ::accept4(lfd, reinterpret_cast<sockaddr*>(&from), &fromLength, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (fd >= 0) {
            netSlots.find(listener)->resting = false;
            peer = peerAddress(from);
            // Answers are short lines a client waits for: send each at once.
            const int on = 1;
            ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
            return netAddSlot(fd);
        }
        // A connection that was reset while it waited is skipped; the next
        // one may still be good.
        if (errno == EINTR || errno == ECONNABORTED || errno == EPROTO) continue;
        // Out of descriptors or memory: the connection stays queued, and the
        // listener rests until a tick's call takes it.
        netSlots.find(listener)->resting =
            errno == EMFILE || errno == ENFILE || errno == ENOBUFS || errno == ENOMEM;
        return 0;
    }
}

int platNetRead(int handle, std::string& text, int maxBytes) {
    text.clear();
    const int fd = netFdOf(handle);
    if (fd < 0) return -1;
    if (maxBytes <= 0) return 0;
    char buffer[4096];
    const std::size_t want = std::min(sizeof buffer, static_cast<std::size_t>(maxBytes));
    for (;;) {
        const ssize_t n = ::recv(fd, buffer, want, MSG_DONTWAIT);
        if (n > 0) {
            text.assign(buffer, static_cast<std::size_t>(n));
            return static_cast<int>(n);
        }
        if (n == 0) return -1;  // the peer closed
        if (errno == EINTR) continue;
        if (errno == EAGAIN || errno == EWOULDBLOCK) return 0;
        return -1;
    }
}

int platNetWrite(int handle, const std::string& text) {
    const int fd = netFdOf(handle);
    if (fd < 0) return -1;
    std::size_t done = 0;
    while (done < text.size()) {
        // MSG_NOSIGNAL: a client gone away is a return value, not SIGPIPE.
        const ssize_t n = ::send(fd, text.data() + done, text.size() - done, MSG_DONTWAIT | MSG_NOSIGNAL);
        if (n > 0) {
            done += static_cast<std::size_t>(n);
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) break;
        return -1;
    }
    return static_cast<int>(done);
}

bool platNetPeerGone(int handle) {
    const int fd = netFdOf(handle);
    if (fd < 0) return true;
#ifdef POLLRDHUP
    // POLLRDHUP reports the peer's FIN though unread data lies before it.
    struct pollfd p = {fd, POLLRDHUP, 0};
    int r;
    do r = ::poll(&p, 1, 0);
    while (r < 0 && errno == EINTR);
    return r > 0 && (p.revents & (POLLRDHUP | POLLHUP | POLLERR | POLLNVAL)) != 0;
#else
    // Without POLLRDHUP the close shows only once the bytes before it are read.
    char byte;
    ssize_t n;
    do n = ::recv(fd, &byte, 1, MSG_PEEK | MSG_DONTWAIT);
    while (n < 0 && errno == EINTR);
    return n == 0 || (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK);
#endif
}

void platNetClose(int handle) {
    const int fd = netFdOf(handle);
    if (fd < 0) return;
    closeFd(fd);
    *netSlots.find(handle) = NetSlot{};
}

// ---------------------------------------------------------------------------
// [SECTION] Files
// ---------------------------------------------------------------------------

namespace {

struct FileSlot {
    int fd = -1;             // -1 = free slot
    bool reading = false;
    LineReader reader;       // read-ahead of a reading file
    bool inUse() const { return fd >= 0; }
};
HandleSlots<FileSlot> fileSlots;

FileSlot* fileOf(int handle) { return fileSlots.find(handle); }

int openFile(const std::string& path, int flags, bool reading) {
    int fd;
    do fd = ::open(slashes(path).c_str(), flags | O_CLOEXEC, 0644);
    while (fd < 0 && errno == EINTR);
    if (fd < 0) return 0;
    struct stat st;
    if (::fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
        closeFd(fd);
        return 0;
    }
    FileSlot slot;
    slot.fd = fd;
    slot.reading = reading;
    return fileSlots.add(std::move(slot));
}


}  // namespace

int platFileOpenRead(const std::string& path) { return openFile(path, O_RDONLY, true); }
int platFileOpenWrite(const std::string& path) {
    return openFile(path, O_WRONLY | O_CREAT | O_TRUNC, false);
}
int platFileOpenAppend(const std::string& path) {
    return openFile(path, O_WRONLY | O_CREAT | O_APPEND, false);
}

bool platFileReadLine(int handle, std::string& line) {
    line.clear();
    FileSlot* f = fileOf(handle);
    if (!f || !f->reading) return false;
    return f->reader.readLine(line, [f](char* data, std::size_t size) -> std::size_t {
        ssize_t n;
        do n = ::read(f->fd, data, size);
        while (n < 0 && errno == EINTR);
        return n > 0 ? static_cast<std::size_t>(n) : 0;
    });
}

bool platFileWrite(int handle, const std::string& bytes) {
    FileSlot* f = fileOf(handle);
    if (!f || f->reading) return false;
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(f->fd, bytes.data() + done, bytes.size() - done);
        if (n > 0) {
            done += static_cast<std::size_t>(n);
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        return false;  // disk full, I/O error
    }
    return true;
}

bool platFileSync(int handle) {
    FileSlot* f = fileOf(handle);
    if (!f) return false;
    int r;
    do r = ::fsync(f->fd);
    while (r != 0 && errno == EINTR);
    return r == 0;
}

void platFileClose(int handle) {
    FileSlot* f = fileOf(handle);
    if (!f) return;
    closeFd(f->fd);
    *f = FileSlot{};
}

bool platFileDelete(const std::string& path) { return ::unlink(slashes(path).c_str()) == 0; }

bool platFileRename(const std::string& from, const std::string& to) {
    return ::rename(slashes(from).c_str(), slashes(to).c_str()) == 0;
}

bool platFileExists(const std::string& path) {
    // lstat: a link whose target is missing (a drive not mounted) is still
    // there, and must not be taken for a free name and written through.
    struct stat st;
    return ::lstat(slashes(path).c_str(), &st) == 0;
}

// ---------------------------------------------------------------------------
// [SECTION] Clock and environment
// ---------------------------------------------------------------------------

std::int64_t platTickMs() { return monotonicMs(); }

PlatDateTime platLocalDateTime() {
    const time_t now = ::time(nullptr);
    struct tm t;
    if (!::localtime_r(&now, &t)) return {1, 1, 1970, 0, 0, 0};
    return {t.tm_mday, t.tm_mon + 1, t.tm_year + 1900, t.tm_hour, t.tm_min, t.tm_sec,
            static_cast<int>(t.tm_gmtoff / 60)};
}

std::string platEnv(const std::string& name) {
    const char* v = ::getenv(name.c_str());
    return v ? std::string(v) : std::string();
}
