// The whole run: start-up order, the missing configuration file, the message
// loop and the shutdown steps.
#include <algorithm>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "base/text.h"
#include "keys/dispatcher.h"
#include "link/serial_port.h"
#include "program/startup.h"
#include "session/radio_search.h"
#include "test_support.h"

namespace {

constexpr int kPort = 3;

std::string config(int powerSwitching = 0, int debugLog = 0) {
    return "COM=3\r\nSPEED=9600\r\nPOWER=100\r\nSWR=0\r\nTUN=0\r\nBANDCOV=7\r\nPOWERS=" +
           std::to_string(powerSwitching) + "\r\nBRIDGE=0\r\nDEBUG=" + std::to_string(debugLog) + "\r\n";
}

class StartupTest : public RigvoxTest {};

}  // namespace

// Without rigvox.cfg every listed device is asked for its identity at each
// speed, fastest first, with "ID;" and nothing else, a step on each tick. A
// device held by another program is left alone, and one whose number line
// 1 cannot hold is not asked. A Kenwood that Rigvox does not know is named,
// asked nothing more, and passed. Every device tried goes back to the
// settings it had. When no known radio answers, the program ends with no
// file written.
TEST_F(StartupTest, WithoutConfigurationEveryDeviceIsAskedOnlyForItsIdentity) {
    auto& f = fake::state();
    f.serialDevices = {{2, "com2", 2}, {120, "com120", 120}, {0, "/dev/ttyUSB0", 50}, {0, "/dev/ttyACM0", 51},
                       {0, "/dev/ttyACM1", 52}};
    f.ports[51].openable = false;
    for (int port : {2, 50, 52}) {
        f.ports[port].baud = 9600;
        f.ports[port].dataBits = 7;
        f.ports[port].parity = 2;
    }
    std::map<int, std::vector<int>> speedsAsked;
    f.responder = [&](int port, const std::string& bytes) {
        EXPECT_EQ(bytes, "ID;");
        speedsAsked[port].push_back(fake::state().ports[port].baud);
        if (port == 50) fake::feed(port, "$GPGGA,1;\r\n");  // a chatty device that is no radio
        if (port == 52) fake::feedAfter(port, "ID017;", 20);   // a Kenwood of another kind
    };
    fake::pushTicks(100);
    EXPECT_EQ(runProgram(0), 0);
    EXPECT_EQ(fake::takePrompts(), (Prompts{"rigvox", "3", "point", "4", "cfgnf", "searching", "found", "0", "1",
                                            "7", "notsupported", "notfound"}));
    const std::vector<int> speeds{115200, 57600, 38400, 19200, 9600, 4800};
    EXPECT_EQ(speedsAsked[2], speeds);
    EXPECT_EQ(speedsAsked[50], speeds);
    EXPECT_EQ(speedsAsked[52], std::vector<int>{115200});
    EXPECT_EQ(speedsAsked.count(51) + speedsAsked.count(120), 0u);
    for (int port : {2, 50, 52}) {
        const fake::Port& p = f.ports[port];
        EXPECT_EQ(p.opens, 1) << port;  // opened once, stepped through the speeds
        EXPECT_EQ(p.restores, 1) << port;
        EXPECT_FALSE(p.open) << port;
        EXPECT_EQ(p.baud, 9600) << port;
        EXPECT_EQ(p.dataBits, 7) << port;
        EXPECT_EQ(p.parity, 2) << port;
        EXPECT_EQ(p.stopCode, 1) << port;
    }
    EXPECT_EQ(f.ports[52].written, "ID;");  // nothing but the question, once
    EXPECT_TRUE(f.files.empty());
    EXPECT_TRUE(f.serialLinks.empty());
    EXPECT_FALSE(f.windowOpen);
    EXPECT_EQ(f.timerPeriodMs, 0);

    // The simulator build searches the same way.
    resetState();
    fake::reset();
    fake::pushTicks(5);
    EXPECT_EQ(runProgram(1), 0);
    EXPECT_EQ(fake::takePrompts(), (Prompts{"rigvox", "3", "point", "4", "sim", "cfgnf", "searching", "notfound"}));
}

