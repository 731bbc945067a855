// The virtual-radio executable: serves a VirtualRadio on a pseudo-terminal
// whose slave is linked at a path a program can open as its serial port, and
// lets tests steer it by signals and by a control file.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <string>
#include <string_view>

#include "virtual_radio.h"

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

constexpr milliseconds kControlPeriod{20};  // control file look-ups
constexpr milliseconds kHangupPause{20};    // retry pause while no program holds the port
constexpr std::size_t kMaxPendingOutput = 65536;

const char* const kHelp =
    "usage: virtual-radio [options] [LINK]\n"
    "\n"
    "A virtual Kenwood transceiver on a pseudo-terminal. LINK (default ./com1) is\n"
    "made a symbolic link to the terminal; an old link there is replaced.\n"
    "\n"
    "options:\n"
    "  --link PATH       same as LINK\n"
    "  --model M         019, 020, 020qc (the reduced-feature radio, answers OMQC),\n"
    "                    021, 022, 023 (default) or 024 (five-digit menu numbers)\n"
    "  --firmware V      firmware version answered to FV, d.dd (default 1.00);\n"
    "                    a 022 from 1.10 takes CW text as KY2\n"
    "  --seed N          seed of the moving meters (default 1)\n"
    "  --smeter N        hold the S-meter at N (0..30) instead of moving it\n"
    "  --off             start switched off (answers only PS until PS1)\n"
    "  --delay MS        wait MS milliseconds before answering (default 0)\n"
    "  --rtscts          the terminal set for RTS/CTS handshake, as a port whose\n"
    "                    cable needs it (the program must leave it so)\n"
    "  --baud N          hear only a port set to N baud (4800..115200); at any\n"
    "                    other speed what arrives is noise, read and dropped\n"
    "  --log PATH        write every command received, one per line without its\n"
    "                    \";\", flushed per line (the file is started anew)\n"
    "  --control PATH    read control lines from PATH every 20 ms; the file is\n"
    "                    deleted once read\n"
    "  --verbose         print every command and answer on standard error\n"
    "  --help            this text\n"
    "\n"
    "control lines (one per line, words in any case):\n"
    "  silent                 stop answering; input is read and discarded\n"
    "  alive                  answer again\n"
    "  freq [A|B] HZ          turn VFO A (default) or B to HZ, as at the front panel\n"
    "  dial [A|B] HZ HZ ...   turn it through each value in turn, one per query of\n"
    "                         that VFO answered; the last value stays\n"
    "  mode D                 front-panel mode, MD digit 1..9\n"
    "  power on|off           front-panel power switch\n"
    "  ptt on|off             transmit by the microphone (the meters then read)\n"
    "  smeter N|auto          hold the S-meter at N (0..30) or let it move\n"
    "  swr N, alc N           meter counts 0..30 read while transmitting\n"
    "  menu NUMBER VALUE      front-panel setting of an extended menu\n"
    "  firmware V             firmware version d.dd (FV, the KY form of a 022)\n"
    "  garble N               spoil N per mille of the answers (0..1000): noise,\n"
    "                         cut, split, overlong, run together, repeated, hit\n"
    "  unplug                 close the terminal and remove LINK\n"
    "  plug                   open a new terminal and link it at LINK again\n"
    "  quit                   stop, as on SIGTERM\n"
    "\n"
    "signals: SIGUSR1 = silent, SIGUSR2 = alive, SIGTERM/SIGINT/SIGHUP = stop\n"
    "(the link is removed). On start one line is printed:\n"
    "  virtual-radio ready: link=LINK pty=/dev/pts/N pid=PID model=M\n";

volatile sig_atomic_t gStop = 0;
volatile sig_atomic_t gLiveness = 0;  // 1 go silent, 2 come back, 0 nothing new

void onSignal(int signal) {
    if (signal == SIGUSR1)
        gLiveness = 1;
    else if (signal == SIGUSR2)
        gLiveness = 2;
    else
        gStop = 1;
}

struct Options {
    std::string link = "./com1";
    vradio::ModelSpec model;
    std::uint32_t seed = 1;
    int sMeter = -1;
    bool off = false;
    bool rtscts = false;
    int delayMs = 0;
    speed_t baud = 0;  // 0 = any speed
    std::string logPath;
    std::string controlPath;
    bool verbose = false;
};

