// rigvox.cfg: nine positional lines whose values are found by position and
// line length alone.
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "base/text.h"
#include "program/startup.h"
#include "speech/speech_state.h"
#include "test_support.h"

namespace {

// The nine lines of a typical file, each label of its fixed width.
std::vector<std::string> typicalLines() {
    return {
        "COM=12",      // 1: label 4, port 12
        "SPEED=9600",  // 2: label 6, speed
        "POWER=150",   // 3: label 6, 150 W
        "SWR=1",       // 4: label 4
        "TUN=2",       // 5: label 4
        "BANDCOV=7",   // 6: label 8, up to 70 cm
        "POWERS=1",    // 7: label 7
        "BRIDGE=7",    // 8: label 7, pass-through port 7
        "DEBUG=1",     // 9: label 6
    };
}

std::string joined(const std::vector<std::string>& lines, const std::string& end = "\r\n") {
    std::string text;
    for (const auto& line : lines) text += line + end;
    return text;
}

class ConfigTest : public RigvoxTest {
protected:
    // Reads a file holding the typical lines with line `index` (1-based)
    // replaced by `line`.
    bool readWithLine(int index, const std::string& line) {
        auto lines = typicalLines();
        lines[index - 1] = line;
        fake::setFile("rigvox.cfg", joined(lines));
        return readConfiguration();
    }
};

}  // namespace

TEST_F(ConfigTest, ReadsEveryLineOfATypicalFile) {
    fake::setFile("rigvox.cfg", joined(typicalLines()));
    ASSERT_TRUE(readConfiguration());
    EXPECT_EQ(catState.comPort, 12);
    EXPECT_EQ(catState.baudRate, 9600);
    EXPECT_EQ(radioState.txPower, 150);
    EXPECT_EQ(radioState.powerCeiling, 150);
    EXPECT_EQ(radioState.swrSpeech, 1);
    EXPECT_EQ(radioState.tunerMode, 2);
    EXPECT_EQ(radioState.bandCoverage, "7");
    EXPECT_EQ(radioState.powerSwitching, 1);
    EXPECT_EQ(catState.bridgePort, 7);
    EXPECT_EQ(catState.debugLog, 1);
}

TEST_F(ConfigTest, MissingFileIsReportedAndChangesNothing) {
    catState.comPort = 3;
    EXPECT_FALSE(readConfiguration());
    EXPECT_EQ(catState.comPort, 3);
    EXPECT_EQ(radioState.txPower, 100);
}

TEST_F(ConfigTest, PortLineLengthDecidesOneOrTwoDigits) {
    struct Case { const char* line; int port; };
    for (const Case& c : {
             Case{"COM=12", 12},  // exactly 6: last two
             Case{"COM=5", 5},    // 5: last one
             Case{"COM=05", 5},
             Case{"COM5", 5},     // any other length: last one
             Case{"COM=123", 3},
             Case{"COM=x2", 0},   // 6 with a non-digit fifth character
             Case{"COM= 9", 9},   // a blank is skipped by the number reader
             Case{"COM=", 0},
             Case{"", 0},
         }) {
        ASSERT_TRUE(readWithLine(1, c.line));
        EXPECT_EQ(catState.comPort, c.port) << '"' << c.line << '"';
    }
}

TEST_F(ConfigTest, SpeedIsEverythingFromCharacterSeven) {
    struct Case { const char* line; int baud; };
    for (const Case& c : {
             Case{"SPEED=4800", 4800},
             Case{"SPEED=57600", 57600},
             Case{"SPEED=  19200", 19200},
             Case{"SPEED=fast", 0},
             Case{"SPEED=", 0},
             Case{"BAUD=9600", 600},  // a label one short loses the first digit
         }) {
        ASSERT_TRUE(readWithLine(2, c.line));
        EXPECT_EQ(catState.baudRate, c.baud) << '"' << c.line << '"';
    }
}