// Q, Escape and a close request (the close box and the signals come as one)
// end the search as they come, whether the first start's or D's: no tick
// more is taken for it, and the device being asked is closed with its
// settings as they were, having heard nothing but "ID;" at each speed.
TEST_F(StartupTest, QEscapeOrCloseEndTheSearchAtOnceWithTheDeviceAsFound) {
    struct Case { bool keyD; int kind; int param; const char* said; };
    for (const Case& c : {Case{false, kEventClose, 0, nullptr}, Case{false, kEventKeyDown, vkLetter('Q'), "quit"},
                          Case{false, kEventKeyDown, kVkEscape, "cancelled"}, Case{true, kEventClose, 0, nullptr},
                          Case{true, kEventKeyDown, kVkEscape, "cancelled"}}) {
        SCOPED_TRACE(std::to_string(c.keyD) + " " + std::to_string(c.param));
        resetState();
        fake::reset();
        auto& f = fake::state();
        f.serialDevices = {{0, "/dev/ttyUSB0", 50}};
        f.ports[50].baud = 4800;
        f.ports[50].stopCode = 2;
        if (c.keyD) {
            fake::setFile("rigvox.cfg", config());  // port 3, where no radio answers
            fake::pushKey(vkLetter('D'));
        }
        fake::pushTicks(5);  // time for a second speed
        fake::pushEvent(c.kind, c.param);
        const std::size_t taken = f.events.size();
        fake::pushTicks(c.keyD && c.kind == kEventKeyDown ? 2 : 50);
        if (c.keyD && c.kind == kEventKeyDown) fake::pushEvent(kEventClose);
        EXPECT_EQ(runProgram(0), 0);

        const fake::Port& p = f.ports[50];
        EXPECT_EQ(p.written, "ID;ID;");
        EXPECT_FALSE(p.open);
        EXPECT_EQ(p.restores, 1);
        EXPECT_EQ(p.baud, 4800);
        EXPECT_EQ(p.stopCode, 2);
        EXPECT_FALSE(searchState.going);
        const Prompts said = fake::takePrompts();
        const auto searching = std::find(said.begin(), said.end(), "searching");
        ASSERT_NE(searching, said.end());
        EXPECT_EQ(std::find(searching, said.end(), "notfound"), said.end());
        if (c.said != nullptr) {
            EXPECT_EQ(*std::next(searching), c.said);
        }
        if (!c.keyD) {
            EXPECT_EQ(f.nextEvent, taken);  // nothing after the key or close request
            EXPECT_TRUE(f.files.empty());
        } else if (c.kind == kEventKeyDown) {
            // Escape: the poll goes on with the configured port.
            EXPECT_EQ(f.nextEvent, f.events.size());
            EXPECT_EQ(f.ports[kPort].opens, 2);
        }
    }
}