bool readNumber(const std::string& text, long long low, long long high, long long& value) {
    if (text.empty() || text.size() > 12) return false;
    char* end = nullptr;
    errno = 0;
    long long v = std::strtoll(text.c_str(), &end, 10);
    if (errno != 0 || *end != '\0' || v < low || v > high) return false;
    value = v;
    return true;
}

// Fills options from the command line; false after printing what is wrong.
// helpAsked is set for --help.
bool parseOptions(int argc, char** argv, Options& o, bool& helpAsked) {
    bool linkGiven = false;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        std::string value;
        bool hasValue = false;
        std::size_t eq = arg.find('=');
        if (arg.rfind("--", 0) == 0 && eq != std::string::npos) {
            value = arg.substr(eq + 1);
            arg.resize(eq);
            hasValue = true;
        }
        auto takeValue = [&]() {
            if (hasValue) return true;
            if (i + 1 >= argc) return false;
            value = argv[++i];
            return true;
        };
        long long n = 0;
        if (arg == "--help" || arg == "-h") {
            helpAsked = true;
            return true;
        } else if (arg == "--verbose") {
            o.verbose = true;
        } else if (arg == "--off") {
            o.off = true;
        } else if (arg == "--rtscts") {
            o.rtscts = true;
        } else if (arg == "--link") {
            if (!takeValue() || value.empty()) return std::fprintf(stderr, "--link needs a path\n"), false;
            o.link = value;
            linkGiven = true;
        } else if (arg == "--model") {
            if (!takeValue() || !vradio::parseModel(value, o.model))
                return std::fprintf(stderr, "--model needs 019..024 or 020qc\n"), false;
        } else if (arg == "--firmware") {
            if (!takeValue() || !vradio::parseFirmware(value, o.model))
                return std::fprintf(stderr, "--firmware needs a version d.dd\n"), false;
        } else if (arg == "--seed") {
            if (!takeValue() || !readNumber(value, 0, 4294967295LL, n))
                return std::fprintf(stderr, "--seed needs a number 0..4294967295\n"), false;
            o.seed = static_cast<std::uint32_t>(n);
        } else if (arg == "--smeter") {
            if (!takeValue() || !readNumber(value, 0, 30, n))
                return std::fprintf(stderr, "--smeter needs a number 0..30\n"), false;
            o.sMeter = static_cast<int>(n);
        } else if (arg == "--delay") {
            if (!takeValue() || !readNumber(value, 0, 10000, n))
                return std::fprintf(stderr, "--delay needs milliseconds 0..10000\n"), false;
            o.delayMs = static_cast<int>(n);
        } else if (arg == "--baud") {
            const struct {
                long long baud;
                speed_t code;
            } speeds[] = {{4800, B4800}, {9600, B9600}, {19200, B19200}, {38400, B38400}, {57600, B57600}, {115200, B115200}};
            o.baud = 0;
            if (takeValue() && readNumber(value, 4800, 115200, n))
                for (const auto& s : speeds)
                    if (s.baud == n) o.baud = s.code;
            if (o.baud == 0) return std::fprintf(stderr, "--baud needs 4800, 9600, 19200, 38400, 57600 or 115200\n"), false;
        } else if (arg == "--log") {
            if (!takeValue() || value.empty()) return std::fprintf(stderr, "--log needs a path\n"), false;
            o.logPath = value;
        } else if (arg == "--control") {
            if (!takeValue() || value.empty())
                return std::fprintf(stderr, "--control needs a path\n"), false;
            o.controlPath = value;
        } else if (arg.rfind("-", 0) == 0 || linkGiven) {
            return std::fprintf(stderr, "unknown argument: %s (see --help)\n", argv[i]), false;
        } else {
            o.link = arg;
            linkGiven = true;
        }
    }
    return true;
}

// The pseudo-terminal standing in for the radio's serial cable.
class PtyLink {
public:
    PtyLink(std::string link, bool rtscts) : link_(std::move(link)), rtscts_(rtscts) {}
    ~PtyLink() { close(); }

    int fd() const { return master_; }
    bool isOpen() const { return master_ >= 0; }
    const std::string& slaveName() const { return slave_; }