// Watts no radio gives are held to the widest range (5 to 200 W); a line
// not understood is noted as line 3.
TEST_F(ConfigTest, PowerLineLengthsAndTheCeiling) {
    struct Case { const char* line; int power; int ceiling; bool noted; };
    for (const Case& c : {
             Case{"POWER=150", 150, 150, false},  // 9: three digits
             Case{"POWER=200", 200, 200, false},
             Case{"POWER=100", 100, 100, false},
             Case{"POWER=050", 50, 100, false},
             Case{"POWER=50", 50, 100, false},    // 8: two digits
             Case{"POWER=5", 5, 100, false},      // 7: one digit
             Case{"POWER=", 100, 100, true},      // 6: default
             Case{"POW", 100, 100, true},
             Case{"", 100, 100, true},
             Case{"POWER=1500", 100, 100, true},  // 10: default
             Case{"POWER=ab", 5, 100, true},      // caught by the rule, not a number: the least
             Case{"POWER=999", 200, 200, true},   // held to the most any model gives
             Case{"POWER=-50", 5, 100, true},     // never "PC000"
             Case{"POWER=1", 5, 100, true},
         }) {
        radioState.txPower = 33;
        radioState.powerCeiling = 44;
        ASSERT_TRUE(readWithLine(3, c.line));
        EXPECT_EQ(radioState.txPower, c.power) << '"' << c.line << '"';
        EXPECT_EQ(radioState.powerCeiling, c.ceiling) << '"' << c.line << '"';
        EXPECT_EQ(programState.badConfigLineCount, c.noted ? 1 : 0) << '"' << c.line << '"';
        if (c.noted) EXPECT_EQ(programState.badConfigLines[0], 3);
    }
}

TEST_F(ConfigTest, SingleCharacterSwitchesAreTakenAtTheirPosition) {
    ASSERT_TRUE(readWithLine(4, "SWR=0"));
    EXPECT_EQ(radioState.swrSpeech, 0);
    ASSERT_TRUE(readWithLine(4, "SWR=15"));  // only character 5
    EXPECT_EQ(radioState.swrSpeech, 1);
    // A switch it cannot be is off, and its line noted.
    for (int line : {4, 5, 7, 9}) {
        ASSERT_TRUE(readWithLine(line, "XXXXXXXXX"));
        EXPECT_EQ(programState.badConfigLineCount, 1) << line;
        EXPECT_EQ(programState.badConfigLines[0], line);
        if (line == 4) EXPECT_EQ(radioState.swrSpeech, 0);
    }
    ASSERT_TRUE(readWithLine(5, "ATU=3"));
    EXPECT_EQ(radioState.tunerMode, 0);
    ASSERT_TRUE(readWithLine(5, "TUNE1"));
    EXPECT_EQ(radioState.tunerMode, 1);
    ASSERT_TRUE(readWithLine(6, "BANDCOV=6"));
    EXPECT_EQ(radioState.bandCoverage, "6");
    ASSERT_TRUE(readWithLine(6, "BANDCOV=x"));  // held as text, not read as a number
    EXPECT_EQ(radioState.bandCoverage, "x");
    ASSERT_TRUE(readWithLine(6, "BANDCOV="));
    EXPECT_EQ(radioState.bandCoverage, "");
    ASSERT_TRUE(readWithLine(7, "POWERS=0"));
    EXPECT_EQ(radioState.powerSwitching, 0);
    ASSERT_TRUE(readWithLine(7, "POWER=1"));  // label one short: character 8 is missing
    EXPECT_EQ(radioState.powerSwitching, 0);
    ASSERT_TRUE(readWithLine(9, "DEBUG=0"));
    EXPECT_EQ(catState.debugLog, 0);
    ASSERT_TRUE(readWithLine(9, "DEBUG:1 and more"));
    EXPECT_EQ(catState.debugLog, 1);
}