// A radio on a device without a number: it answers at 19200 baud (after a
// "?;" from bytes of the earlier tries), gets the link com1, and rigvox.cfg
// is written from the built-in sample with that port and speed; then the
// start goes on with it.
TEST_F(StartupTest, FirstStartWritesTheConfigurationWhereTheRadioAnsweredAndGoesOn) {
    auto& f = fake::state();
    f.serialDevices = {{0, "/dev/serial/by-id/usb-other", 50}, {0, "/dev/serial/by-id/usb-Kenwood", 60}};
    int asksAt19200 = 0;
    f.responder = [&](int port, const std::string& bytes) {
        if (port == 50) {
            EXPECT_EQ(bytes, "ID;");
        }
        if (port != 60 || bytes != "ID;" || fake::state().ports[60].baud != 19200) return;
        fake::feedAfter(60, ++asksAt19200 == 1 ? "?;" : "ID023;", 30);
    };
    fake::pushTicks(60);
    EXPECT_EQ(runProgram(0), 0);
    const Prompts said = fake::takePrompts();
    ASSERT_GE(said.size(), 17u);
    EXPECT_EQ(Prompts(said.begin(), said.begin() + 17),
              (Prompts{"rigvox", "3", "point", "4", "cfgnf", "searching", "found", "port", "1", "1", "9", "2", "0",
                       "0", "baud", "delay", "delay"}));
    EXPECT_EQ(asksAt19200, 2);
    EXPECT_EQ(f.serialLinks, (std::map<int, std::string>{{1, "/dev/serial/by-id/usb-Kenwood"}}));
    EXPECT_EQ(fake::fileContent("rigvox.cfg"),
              "COM=1\r\nSPEED=19200\r\nPOWER=100\r\nSWR=1\r\nATU=0\r\nMAXBAND=7\r\nON/OFF=0\r\nBRIDGE=0\r\n"
              "DEBUG=0\r\nRIGCTLD=4532\r\nTXLIMIT=180\r\nANNOUNCE=radio\r\n");
    EXPECT_FALSE(fake::hasFile("rigvox.cfg.new"));
    EXPECT_FALSE(fake::hasFile("rigvox.cfg.bak"));
    // Read back and used: the radio port is port 1 at 19200 baud.
    EXPECT_EQ(catState.comPort, 1);
    EXPECT_EQ(catState.baudRate, 19200);
    EXPECT_EQ(netState.rigctldPort, 4532);
    EXPECT_EQ(f.ports[1].opens, 1);
    EXPECT_EQ(f.ports[1].baud, 19200);
    EXPECT_EQ(fake::takeWritten(1).substr(0, 17), "RX;FA00007100000;");
}

// A rigvox.cfg that opens but is no configuration (empty, or all one line)
// is kept as rigvox.cfg.bad and the radio searched for as on a first start.
// A rigvox.cfg that is a link to nothing (a drive not mounted) is missing to
// the reader, but is never written through nor moved: only "cfgnf" is said.
TEST_F(StartupTest, ADamagedConfigurationIsKeptAsideAndALinkToNothingIsLeftAlone) {
    for (const std::string damaged : {std::string(), "COM=1SPEED=9600POWER=100" + std::string(400, 'x')}) {
        resetState();
        fake::reset();
        auto& f = fake::state();
        f.serialDevices = {{1, "com1", 1}};
        f.responder = [](int port, const std::string& bytes) {
            if (bytes == "ID;" && fake::state().ports[port].baud == 9600) fake::feedAfter(port, "ID021;", 20);
        };
        fake::setFile("rigvox.cfg", damaged);
        fake::pushTicks(100);  // the search's steps
        EXPECT_EQ(runProgram(0), 0);
        const Prompts said = fake::takePrompts();
        ASSERT_GE(said.size(), 7u);
        EXPECT_EQ(Prompts(said.begin(), said.begin() + 7),
                  (Prompts{"rigvox", "3", "point", "4", "cfgbad", "searching", "found"}));
        EXPECT_EQ(fake::fileContent("rigvox.cfg.bad"), damaged);
        EXPECT_EQ(fake::fileContent("rigvox.cfg").substr(0, 19), "COM=1\r\nSPEED=9600\r\n");
        EXPECT_FALSE(fake::hasFile("rigvox.cfg.bak"));
        EXPECT_EQ(catState.comPort, 1);  // and the start went on with it
    }

    resetState();
    fake::reset();
    auto& f = fake::state();
    f.danglingLinks = {"rigvox.cfg"};
    f.serialDevices = {{1, "com1", 1}};
    f.responder = [](int port, const std::string&) { fake::feed(port, "ID021;"); };
    EXPECT_EQ(runProgram(0), 0);
    EXPECT_EQ(fake::takePrompts(), (Prompts{"rigvox", "3", "point", "4", "cfgnf"}));
    EXPECT_TRUE(f.files.empty());  // nothing written, through the link or beside it
    EXPECT_TRUE(f.renames.empty());
    EXPECT_EQ(f.danglingLinks.count("rigvox.cfg"), 1u);
    EXPECT_EQ(f.ports[1].opens, 0);
}

