// The real POSIX backend: files in a temporary folder, serial ports on
// pseudo-terminals reached through "comN" links, the clock.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "platform/platform_real.h"

namespace fs = std::filesystem;

namespace {

// Each test runs in a fresh temporary working directory.
class RealPlatformTest : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/rigvox-real-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir_ = pattern;
        oldDir_ = fs::current_path();
        fs::current_path(dir_);
    }
    void TearDown() override {
        fs::current_path(oldDir_);
        std::error_code ec;
        fs::remove_all(dir_, ec);
    }
    static void writeRaw(const std::string& path, const std::string& bytes) {
        std::ofstream(path, std::ios::binary) << bytes;
    }
    static std::string readRaw(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }
    static std::vector<std::string> readLines(const std::string& path) {
        std::vector<std::string> lines;
        const int h = platFileOpenRead(path);
        if (h == 0) return lines;
        std::string line;
        while (platFileReadLine(h, line)) lines.push_back(line);
        platFileClose(h);
        return lines;
    }
    fs::path dir_, oldDir_;
};

// ---------------------------------------------------------------------------
// Files
// ---------------------------------------------------------------------------

TEST_F(RealPlatformTest, ReadsLinesEndingInCrLfOrCrLf) {
    writeRaw("mixed.txt", "crlf\r\ncr\rlf\n\r\n\nlast");
    EXPECT_EQ(readLines("mixed.txt"),
              (std::vector<std::string>{"crlf", "cr", "lf", "", "", "last"}));
    writeRaw("ends.txt", "one\r\n");
    EXPECT_EQ(readLines("ends.txt"), (std::vector<std::string>{"one"}));
    writeRaw("empty.txt", "");
    EXPECT_TRUE(readLines("empty.txt").empty());
    writeRaw("cr-at-end.txt", "a\r");
    EXPECT_EQ(readLines("cr-at-end.txt"), (std::vector<std::string>{"a"}));
}

TEST_F(RealPlatformTest, CrLfSplitAcrossReadBlocksIsOneLineEnd) {
    // The reader fills 8192 bytes at a time: put the CR last in a block.
    const std::string first(8191, 'x');
    writeRaw("split.txt", first + "\r\nnext\r\n");
    const auto lines = readLines("split.txt");
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0], first);
    EXPECT_EQ(lines[1], "next");
}

TEST_F(RealPlatformTest, LineLongerThanTheKeptLengthIsCutNotFatal) {
    writeRaw("long.txt", std::string(300000, 'y') + "\nafter\n");
    const auto lines = readLines("long.txt");
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_GE(lines[0].size(), 255u);
    EXPECT_LE(lines[0].size(), 300000u);
    EXPECT_EQ(lines[0].find_first_not_of('y'), std::string::npos);
    EXPECT_EQ(lines[1], "after");
}

TEST_F(RealPlatformTest, WriteAppendRenameDelete) {
    EXPECT_EQ(platFileOpenRead("absent.dat"), 0);
    int h = platFileOpenWrite("savmem.dat");
    ASSERT_GT(h, 0);
    EXPECT_TRUE(platFileWrite(h, "04A\r\n"));
    EXPECT_TRUE(platFileWrite(h, "line two\r\n"));
    EXPECT_TRUE(platFileSync(h));
    std::string line;
    EXPECT_FALSE(platFileReadLine(h, line));  // a writing handle does not read
    platFileClose(h);
    EXPECT_EQ(readRaw("savmem.dat"), "04A\r\nline two\r\n");

    // Opening for writing replaces the old content.
    h = platFileOpenWrite("savmem.dat");
    ASSERT_GT(h, 0);
    EXPECT_TRUE(platFileWrite(h, "new\r\n"));
    platFileClose(h);
    EXPECT_EQ(readRaw("savmem.dat"), "new\r\n");

    h = platFileOpenAppend("savmem.dat");
    ASSERT_GT(h, 0);
    EXPECT_TRUE(platFileWrite(h, "more\r\n"));
    platFileClose(h);
    EXPECT_EQ(readLines("savmem.dat"), (std::vector<std::string>{"new", "more"}));

    // A reading handle does not write; closed handles do nothing.
    h = platFileOpenRead("savmem.dat");
    ASSERT_GT(h, 0);
    EXPECT_FALSE(platFileWrite(h, "x"));
    platFileClose(h);
    EXPECT_FALSE(platFileWrite(h, "x"));
    EXPECT_FALSE(platFileSync(h));
    platFileClose(h);

    // Rename replaces the target; delete reports an absent file.
    writeRaw("old.dat", "old");
    EXPECT_TRUE(platFileRename("savmem.dat", "old.dat"));
    EXPECT_FALSE(platFileExists("savmem.dat"));
    EXPECT_EQ(readRaw("old.dat"), "new\r\nmore\r\n");
    EXPECT_FALSE(platFileRename("savmem.dat", "other.dat"));
    EXPECT_TRUE(platFileDelete("old.dat"));
    EXPECT_FALSE(platFileExists("old.dat"));
    EXPECT_FALSE(platFileDelete("old.dat"));

    // A link to nothing (a drive not mounted) is there, though it cannot be read.
    fs::create_symlink("/nonexistent-drive/rigvox.cfg", "rigvox.cfg");
    EXPECT_TRUE(platFileExists("rigvox.cfg"));
    EXPECT_EQ(platFileOpenRead("rigvox.cfg"), 0);
}