TEST_F(ConfigTest, PassThroughPortFromItsLineLength) {
    struct Case { const char* line; int port; };
    for (const Case& c : {
             Case{"BRIDGE=7", 7},    // 8: last one
             Case{"BRIDGE=12", 12},  // exactly 9: last two
             Case{"BRIDGE=0", 0},
             Case{"BRIDGE=", 0},
             Case{"BRIDGE=123", 3},
         }) {
        ASSERT_TRUE(readWithLine(8, c.line));
        EXPECT_EQ(catState.bridgePort, c.port) << '"' << c.line << '"';
    }
}

TEST_F(ConfigTest, SevenLineFileLeavesPassThroughAndDebugOff) {
    auto lines = typicalLines();
    lines.resize(7);
    catState.bridgePort = 5;
    catState.debugLog = 1;
    fake::setFile("rigvox.cfg", joined(lines));
    ASSERT_TRUE(readConfiguration());
    EXPECT_EQ(catState.comPort, 12);
    EXPECT_EQ(radioState.powerSwitching, 1);
    EXPECT_EQ(catState.bridgePort, 0);
    EXPECT_EQ(catState.debugLog, 0);
}

TEST_F(ConfigTest, MissingLinesReadAsEmptyText) {
    fake::setFile("rigvox.cfg", "COM=3\r\nSPEED=4800\r\n");
    ASSERT_TRUE(readConfiguration());
    EXPECT_EQ(catState.comPort, 3);
    EXPECT_EQ(catState.baudRate, 4800);
    EXPECT_EQ(radioState.txPower, 100);
    EXPECT_EQ(radioState.powerCeiling, 100);
    EXPECT_EQ(radioState.swrSpeech, 0);
    EXPECT_EQ(radioState.bandCoverage, "");
    EXPECT_EQ(catState.bridgePort, 0);

    // An empty file, or one line with or without its end, is no configuration.
    for (const char* text : {"", "COM=3", "COM=3\r\n", "COM=3SPEED=4800POWER=100SWR=1ATU=0MAXBAND=7"}) {
        fake::setFile("rigvox.cfg", text);
        EXPECT_FALSE(readConfiguration()) << '"' << text << '"';
        EXPECT_EQ(catState.comPort, 3);
    }
}

TEST_F(ConfigTest, LineEndingsOfEveryKindAndExtraLines) {
    for (const std::string end : {"\r\n", "\n", "\r"}) {
        auto lines = typicalLines();
        lines.push_back("EXTRA=99");
        lines.push_back("COM=44");
        fake::setFile("rigvox.cfg", joined(lines, end));
        ASSERT_TRUE(readConfiguration());
        EXPECT_EQ(catState.comPort, 12);
        EXPECT_EQ(catState.baudRate, 9600);
        EXPECT_EQ(radioState.txPower, 150);
        EXPECT_EQ(catState.bridgePort, 7);
        EXPECT_EQ(catState.debugLog, 1);
    }
    // The last line needs no line end.
    std::string text = joined(typicalLines());
    text.resize(text.size() - 2);
    fake::setFile("rigvox.cfg", text);
    ASSERT_TRUE(readConfiguration());
    EXPECT_EQ(catState.debugLog, 1);
}

TEST_F(ConfigTest, OverlongLinesAreCutToTheTextCapacity) {
    // A 300-character speed line is read as its first 255 characters: a
    // number far too big, held at the 32-bit limit, not a crash.
    ASSERT_TRUE(readWithLine(2, "SPEED=" + std::string(294, '9')));
    EXPECT_EQ(catState.baudRate, 2147483647);
}

TEST_F(ConfigTest, StartValuesKeepTheConfiguration) {
    fake::setFile("rigvox.cfg", joined(typicalLines()));
    ASSERT_TRUE(readConfiguration());
    radioState.afGain = 3;
    resetStartValues();
    EXPECT_EQ(radioState.afGain, 50);
    EXPECT_EQ(catState.comPort, 12);
    EXPECT_EQ(catState.baudRate, 9600);
    EXPECT_EQ(radioState.txPower, 150);
    EXPECT_EQ(radioState.powerCeiling, 150);
    EXPECT_EQ(radioState.bandCoverage, "7");
    EXPECT_EQ(catState.bridgePort, 7);
    EXPECT_EQ(catState.debugLog, 1);
}