// Each line not understood is said at start as "cfg" and its number, once,
// after the greeting; the start goes on with safe values, and debug.dat
// names each line and the value used though the log is off. The power is
// held again to the connected model's range, and noted.
TEST_F(StartupTest, LinesNotUnderstoodAreSaidByNumberAndNotedWithTheValueUsed) {
    fake::setFile("rigvox.cfg",
                  "COM=3\r\nSPEED=9600\r\nPOWER=999\r\nSWR=0\r\nTUN=0\r\nBANDCOV=7\r\nPOWERS=0\r\nBRIDGE=0\r\n"
                  "DEBUG=0\r\nTXLIMIT=abc\r\nANNOUNCE=LOUD\r\nRIGCTLD=0.0.0.0:4532\r\nTXLIMIT=0\r\n");
    fake::state().responder = [](int port, const std::string& bytes) {
        if (bytes.find("ID;") != std::string::npos) fake::feed(port, "ID021;");
    };
    EXPECT_EQ(runProgram(0), 0);
    const Prompts said = fake::takePrompts();
    ASSERT_GE(said.size(), 15u);
    EXPECT_EQ(Prompts(said.begin(), said.begin() + 15),
              (Prompts{"rigvox", "3", "point", "4", "cfg", "3", "cfg", "1", "0", "cfg", "1", "1", "cfg", "1", "3"}));
    EXPECT_EQ(said[15], "netlocal");
    EXPECT_EQ(radioState.txLimitSeconds, 180);
    EXPECT_EQ(sessionState.announceLevel, kAnnounceRadio);
    EXPECT_EQ(radioState.txPower, 100);  // the TS-590S gives 100 W at most
    EXPECT_EQ(radioState.powerCeiling, 100);
    EXPECT_EQ(fake::state().sockets.begin()->second.address, "127.0.0.1");
    const std::string log = fake::fileContent("debug.dat");
    for (const char* note : {"line 3 not understood: \"POWER=999\"; 200 W used",
                             "line 10 not understood: \"TXLIMIT=abc\"; TXLIMIT=180 used",
                             "line 11 not understood: \"ANNOUNCE=LOUD\"; ANNOUNCE=radio used",
                             "listening on 127.0.0.1 only", "line 13 not understood: \"TXLIMIT=0\"",
                             "power held to 100 W, the most model 21 gives"})
        EXPECT_NE(log.find(note), std::string::npos) << note << "\n" << log;
    EXPECT_EQ(log.find("TX="), std::string::npos);  // notes only: the log itself is off
}

TEST_F(StartupTest, WindowAndGreetingComeFirst) {
    fake::setFile("rigvox.cfg", config());
    EXPECT_EQ(runProgram(0), 0);
    const auto& f = fake::state();
    EXPECT_EQ(f.windowTitle, "*** Kenwood Rigvox Front Panel v3.4a ***");
    EXPECT_EQ(f.windowX, 250);
    EXPECT_EQ(f.windowY, 100);
    EXPECT_EQ(f.windowW, 950);
    EXPECT_EQ(f.windowH, 500);
    ASSERT_GE(f.prompts.size(), 4u);
    // Greeting, the model query's pause during initialisation, the closing
    // "delay" at shutdown.
    EXPECT_EQ(fake::takePrompts(), (Prompts{"rigvox", "3", "point", "4", "delay", "delay"}));
    EXPECT_EQ(catState.simMode, 0);
    EXPECT_EQ(programState.bannerText, "*** Rigvox V 3.4a ***");
    EXPECT_EQ(speechState.waveDir, "wave/");
}

TEST_F(StartupTest, SimulatorRunSpeaksSimAndFindsTheReducedRadio) {
    fake::setFile("rigvox.cfg", config());
    EXPECT_EQ(runProgram(1), 0);
    EXPECT_EQ(catState.simMode, 1);
    // The canned answers make it model 20 answering "QC": the reduced radio,
    // with its "OM" and "VN" queries.
    EXPECT_EQ(radioState.rigModel, 100);
    EXPECT_EQ(fake::takePrompts(), (Prompts{"rigvox", "3", "point", "4", "sim", "delay", "delay", "delay", "delay"}));
}