    // Opens a new terminal in raw mode and links it at the path; false after
    // printing why.
    bool open() {
        if (isOpen()) return true;
        int m = posix_openpt(O_RDWR | O_NOCTTY);
        if (m < 0 || grantpt(m) != 0 || unlockpt(m) != 0) return fail(m, "cannot make a pseudo-terminal");
        const char* name = ptsname(m);
        if (name == nullptr) return fail(m, "no name for the pseudo-terminal");
        std::string slave = name;
        // Raw mode on the slave side, which the terminal keeps after this
        // descriptor closes: no echo (it would answer our own answers back)
        // and no line buffering (commands end in ";", not a line end).
        int s = ::open(slave.c_str(), O_RDWR | O_NOCTTY);
        if (s < 0) return fail(m, "cannot open the pseudo-terminal's slave");
        termios t{};
        if (tcgetattr(s, &t) == 0) {
            cfmakeraw(&t);
            if (rtscts_) t.c_cflag |= CRTSCTS;
            tcsetattr(s, TCSANOW, &t);
        }
        ::close(s);
        int flags = fcntl(m, F_GETFL);
        fcntl(m, F_SETFL, flags | O_NONBLOCK);
        struct stat st {};
        if (lstat(link_.c_str(), &st) == 0) {
            if (!S_ISLNK(st.st_mode)) return fail(m, "the link path exists and is not a symbolic link");
            ::unlink(link_.c_str());
        }
        if (symlink(slave.c_str(), link_.c_str()) != 0) return fail(m, "cannot make the link");
        master_ = m;
        slave_ = slave;
        return true;
    }

    // Closes the terminal and removes the link when it is still ours.
    void close() {
        if (!isOpen()) return;
        char target[4096];
        ssize_t n = readlink(link_.c_str(), target, sizeof target - 1);
        if (n >= 0 && std::string(target, static_cast<std::size_t>(n)) == slave_) ::unlink(link_.c_str());
        ::close(master_);
        master_ = -1;
    }

private:
    bool fail(int m, const char* why) {
        std::fprintf(stderr, "virtual-radio: %s (%s): %s\n", why, link_.c_str(), std::strerror(errno));
        if (m >= 0) ::close(m);
        return false;
    }

    std::string link_;
    bool rtscts_;  // each new terminal set for RTS/CTS handshake
    std::string slave_;
    int master_ = -1;
};

// Takes the control file's lines, if there are any, and deletes the file.
std::string takeControlFile(const std::string& path) {
    struct stat st {};
    if (stat(path.c_str(), &st) != 0 || st.st_size == 0) return {};
    int fd = ::open(path.c_str(), O_RDONLY);
    if (fd < 0) return {};
    std::string text;
    char buffer[4096];
    ssize_t n;
    while ((n = ::read(fd, buffer, sizeof buffer)) > 0 || (n < 0 && errno == EINTR))
        if (n > 0) text.append(buffer, static_cast<std::size_t>(n));
    ::close(fd);
    if (::unlink(path.c_str()) != 0) truncate(path.c_str(), 0);
    return text;
}

struct Pending {
    Clock::time_point due;
    std::string bytes;
};

}  // namespace