TEST_F(ConfigTest, TheShippedSampleReadsAsDocumented) {
    // The sample installed as share/rigvox/rigvox.cfg and used by the demo.
    const std::string source = __FILE__;
    std::ifstream in(source.substr(0, source.rfind("tests/unit/")) + "tools/sample-rigvox.cfg", std::ios::binary);
    ASSERT_TRUE(in) << "tools/sample-rigvox.cfg not found";
    std::ostringstream text;
    text << in.rdbuf();
    fake::setFile("rigvox.cfg", text.str());
    ASSERT_TRUE(readConfiguration());
    EXPECT_EQ(catState.comPort, 1);
    EXPECT_EQ(catState.baudRate, 9600);
    EXPECT_EQ(radioState.txPower, 100);
    EXPECT_EQ(radioState.powerCeiling, 100);
    EXPECT_EQ(radioState.swrSpeech, 1);
    EXPECT_EQ(radioState.tunerMode, 0);
    EXPECT_EQ(radioState.bandCoverage, "7");
    EXPECT_EQ(radioState.powerSwitching, 0);
    EXPECT_EQ(catState.bridgePort, 0);
    EXPECT_EQ(catState.debugLog, 0);
    EXPECT_EQ(netState.rigctldPort, 4532);
    EXPECT_EQ(netState.rigctldAddress, "127.0.0.1");
    EXPECT_EQ(radioState.txLimitSeconds, 180);
    EXPECT_EQ(sessionState.announceLevel, kAnnounceRadio);
    EXPECT_EQ(programState.configNotes, "");
}