TEST_F(StartupTest, ConfigurationIsReadBeforeInitialisationAndTheTimerStartsAfterIt) {
    fake::setFile("rigvox.cfg", config());
    int timerDuringInitialisation = -1, timerInLoop = -1;
    fake::state().responder = [&](int, const std::string& bytes) {
        if (bytes == "ID;") timerDuringInitialisation = fake::state().timerPeriodMs;
        if (bytes == "FA;") timerInLoop = fake::state().timerPeriodMs;  // the first poll query
    };
    fake::pushTick();
    runProgram(0);
    EXPECT_EQ(fake::state().ports[kPort].opens, 1);
    EXPECT_EQ(fake::state().ports[kPort].baud, 9600);
    EXPECT_EQ(timerDuringInitialisation, 0);
    EXPECT_EQ(timerInLoop, 50);
    EXPECT_EQ(fake::state().timerPeriodMs, 0);  // stopped at shutdown
}

// The close box (and SIGTERM, which arrives as the same close request) runs
// the whole shutdown without the quit key's "quit"; a radio left
// transmitting by Space is first put back to receive.
TEST_F(StartupTest, ClosingTheWindowRunsTheFullShutdown) {
    // The third case closes while "tx on" still sounds: the transmission
    // Space asked for is never keyed, and the radio is put to receive.
    struct Case { bool transmitting; int txOnMs; const char* ending; };
    for (const Case& c : {Case{false, 0, "CT0;PS9;"}, Case{true, 0, "CT0;TX;RX;PS9;"},
                          Case{true, 300, "CT0;RX;PS9;"}}) {
        SCOPED_TRACE(c.txOnMs);
        resetState();
        fake::reset();
        fake::setFile("rigvox.cfg", config(1, 1));
        fake::state().wavMs["wave/on.wav"] = c.txOnMs;
        bool windowOpenAtPowerCommand = false;
        std::size_t promptsAtPowerCommand = 0;
        fake::state().responder = [&](int port, const std::string& bytes) {
            if (bytes == "ID;") fake::feed(port, "ID023;");
            if (bytes == "PS9;") {
                windowOpenAtPowerCommand = fake::state().windowOpen;
                promptsAtPowerCommand = fake::state().prompts.size();
            }
        };
        if (c.transmitting) fake::pushEvent(kEventKeyDown, kVkSpace);
        fake::pushEvent(kEventClose);
        fake::pushKey(vkLetter('S'));  // never handled: the loop has ended
        EXPECT_EQ(runProgram(0), 0);

        const auto& f = fake::state();
        EXPECT_EQ(f.nextEvent, c.transmitting ? 2u : 1u);
        EXPECT_EQ(keysState.running, 0);
        // Memory file saved (with its report), the power command, "delay"
        // after it, port and log closed; the window stays until the last
        // words have sounded.
        EXPECT_TRUE(fake::hasFile("savmem.dat"));
        EXPECT_TRUE(fake::hasFile("memory.txt"));
        EXPECT_TRUE(windowOpenAtPowerCommand);
        EXPECT_FALSE(f.windowOpen);
        EXPECT_EQ(f.timerPeriodMs, 0);
        const auto prompts = fake::takePrompts();
        ASSERT_FALSE(prompts.empty());
        EXPECT_EQ(promptsAtPowerCommand, prompts.size() - 1);
        EXPECT_EQ(prompts.back(), "delay");
        for (const auto& p : prompts) EXPECT_NE(p, "quit");
        EXPECT_FALSE(fake::state().ports[kPort].open);
        const std::string written = fake::state().ports[kPort].written;
        EXPECT_TRUE(written.ends_with(c.ending)) << written;
        if (c.txOnMs > 0) {
            EXPECT_EQ(written.find("TX;"), std::string::npos) << written;
        }
        const std::string log = fake::fileContent("debug.dat");
        EXPECT_TRUE(log.ends_with(c.transmitting ? "TX=RX;\r\nTX=PS9;\r\n" : "TX=CT0;\r\nTX=PS9;\r\n")) << log;
    }
}