TEST_F(RealPlatformTest, OpenFailuresGiveHandleZero) {
    fs::create_directory("folder");
    EXPECT_EQ(platFileOpenRead("folder"), 0);
    EXPECT_EQ(platFileOpenWrite("folder"), 0);
    EXPECT_EQ(platFileOpenWrite("no/such/dir/file.txt"), 0);
    EXPECT_FALSE(platFileWrite(0, "x"));
    std::string line = "kept?";
    EXPECT_FALSE(platFileReadLine(0, line));
    EXPECT_TRUE(line.empty());
    EXPECT_FALSE(platFileReadLine(99, line));
}

TEST_F(RealPlatformTest, HandlesAreReusedAfterClose) {
    const int a = platFileOpenWrite("a.txt");
    const int b = platFileOpenWrite("b.txt");
    ASSERT_GT(a, 0);
    ASSERT_GT(b, 0);
    EXPECT_NE(a, b);
    platFileClose(a);
    const int c = platFileOpenWrite("c.txt");
    EXPECT_EQ(c, a);
    platFileClose(b);
    platFileClose(c);
}

TEST_F(RealPlatformTest, FindsPathsWithoutRegardToLetterCase) {
    fs::create_directory("wave");
    writeRaw("wave/Power.wav", "x");
    writeRaw("wave/swr.wav", "x");
    EXPECT_EQ(platreal::findPathNoCase("wave/Power.wav"), "wave/Power.wav");
    EXPECT_EQ(platreal::findPathNoCase("wave/power.wav"), "wave/Power.wav");
    EXPECT_EQ(platreal::findPathNoCase("WAVE/SWR.WAV"), "wave/swr.wav");
    EXPECT_EQ(platreal::findPathNoCase("wave\\SWR.wav"), "wave/swr.wav");
    EXPECT_EQ(platreal::findPathNoCase((dir_ / "WAVE" / "POWER.wav").string()),
              (dir_ / "wave" / "Power.wav").string());
    EXPECT_EQ(platreal::findPathNoCase("wave/absent.wav"), "");
    EXPECT_EQ(platreal::findPathNoCase("nowhere/swr.wav"), "");
    EXPECT_EQ(platreal::findPathNoCase(""), "");
}

TEST(RealClock, TickIsMonotonicAndDateIsSane) {
    const std::int64_t a = platTickMs();
    usleep(20000);
    const std::int64_t b = platTickMs();
    EXPECT_GE(b - a, 15);
    EXPECT_LT(b - a, 2000);
    const PlatDateTime t = platLocalDateTime();
    EXPECT_GE(t.year, 2020);
    EXPECT_GE(t.month, 1);
    EXPECT_LE(t.month, 12);
    EXPECT_GE(t.day, 1);
    EXPECT_LE(t.day, 31);
    EXPECT_LE(t.hour, 23);
    setenv("RIGVOX_TEST_VALUE", "on", 1);
    EXPECT_EQ(platEnv("RIGVOX_TEST_VALUE"), "on");
    EXPECT_EQ(platEnv("RIGVOX_TEST_UNSET_VALUE"), "");
}

// ---------------------------------------------------------------------------
// Serial ports on pseudo-terminals
// ---------------------------------------------------------------------------