TEST_F(ConfigTest, OptionalLinesNameTheNetworkPortTheTransmitLimitTheVoiceAndTheAnnouncementLevel) {
    struct Case { const char* line; int port; const char* address; int localOnly = 0; };
    for (const Case& c : {
             Case{"RIGCTLD=4532", 4532, "127.0.0.1"},         // loopback only
             Case{"rigctld=4532 ", 4532, "127.0.0.1"},
             // Beyond this computer only with RIGCTLD_ALLOW (below).
             Case{"RIGCTLD=192.168.1.5:4533", 4533, "127.0.0.1", 1},
             Case{"RIGCTLD=[::]:4533", 4533, "::1", 1},
             Case{"RIGCTLD=127.0.0.2:4533", 4533, "127.0.0.2"},
             Case{"RIGCTLD=[::1]:65535", 65535, "::1"},
             Case{"RIGCTLD=0", 0, "127.0.0.1"},               // no port
             Case{"", 0, "127.0.0.1"},
             Case{"RIGCTLD=65536", -1, "127.0.0.1"},          // not understood: no port
             Case{"RIGCTLD=:4532", -1, "127.0.0.1"},
             Case{"RIGCTLD=45x", -1, "127.0.0.1"},
             Case{"PORT=4532", 0, "127.0.0.1"},               // not known: skipped
         }) {
        auto lines = typicalLines();
        lines.push_back(c.line);
        fake::setFile("rigvox.cfg", joined(lines));
        ASSERT_TRUE(readConfiguration());
        EXPECT_EQ(netState.rigctldPort, c.port) << '"' << c.line << '"';
        EXPECT_EQ(netState.rigctldAddress, c.address) << '"' << c.line << '"';
        EXPECT_EQ(programState.netPortLocalOnly, c.localOnly) << '"' << c.line << '"';
        EXPECT_EQ(programState.badConfigLineCount, c.port < 0 || c.line == std::string("PORT=4532") ? 1 : 0) << c.line;
        EXPECT_EQ(catState.debugLog, 1);  // the nine lines read as before
    }
    // With the clients named the address stands; a list that does not read
    // is noted, and keeps the port to this computer.
    struct Allowed { const char* line; const char* address; const char* allow; int localOnly; };
    for (const Allowed& c : {
             Allowed{"RIGCTLD_ALLOW=192.168.1.0/24, fd00::/8", "0.0.0.0", "192.168.1.0/24, fd00::/8", 0},
             Allowed{"rigctld_allow=10.1.2.3", "0.0.0.0", "10.1.2.3", 0},
             Allowed{"RIGCTLD_ALLOW=192.168.1.0/33", "127.0.0.1", "", 1},
             Allowed{"RIGCTLD_ALLOW=", "127.0.0.1", "", 1},
             Allowed{"RIGCTLD_ALLOW=everyone", "127.0.0.1", "", 1},
         }) {
        auto lines = typicalLines();
        lines.push_back(c.line);
        lines.push_back("RIGCTLD=0.0.0.0:4532");
        fake::setFile("rigvox.cfg", joined(lines));
        ASSERT_TRUE(readConfiguration());
        EXPECT_EQ(netState.rigctldAddress, c.address) << c.line;
        EXPECT_EQ(netState.rigctldAllow, c.allow) << c.line;
        EXPECT_EQ(programState.netPortLocalOnly, c.localOnly) << c.line;
        EXPECT_EQ(programState.badConfigLineCount, c.localOnly) << c.line;  // line 10 when the list is bad
        EXPECT_EQ(programState.configNotes.find("listening on 127.0.0.1 only") != std::string::npos, c.localOnly == 1);
    }
    // Nine lines: no port, the default limit, changes at the radio announced.
    fake::setFile("rigvox.cfg", joined(typicalLines()));
    ASSERT_TRUE(readConfiguration());
    EXPECT_EQ(netState.rigctldPort, 0);
    EXPECT_EQ(radioState.txLimitSeconds, 180);
    EXPECT_EQ(sessionState.announceLevel, kAnnounceRadio);

    // The transmit limit and the announcement level, before or after the
    // port; a bad value keeps the default and is noted for the debug log,
    // as is an unknown line.
    struct Optional { const char* line; int seconds; int level; bool noted; };
    const int radio = kAnnounceRadio;
    int row = 0;
    for (const Optional& c : {
             Optional{"TXLIMIT=2", 2, radio, false}, Optional{"txlimit=0 ", 0, radio, false},
             Optional{"TXLIMIT=86400", 86400, radio, false}, Optional{"TXLIMIT=86401", 180, radio, true},
             Optional{"TXLIMIT=-5", 180, radio, true}, Optional{"TXLIMIT=", 180, radio, true},
             Optional{"TXLIMIT=2s", 180, radio, true}, Optional{"TX LIMIT=2", 180, radio, true},
             Optional{"ANNOUNCE=quiet", 180, kAnnounceQuiet, false}, Optional{"announce=All ", 180, kAnnounceAll, false},
             Optional{"ANNOUNCE=radio", 180, radio, false}, Optional{"ANNOUNCE=loud", 180, radio, true},
             Optional{"ANNOUNCE=", 180, radio, true}, Optional{"ANNOUNCE=quiet all", 180, radio, true},
             Optional{"ANNOUNCE quiet", 180, radio, true},
         }) {
        auto lines = typicalLines();
        lines.push_back(++row % 2 == 0 ? c.line : "RIGCTLD=4533");
        lines.push_back(row % 2 == 0 ? "RIGCTLD=4533" : c.line);
        fake::setFile("rigvox.cfg", joined(lines));
        ASSERT_TRUE(readConfiguration());
        EXPECT_EQ(radioState.txLimitSeconds, c.seconds) << '"' << c.line << '"';
        EXPECT_EQ(sessionState.announceLevel, c.level) << '"' << c.line << '"';
        EXPECT_EQ(netState.rigctldPort, 4533) << '"' << c.line << '"';
        EXPECT_EQ(programState.configNotes.find(c.line) != std::string::npos, c.noted) << '"' << c.line << '"';
        ASSERT_EQ(programState.badConfigLineCount, c.noted ? 1 : 0) << '"' << c.line << '"';
        if (c.noted) EXPECT_EQ(programState.badConfigLines[0], row % 2 == 0 ? 10 : 11) << '"' << c.line << '"';
    }

    // A second line of a name counts for nothing: the first stands.
    for (const auto& optional : {std::vector<std::string>{"TXLIMIT=60", "RIGCTLD=4532", "TXLIMIT=0"},
                                 std::vector<std::string>{"TXLIMIT=60", "RIGCTLD=4532", "txlimit=abc", "RIGCTLD=0"}}) {
        auto lines = typicalLines();
        lines.insert(lines.end(), optional.begin(), optional.end());
        fake::setFile("rigvox.cfg", joined(lines));
        ASSERT_TRUE(readConfiguration());
        EXPECT_EQ(radioState.txLimitSeconds, 60);
        EXPECT_EQ(netState.rigctldPort, 4532);
        EXPECT_EQ(programState.badConfigLineCount, static_cast<int>(optional.size()) - 2);
        EXPECT_EQ(programState.badConfigLines[0], 12);
    }

    struct VoiceCase { const char* line; int voice; int braille; bool noted; };
    for (const VoiceCase& c : {
             VoiceCase{"VOICE=system", kVoiceSystem, 0, false},
             VoiceCase{"voice=System\t", kVoiceSystem, 0, false},
             VoiceCase{"VOICE=prompts", kVoicePrompts, 0, false},
             VoiceCase{"VOICE=screenreader", kVoiceScreenReader, 0, false},
             VoiceCase{"VOICE=robot", kVoiceUnknown, 0, true},  // not understood: the prompts
             VoiceCase{"VOICE=", kVoiceUnknown, 0, true},
             VoiceCase{"BRAILLE=on", kVoicePrompts, 1, false},
             VoiceCase{"braille=ON ", kVoicePrompts, 1, false},
             VoiceCase{"BRAILLE=off", kVoicePrompts, 0, false},
             VoiceCase{"BRAILLE=yes", kVoicePrompts, 0, true},
         }) {
        auto lines = typicalLines();
        lines.push_back(c.line);
        fake::setFile("rigvox.cfg", joined(lines));
        ASSERT_TRUE(readConfiguration());
        EXPECT_EQ(speechState.voiceChoice, c.voice) << '"' << c.line << '"';
        EXPECT_EQ(speechState.brailleChoice, c.braille) << '"' << c.line << '"';
        EXPECT_EQ(programState.configNotes.find(c.line) != std::string::npos, c.noted) << '"' << c.line << '"';
    }

    // Either order, blank lines between, and a line naming nothing known kept
    // for the debug log without touching the others.
    for (const auto& optional : {std::vector<std::string>{"VOICE=system", "", "PORT=4533", "RIGCTLD=4532", "X"},
                                 std::vector<std::string>{"RIGCTLD=4532", "PORT=4533", "VOICE=system", "X"}}) {
        auto lines = typicalLines();
        lines.insert(lines.end(), optional.begin(), optional.end());
        fake::setFile("rigvox.cfg", joined(lines));
        ASSERT_TRUE(readConfiguration());
        EXPECT_EQ(netState.rigctldPort, 4532);
        EXPECT_EQ(speechState.voiceChoice, kVoiceSystem);
        EXPECT_NE(programState.configNotes.find("PORT=4533"), std::string::npos);
    }

    // The start values keep the announcement level.
    auto lines = typicalLines();
    lines.push_back("ANNOUNCE=all");
    fake::setFile("rigvox.cfg", joined(lines));
    ASSERT_TRUE(readConfiguration());
    resetStartValues();
    EXPECT_EQ(sessionState.announceLevel, kAnnounceAll);
}