TEST_F(StartupTest, PlatformWithoutEventsEndsTheLoopWithTheFullShutdown) {
    fake::setFile("rigvox.cfg", config());
    EXPECT_EQ(runProgram(0), 0);
    EXPECT_TRUE(fake::hasFile("savmem.dat"));
    EXPECT_FALSE(fake::state().ports[kPort].open);
    EXPECT_FALSE(fake::state().windowOpen);
}

TEST_F(StartupTest, QuitKeyEndsTheLoopAndLaterKeysAreNotHandled) {
    fake::setFile("rigvox.cfg", config());
    fake::pushKey(vkLetter('Q'));
    fake::pushKey(vkLetter('S'));
    runProgram(0);
    EXPECT_EQ(keysState.running, 0);
    EXPECT_LE(fake::state().nextEvent, 2u);  // the Q down, perhaps its key-up
    const auto prompts = fake::takePrompts();
    ASSERT_GE(prompts.size(), 2u);
    EXPECT_EQ(prompts.back(), "delay");
    EXPECT_EQ(prompts[prompts.size() - 2], "quit");
}

// --- shutdown steps ----------------------------------------------------------

class ShutdownTest : public RigvoxTest {
protected:
    void SetUp() override {
        RigvoxTest::SetUp();
        catState.comPort = kPort;
        catState.baudRate = 9600;
        openPortSequence(kPort);
    }
};

TEST_F(ShutdownTest, PowerCommandDependsOnTheModel) {
    struct Case { int model; const char* command; };
    for (const Case& c : {Case{19, "PS1;"}, Case{24, "PS1;"}, Case{23, "PS9;"}, Case{20, "PS9;"},
                          Case{100, "PS9;"}, Case{0, "PS9;"}}) {
        fake::takeWritten(kPort);
        openPortSequence(kPort);
        radioState.powerSwitching = 1;
        radioState.rigModel = c.model;
        shutdownProgram();
        EXPECT_EQ(fake::takeWritten(kPort), c.command) << c.model;
        EXPECT_FALSE(fake::state().ports[kPort].open);
    }
}

TEST_F(ShutdownTest, TheTransmitterOrTheTuneCarrierEndsFirst) {
    for (bool tuning : {false, true}) {
        fake::takeWritten(kPort);
        openPortSequence(kPort);
        radioState.txState = tuning ? 0 : 1;
        radioState.tuning = tuning ? 1 : 0;
        shutdownProgram();
        EXPECT_EQ(fake::takeWritten(kPort), "RX;") << tuning;
        EXPECT_EQ(radioState.txState, 0);
        EXPECT_EQ(radioState.tuning, 0);
    }
}

TEST_F(ShutdownTest, NoPowerCommandUnlessPowerSwitchingIsOne) {
    for (int switching : {0, 2}) {
        openPortSequence(kPort);
        radioState.powerSwitching = switching;
        radioState.rigModel = 19;
        shutdownProgram();
        EXPECT_EQ(fake::takeWritten(kPort), "") << switching;
        EXPECT_EQ(fake::takePrompts(), (Prompts{"delay"}));
    }
}

TEST_F(ShutdownTest, WithoutAFrequencyReplyTheRecordsAreSavedAsLoaded) {
    radioState.bandTable[4] = "01A00007123000B000071000009990";
    catState.lastFreqReply = "";
    radioState.mode = 2;
    shutdownProgram();
    const std::string saved = fake::fileContent("savmem.dat");
    EXPECT_TRUE(startsWith(saved, "RIGVOX v3.2b   3.4a 4\r\n"));
    EXPECT_NE(saved.find("\r\n01A00007123000B000071000009990\r\n"), std::string::npos) << saved;
}

TEST_F(ShutdownTest, TheLastReportedFrequencyIsStoredBeforeTheSave) {
    catState.lastFreqReply = "FA00007150000";
    radioState.mode = 2;
    shutdownProgram();
    const std::string saved = fake::fileContent("savmem.dat");
    EXPECT_NE(saved.find("\r\n02A00007150000B000071000009990\r\n"), std::string::npos) << saved;
}