int main(int argc, char** argv) {
    Options o;
    bool helpAsked = false;
    if (!parseOptions(argc, argv, o, helpAsked)) return 2;
    if (helpAsked) {
        std::fputs(kHelp, stdout);
        return 0;
    }

    struct sigaction sa {};
    sa.sa_handler = onSignal;
    sigemptyset(&sa.sa_mask);
    for (int s : {SIGUSR1, SIGUSR2, SIGTERM, SIGINT, SIGHUP}) sigaction(s, &sa, nullptr);
    signal(SIGPIPE, SIG_IGN);

    vradio::VirtualRadio radio(o.model, o.seed);
    if (o.sMeter >= 0) radio.setSMeter(o.sMeter);
    if (o.off) radio.setPowered(false);

    std::FILE* log = nullptr;
    if (!o.logPath.empty()) {
        log = std::fopen(o.logPath.c_str(), "w");
        if (log == nullptr) {
            std::fprintf(stderr, "virtual-radio: cannot write %s: %s\n", o.logPath.c_str(), std::strerror(errno));
            return 1;
        }
    }

    PtyLink link(o.link, o.rtscts);
    if (!link.open()) return 1;
    std::printf("virtual-radio ready: link=%s pty=%s pid=%d model=%s\n", o.link.c_str(),
                link.slaveName().c_str(), static_cast<int>(getpid()), o.model.name().c_str());
    std::fflush(stdout);

    std::deque<Pending> output;
    std::size_t outputBytes = 0;
    Clock::time_point nextControl = Clock::now();
    Clock::time_point hangupUntil = Clock::now();
    bool running = true;

    auto unplug = [&]() {
        link.close();
        output.clear();
        outputBytes = 0;
    };

    while (running && !gStop) {
        if (gLiveness != 0) {
            radio.setSilent(gLiveness == 1);
            gLiveness = 0;
        }
        Clock::time_point now = Clock::now();

        if (!o.controlPath.empty() && now >= nextControl) {
            nextControl = now + kControlPeriod;
            std::string text = takeControlFile(o.controlPath);
            std::size_t start = 0;
            while (start < text.size()) {
                std::size_t end = text.find('\n', start);
                if (end == std::string::npos) end = text.size();
                std::string line = text.substr(start, end - start);
                start = end + 1;
                if (!line.empty() && line.back() == '\r') line.pop_back();
                switch (radio.control(line)) {
                case vradio::ControlResult::done: break;
                case vradio::ControlResult::unknown:
                    std::fprintf(stderr, "virtual-radio: control line not understood: %s\n", line.c_str());
                    break;
                case vradio::ControlResult::plug:
                    if (!link.isOpen() && link.open()) hangupUntil = now;
                    break;
                case vradio::ControlResult::unplug: unplug(); break;
                case vradio::ControlResult::quit: running = false; break;
                }
            }
            if (!running) break;
        }

        // Answers whose delay has passed go out; one that does not fit waits.
        while (!output.empty() && output.front().due <= now && link.isOpen()) {
            std::string& bytes = output.front().bytes;
            ssize_t n = ::write(link.fd(), bytes.data(), bytes.size());
            if (n < 0 && errno == EINTR) continue;
            if (n < 0 && errno == EAGAIN) break;
            if (n < 0) {  // nobody holds the port: the answer is lost, as on a cable
                outputBytes -= bytes.size();
                output.pop_front();
                continue;
            }
            outputBytes -= static_cast<std::size_t>(n);
            bytes.erase(0, static_cast<std::size_t>(n));
            if (bytes.empty()) output.pop_front();
        }

        milliseconds wait = kControlPeriod;
        if (!output.empty()) {
            auto untilDue = std::chrono::duration_cast<milliseconds>(output.front().due - now);
            if (untilDue < wait) wait = untilDue < milliseconds(1) ? milliseconds(1) : untilDue;
        }
        pollfd p{};
        p.fd = -1;
        if (link.isOpen() && now >= hangupUntil) {
            p.fd = link.fd();
            p.events = POLLIN;
        }
        int ready = poll(&p, 1, static_cast<int>(wait.count()));
        if (ready <= 0 || p.fd < 0) continue;

        if (p.revents & POLLIN) {
            char buffer[4096];
            ssize_t n = ::read(link.fd(), buffer, sizeof buffer);
            // The program's side of the terminal carries the speed it set
            // (a pseudo-terminal shares one setting between its two ends).
            termios t{};
            if (n > 0 && o.baud != 0 && (tcgetattr(link.fd(), &t) != 0 || cfgetospeed(&t) != o.baud)) continue;
            if (n > 0) {
                std::string answers = radio.handle(std::string_view(buffer, static_cast<std::size_t>(n)));
                for (const std::string& command : radio.takeReceived()) {
                    if (log) {
                        std::fprintf(log, "%s\n", command.c_str());
                        std::fflush(log);
                    }
                    if (o.verbose) std::fprintf(stderr, "<- %s;\n", command.c_str());
                }
                if (!answers.empty()) {
                    if (o.verbose) std::fprintf(stderr, "-> %s\n", answers.c_str());
                    if (outputBytes + answers.size() <= kMaxPendingOutput) {
                        outputBytes += answers.size();
                        output.push_back({Clock::now() + milliseconds(o.delayMs), std::move(answers)});
                    }
                }
                continue;
            }
            if (n < 0 && (errno == EINTR || errno == EAGAIN)) continue;
        }
        // The program closed the port (or never opened it): the master reports
        // a hang-up until someone opens the slave again.
        if (p.revents & (POLLHUP | POLLERR | POLLIN)) hangupUntil = Clock::now() + kHangupPause;
    }

    link.close();
    if (log) std::fclose(log);
    return 0;
}