// A pseudo-terminal whose slave is reachable as "com<n>" in the working
// directory; the test plays the radio on the master side.
class SerialTest : public RealPlatformTest {
protected:
    void SetUp() override {
        RealPlatformTest::SetUp();
        master_ = makeLinkedPty(7);
        ASSERT_GE(master_, 0);
    }
    void TearDown() override {
        for (int h : handles_) platSerialClose(h);
        if (master_ >= 0) close(master_);
        RealPlatformTest::TearDown();
    }
    static int makeLinkedPty(int portNumber) {
        const int m = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
        if (m < 0 || grantpt(m) != 0 || unlockpt(m) != 0) return -1;
        const char* slave = ptsname(m);
        if (!slave) return -1;
        fs::create_symlink(slave, "com" + std::to_string(portNumber));
        return m;
    }
    int open(int port, int baud = 9600) {
        const int h = platSerialOpen(port, baud);
        if (h > 0) handles_.push_back(h);
        return h;
    }
    // The slave's line settings, seen through the master.
    termios lineSettings() const {
        termios t{};
        tcgetattr(master_, &t);
        return t;
    }
    // Waits (up to a second) until the port has count bytes waiting:
    // bytes written on the master reach the slave a moment later.
    static bool waitForBytes(int h, int count) {
        for (int i = 0; i < 200; ++i) {
            if (platSerialWaiting(h) >= count) return true;
            usleep(5000);
        }
        return false;
    }
    void radioSends(const std::string& bytes) const {
        ASSERT_EQ(write(master_, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
    }
    std::string radioReceives(std::size_t count) const {
        std::string got;
        for (int i = 0; i < 200 && got.size() < count; ++i) {
            char buf[4096];
            const ssize_t n = read(master_, buf, sizeof buf);
            if (n > 0)
                got.append(buf, static_cast<std::size_t>(n));
            else
                usleep(5000);
        }
        return got;
    }
    int master_ = -1;
    std::vector<int> handles_;
};

TEST_F(SerialTest, OpensByNumberThroughComLinkExclusively) {
    const int h = open(7);
    ASSERT_GT(h, 0);
    // Held: a second opener of the same device is refused.
    EXPECT_EQ(platSerialOpen(7, 9600), 0);
    platSerialClose(h);
    handles_.clear();
    const int again = open(7);
    EXPECT_GT(again, 0);
}

// Raw 8N1 at the speed; flow control and modem-line settings stay as the
// port had them, whichever way they were.
TEST_F(SerialTest, OpenSettingsAreRawEightNoneOneAtTheSpeed) {
    for (const tcflag_t kept : {tcflag_t(CRTSCTS | HUPCL), tcflag_t(CLOCAL)}) {
        SCOPED_TRACE(kept);
        termios before = lineSettings();
        before.c_cflag = (before.c_cflag & ~tcflag_t(CRTSCTS | HUPCL | CLOCAL)) | kept;
        before.c_iflag = (before.c_iflag & ~tcflag_t(IXOFF)) | (kept & CLOCAL ? IXOFF : 0) | IXON | ICRNL;
        before.c_lflag |= ECHO | ICANON;
        ASSERT_EQ(tcsetattr(master_, TCSANOW, &before), 0);
        const int h = open(7, 4800);
        ASSERT_GT(h, 0);
        const termios t = lineSettings();
        EXPECT_EQ(cfgetospeed(&t), static_cast<speed_t>(B4800));
        EXPECT_EQ(t.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
        EXPECT_EQ(t.c_cflag & (PARENB | CSTOPB), 0u);
        EXPECT_NE(t.c_cflag & CREAD, 0u);
        EXPECT_EQ(t.c_lflag & (ECHO | ICANON | ISIG), 0u);
        EXPECT_EQ(t.c_oflag & OPOST, 0u);
        EXPECT_EQ(t.c_iflag & (ICRNL | IXON | ISTRIP), 0u);  // every byte read as it came
        EXPECT_EQ(t.c_cflag & (CRTSCTS | HUPCL | CLOCAL), kept);
        EXPECT_EQ(t.c_iflag & IXOFF, kept & CLOCAL ? tcflag_t(IXOFF) : 0u);
        platSerialClose(h);
    }
}

TEST_F(SerialTest, SetLineStopCodeOneIsOneStopBitAnyOtherTwo) {
    // A pseudo-terminal keeps 8 data bits and no parity whatever is asked
    // (the kernel forces them), so only the stop bits and the speed show.
    const int h = open(7);
    ASSERT_GT(h, 0);
    platSerialSetLine(h, 8, 0, 2);
    termios t = lineSettings();
    EXPECT_NE(t.c_cflag & CSTOPB, 0u);
    EXPECT_EQ(cfgetospeed(&t), static_cast<speed_t>(B9600));  // speed kept
    platSerialSetLine(h, 8, 0, 1);
    t = lineSettings();
    EXPECT_EQ(t.c_cflag & CSTOPB, 0u);
    platSerialSetLine(h, 8, 0, 0);
    EXPECT_NE(lineSettings().c_cflag & CSTOPB, 0u);
    platSerialSetLine(h, 8, 0, 1);
    platSerialSetLine(h, 8, 0, 3);
    EXPECT_NE(lineSettings().c_cflag & CSTOPB, 0u);
    EXPECT_EQ(cfgetospeed(&t), static_cast<speed_t>(B9600));
}

TEST_F(SerialTest, RefusedOpensLeaveThePortClosed) {
    EXPECT_EQ(open(7, 12345), 0);  // no such standard speed
    EXPECT_EQ(open(7, 0), 0);
    EXPECT_EQ(open(0), 0);
    EXPECT_EQ(open(257), 0);
    EXPECT_EQ(open(-3), 0);
    EXPECT_EQ(open(200), 0);  // no com200 and no /dev/ttyS199
    writeRaw("com9", "not a device");
    EXPECT_EQ(open(9), 0);
    // The refused speed did not leave the device held.
    EXPECT_GT(open(7, 115200), 0);
    // Every speed from the standard list opens.
    for (int baud : {300, 1200, 4800, 38400, 57600, 115200, 230400}) {
        EXPECT_NE(platreal::speedConstant(baud), -1) << baud;
    }
    EXPECT_EQ(platreal::speedConstant(9601), -1);
}

TEST_F(SerialTest, BadHandlesDoNothing) {
    std::string text = "old";
    for (int h : {0, -1, 42}) {
        EXPECT_EQ(platSerialWaiting(h), 0);
        EXPECT_EQ(platSerialRead(h, text, 255), 0);
        EXPECT_EQ(text, "");
        EXPECT_EQ(platSerialWrite(h, "FA;"), 0);
        EXPECT_FALSE(platSerialGone(h));
        platSerialSetLine(h, 8, 0, 2);
        platSerialClose(h);
    }
}

// Waiting for input sleeps until bytes are there or the time is up, never
// less (bad handles: test_platform_serial_wait).
TEST_F(SerialTest, WaitInputReturnsWithBytesOrAfterTheWholeTime) {
    const int h = open(7);
    ASSERT_GT(h, 0);
    const std::int64_t start = platTickMs();
    EXPECT_FALSE(platSerialWaitInput(h, 30));
    EXPECT_GE(platTickMs() - start, 30);
    radioSends("FA00014250000;");
    EXPECT_TRUE(platSerialWaitInput(h, 2000));
    ASSERT_TRUE(waitForBytes(h, 14));
    std::string text;
    platSerialRead(h, text, 255);
    EXPECT_EQ(text, "FA00014250000;");
}

TEST_F(SerialTest, ReadsTakeAtMostTheMaximumAndExactlyWhatWasTaken) {
    const int h = open(7);
    ASSERT_GT(h, 0);
    std::string text;
    EXPECT_EQ(platSerialWaiting(h), 0);
    EXPECT_EQ(platSerialRead(h, text, 255), 0);  // nothing waiting: back at once

    std::string sent;
    for (int i = 0; i < 300; ++i) sent += static_cast<char>('A' + i % 26);
    radioSends(sent);
    ASSERT_TRUE(waitForBytes(h, 300));
    EXPECT_EQ(platSerialWaiting(h), 300);
    EXPECT_EQ(platSerialRead(h, text, 255), 255);
    EXPECT_EQ(text, sent.substr(0, 255));
    EXPECT_EQ(platSerialWaiting(h), 45);
    EXPECT_EQ(platSerialRead(h, text, 255), 45);
    EXPECT_EQ(text, sent.substr(255));

    radioSends("FA00014250000;");
    ASSERT_TRUE(waitForBytes(h, 14));
    EXPECT_EQ(platSerialRead(h, text, 255), 14);
    EXPECT_EQ(text, "FA00014250000;");
    radioSends("SM0005;");
    ASSERT_TRUE(waitForBytes(h, 7));
    EXPECT_EQ(platSerialRead(h, text, 255), 7);
    EXPECT_EQ(text, "SM0005;");

    // Raw: CR, LF, NUL and bytes above 127 pass through unchanged.
    const std::string binary("\r\n\0\x11\x13\xff", 6);
    radioSends(binary);
    ASSERT_TRUE(waitForBytes(h, 6));
    EXPECT_EQ(platSerialRead(h, text, 255), 6);
    EXPECT_EQ(text, binary);
}

TEST_F(SerialTest, WritesArriveWholeAtTheOtherSide) {
    const int h = open(7);
    ASSERT_GT(h, 0);
    EXPECT_EQ(platSerialWrite(h, "FA00007100000;"), 14);
    EXPECT_EQ(radioReceives(14), "FA00007100000;");
    EXPECT_EQ(platSerialWrite(h, std::string("\r\n", 2)), 2);
    EXPECT_EQ(radioReceives(2), "\r\n");  // no CR/LF translation
    // Larger than the terminal's buffer: arrives whole while the other side reads.
    std::string big;
    for (int i = 0; i < 3000; ++i) big += "ID;";
    EXPECT_EQ(platSerialWrite(h, big), static_cast<int>(big.size()));
    EXPECT_EQ(radioReceives(big.size()), big);
    EXPECT_EQ(platSerialWrite(h, ""), 0);
}

TEST_F(SerialTest, StuckDeviceDoesNotHoldTheProgram) {
    const int h = open(7);
    ASSERT_GT(h, 0);
    // Nobody reads the other side: the write gives up after about a second.
    const std::string huge(4 << 20, 'x');
    const auto start = std::chrono::steady_clock::now();
    const int written = platSerialWrite(h, huge);
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
                        std::chrono::steady_clock::now() - start)
                        .count();
    EXPECT_LT(written, static_cast<int>(huge.size()));
    EXPECT_LT(ms, 5000);
}

TEST_F(SerialTest, DeviceThatHasGoneIsReported) {
    const int h = open(7);
    ASSERT_GT(h, 0);
    EXPECT_FALSE(platSerialGone(h));
    radioSends("ID;");
    ASSERT_TRUE(waitForBytes(h, 3));
    EXPECT_FALSE(platSerialGone(h));
    std::string text;
    platSerialRead(h, text, 255);
    close(master_);  // the adapter is pulled
    master_ = -1;
    EXPECT_TRUE(platSerialGone(h));
    EXPECT_EQ(platSerialWaiting(h), 0);
    EXPECT_EQ(platSerialRead(h, text, 255), 0);
    EXPECT_EQ(platSerialWrite(h, "FA;"), 0);
    const std::int64_t start = platTickMs();
    EXPECT_FALSE(platSerialWaitInput(h, 30));  // the whole pause, though nothing can come
    EXPECT_GE(platTickMs() - start, 30);
    // Closing the gone port frees it; a new device under the same name opens.
    platSerialClose(h);
    handles_.clear();
    fs::remove("com7");
    master_ = makeLinkedPty(7);
    ASSERT_GE(master_, 0);
    const int again = open(7);
    ASSERT_GT(again, 0);
    EXPECT_FALSE(platSerialGone(again));
}

TEST_F(SerialTest, TwoPortsAtOnceHaveTheirOwnHandles) {
    const int second = makeLinkedPty(12);
    ASSERT_GE(second, 0);
    const int a = open(7);
    const int b = open(12);
    ASSERT_GT(a, 0);
    ASSERT_GT(b, 0);
    EXPECT_NE(a, b);
    EXPECT_EQ(platSerialWrite(b, "IF;"), 3);
    char buf[16];
    ssize_t n = -1;
    for (int i = 0; i < 200 && n <= 0; ++i) {
        n = read(second, buf, sizeof buf);
        if (n <= 0) usleep(5000);
    }
    EXPECT_EQ(std::string(buf, n > 0 ? static_cast<std::size_t>(n) : 0), "IF;");
    // Nothing went to the other port.
    usleep(20000);
    EXPECT_LT(read(master_, buf, sizeof buf), 0);
    close(second);
}

}  // namespace
