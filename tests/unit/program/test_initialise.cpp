// The initialisation sequence: what goes to the radio, in what order, and the
// state it leaves for the message loop.
#include <string>
#include <vector>

#include "base/text.h"
#include "program/initialise.h"
#include "test_support.h"

namespace {

constexpr int kPort = 1;

// A memory file as the program writes it: header with the band character,
// the 14 band records (the factory ones unless replaced), 100 empty channels.
std::string memoryFile(int band, int replacedBand = 0, const std::string& record = "") {
    std::string text = "RIGVOX v3.2b   3.4a";
    if (band > 0) text += std::string(" ") + static_cast<char>(48 + band);
    text += "\r\n";
    for (int b = 1; b <= 14; ++b) text += (b == replacedBand ? record : kFactoryBandRecords[b]) + std::string("\r\n");
    for (int c = 0; c < 100; ++c) text += "9\r\n";
    return text;
}

// The commands written to the radio port, split at their ";".
std::vector<std::string> commandsOn(int port) {
    std::vector<std::string> commands;
    std::string bytes = fake::takeWritten(port), one;
    for (char ch : bytes) {
        one += ch;
        if (ch == ';') {
            commands.push_back(one);
            one.clear();
        }
    }
    if (!one.empty()) commands.push_back(one);
    return commands;
}

using Commands = std::vector<std::string>;

class InitialiseTest : public RigvoxTest {
protected:
    void SetUp() override {
        RigvoxTest::SetUp();
        catState.comPort = kPort;
        catState.baudRate = 9600;
    }
    // A radio that answers queries from a table; anything else is silent.
    void answer(std::vector<std::pair<std::string, std::string>> table) {
        fake::state().responder = [table](int port, const std::string& bytes) {
            for (const auto& [query, reply] : table)
                if (bytes == query) fake::feed(port, reply);
        };
    }
};

}  // namespace

TEST_F(InitialiseTest, FirstRunWithoutMemoryFileOrRadio) {
    initialiseProgram();
    // Receive first (a killed run may have left the radio keyed), 7.1 MHz
    // of the 40 m record, the model query, LSB with its filter (the
    // mode command of the record), and no tone.
    EXPECT_EQ(commandsOn(kPort), (Commands{"RX;", "FA00007100000;", "ID;", "MD1;", "SH07;", "CT0;"}));
    const auto& R = radioState;
    EXPECT_EQ(radioState.rigModel, 23);
    EXPECT_EQ(R.band, 4);
    EXPECT_EQ(R.freqHz, 7100000);
    EXPECT_EQ(R.mode, 1);
    EXPECT_EQ(R.savedMode, 1);
    EXPECT_EQ(R.bandSplitFlag, 0);
    EXPECT_EQ(R.toneCode, "999");
    EXPECT_EQ(R.ctcssOn, 0);
    // Only the reply pause of the model query was spoken.
    EXPECT_EQ(fake::takePrompts(), (Prompts{"delay"}));
    // The radio port was opened with the configured speed and two stop bits.
    const auto& port = fake::state().ports[kPort];
    EXPECT_TRUE(port.open);
    EXPECT_EQ(port.baud, 9600);
    EXPECT_EQ(port.dataBits, 8);
    EXPECT_EQ(port.parity, 0);
    EXPECT_EQ(port.stopCode, 2);
    // The memory file was made from the defaults.
    EXPECT_TRUE(startsWith(fake::fileContent("savmem.dat"), "RIGVOX v3.2b   3.4a 4\r\n"));
}

TEST_F(InitialiseTest, ScreenTextsAndFont) {
    programState.workText = "credit line";
    initialiseProgram();
    const auto& texts = fake::state().texts;
    ASSERT_FALSE(texts.empty());
    // The banner comes first, in the window's default font.
    EXPECT_EQ(texts.front().x, 300);
    EXPECT_EQ(texts.front().y, 10);
    EXPECT_EQ(texts.front().text, "*** Rigvox V 3.4a ***  credit line");
    EXPECT_EQ(texts.front().points, 0);
    EXPECT_EQ(fake::textAt(190, 355),
              "b=Band  f=Freq  e=Entry m=Mode  s=Meter/SWR  Z=Zero frequency  w=Filter width p=Power");
    EXPECT_FALSE(fake::textAt(155, 380).empty());
    EXPECT_FALSE(fake::textAt(155, 405).empty());
    // Then the big font for the mode field and the frequency.
    EXPECT_EQ(fake::state().fontFace, "Ariel");
    EXPECT_EQ(fake::state().fontPoints, 50);
    EXPECT_EQ(fake::state().fontWeight, 700);
    EXPECT_EQ(fake::textAt(50, 45), "LSB ");
}

TEST_F(InitialiseTest, StartValuesReplaceWhateverWasThereButKeepTheConfiguration) {
    auto& R = radioState;
    R.afGain = 1;
    R.rfGain = 2;
    R.cwWidth = 50;
    R.toneCode = "012";
    R.ctcssOn = 1;
    R.bandTable[6] = "garbage";
    memoryState.memoryChannels[5] = "something";
    memoryState.recalledBank = 3;
    keysState.adjustTarget = 9;
    sessionState.connected = 1;
    catState.lastFreqReply = "FA00014000000";
    R.txPower = 50;
    R.powerCeiling = 100;
    radioState.bandCoverage = "6";
    initialiseProgram();
    EXPECT_EQ(R.afGain, 50);
    EXPECT_EQ(R.rfGain, 255);
    EXPECT_EQ(R.cwWidth, 600);
    EXPECT_EQ(R.keyerSpeed, 15);
    EXPECT_EQ(R.squelchLevel, 60);
    EXPECT_EQ(R.alcValue, -1);
    EXPECT_EQ(R.freqMHz, 999);
    EXPECT_EQ(R.monitorLevel, "000");
    EXPECT_EQ(R.toneCode, "999");
    EXPECT_EQ(R.ctcssOn, 0);
    EXPECT_EQ(R.bandTable[6], kFactoryBandRecords[6]);
    EXPECT_EQ(memoryState.memoryChannels[5], "9");
    EXPECT_EQ(memoryState.recalledBank, 99);
    EXPECT_EQ(keysState.adjustTarget, 0);
    EXPECT_EQ(sessionState.connected, 0);
    EXPECT_EQ(catState.lastFreqReply, "");
    EXPECT_EQ(R.txPower, 50);
    EXPECT_EQ(R.powerCeiling, 100);
    EXPECT_EQ(radioState.bandCoverage, "6");
    EXPECT_EQ(catState.comPort, kPort);
}

TEST_F(InitialiseTest, TheSavedBandIsTuned) {
    struct Case { int band; const char* command; int hz; };
    for (const Case& c : {
             Case{6, "FA00014200000;", 14200000},
             Case{1, "FA00001900000;", 1900000},
             Case{12, "FA00145000000;", 145000000},
             Case{14, "FA00009600000;", 9600000},
         }) {
        fake::reset();
        resetState();
        catState.comPort = kPort;
        catState.baudRate = 9600;
        fake::setFile("savmem.dat", memoryFile(c.band));
        initialiseProgram();
        const auto commands = commandsOn(kPort);
        ASSERT_GE(commands.size(), 2u);
        ASSERT_FALSE(commands.empty());
        EXPECT_EQ(commands[1], c.command);  // after the receive command
        EXPECT_EQ(radioState.band, c.band);
        EXPECT_EQ(radioState.freqHz, c.hz);
    }
}

TEST_F(InitialiseTest, ARecordWithoutToneSendsCt0) {
    fake::setFile("savmem.dat", memoryFile(4, 4, "02A00007050000B000071000009991"));
    initialiseProgram();
    EXPECT_EQ(commandsOn(kPort), (Commands{"RX;", "FA00007050000;", "ID;", "MD2;", "SH07;", "CT0;"}));
    EXPECT_EQ(radioState.toneCode, "999");
    EXPECT_EQ(radioState.ctcssOn, 0);
}

TEST_F(InitialiseTest, ToneBelow42SendsTnAndCn) {
    fake::setFile("savmem.dat", memoryFile(4, 4, "01A00007100000B000071000000120"));
    initialiseProgram();
    EXPECT_EQ(commandsOn(kPort), (Commands{"RX;", "FA00007100000;", "ID;", "MD1;", "SH07;", "TN12;", "CN12;", "CT1;"}));
    EXPECT_EQ(radioState.toneCode, "012");
    EXPECT_EQ(radioState.ctcssOn, 1);
}

TEST_F(InitialiseTest, ToneFrom42OnSendsTnOnly) {
    for (const char* tone : {"042", "050"}) {
        fake::reset();
        resetState();
        catState.comPort = kPort;
        catState.baudRate = 9600;
        fake::setFile("savmem.dat", memoryFile(4, 4, std::string("01A00007100000B00007100000") + tone + "0"));
        initialiseProgram();
        const std::string number = std::string(tone).substr(1);
        EXPECT_EQ(commandsOn(kPort),
                  (Commands{"RX;", "FA00007100000;", "ID;", "MD1;", "SH07;", "TN" + number + ";", "CT1;"}));
        EXPECT_EQ(radioState.toneCode, tone);
    }
}

TEST_F(InitialiseTest, SplitFlagAndModeComeFromTheRecord) {
    fake::setFile("savmem.dat", memoryFile(5, 5, "13A00010110000B000101200009990"));
    initialiseProgram();
    EXPECT_EQ(radioState.band, 5);
    EXPECT_EQ(radioState.bandSplitFlag, 1);
    EXPECT_EQ(radioState.mode, 3);
    EXPECT_EQ(radioState.savedMode, 3);
    // Only VFO A is tuned here; split is restored at the first poll answer.
    EXPECT_EQ(commandsOn(kPort), (Commands{"RX;", "FA00010110000;", "ID;", "MD3;", "FW0600;", "CT0;"}));
}

TEST_F(InitialiseTest, PowerSwitchingWakesTheRadioFirstThenWaitsSixPauses) {
    radioState.powerSwitching = 1;
    // Count the prompts played before each command goes out.
    std::vector<std::pair<std::string, std::size_t>> sent;
    fake::state().responder = [&sent](int, const std::string& bytes) {
        sent.emplace_back(bytes, fake::state().prompts.size());
    };
    initialiseProgram();
    ASSERT_GE(sent.size(), 3u);
    ASSERT_GE(sent.size(), 4u);
    EXPECT_EQ(sent[0], (std::pair<std::string, std::size_t>{"RX;", 0}));
    EXPECT_EQ(sent[1], (std::pair<std::string, std::size_t>{"Poweron;", 0}));
    EXPECT_EQ(sent[2], (std::pair<std::string, std::size_t>{"PS1;", 1}));
    EXPECT_EQ(sent[3], (std::pair<std::string, std::size_t>{"FA00007100000;", 7}));
    EXPECT_EQ(fake::takePrompts(), Prompts(8, "delay"));  // 1 + 6 + the model query's
}

TEST_F(InitialiseTest, PowerSwitchingOffSendsNoPowerCommands) {
    radioState.powerSwitching = 2;  // only 1 switches
    initialiseProgram();
    for (const auto& command : commandsOn(kPort)) {
        EXPECT_NE(command, "Poweron;");
        EXPECT_NE(command, "PS1;");
    }
}

TEST_F(InitialiseTest, ModelComesFromTheIdAnswer) {
    struct Case { const char* reply; int model; };
    for (const Case& c : {
             Case{"ID019;", 19},
             Case{"ID024;", 24},
             Case{"SM00005;ID019;", 19},  // another answer before it
             Case{"?;", 23},              // an error answer is no answer
             Case{"", 23},
         }) {
        fake::reset();
        resetState();
        catState.comPort = kPort;
        catState.baudRate = 9600;
        answer({{"ID;", c.reply}});
        initialiseProgram();
        EXPECT_EQ(radioState.rigModel, c.model) << c.reply;
        EXPECT_EQ(commandsOn(kPort).back(), "CT0;") << c.reply;
    }
}

TEST_F(InitialiseTest, Model20AnsweringQcIsTheReducedRadio) {
    answer({{"ID;", "ID020;"}, {"OM;", "OMQC;"}});
    fake::setFile("savmem.dat", memoryFile(4, 4, "01A00007100000B000071000000120"));
    initialiseProgram();
    EXPECT_EQ(radioState.rigModel, 100);
    // No filter command on the reduced radio, its version asked, and no tone
    // command even though the record holds a tone.
    EXPECT_EQ(commandsOn(kPort), (Commands{"RX;", "FA00007100000;", "ID;", "OM;", "MD1;", "VN;"}));
    EXPECT_EQ(radioState.ctcssOn, 0);
    EXPECT_EQ(fake::takePrompts(), Prompts(3, "delay"));
}

TEST_F(InitialiseTest, Model20WithAnotherOmAnswerStays20) {
    for (const char* om : {"OMQ;", "OMXC;", "", "QC;"}) {
        fake::reset();
        resetState();
        catState.comPort = kPort;
        catState.baudRate = 9600;
        answer({{"ID;", "ID020;"}, {"OM;", om}});
        initialiseProgram();
        EXPECT_EQ(radioState.rigModel, 20) << om;
        EXPECT_EQ(commandsOn(kPort), (Commands{"RX;", "FA00007100000;", "ID;", "OM;", "MD1;", "SH07;", "CT0;"})) << om;
    }
}

TEST_F(InitialiseTest, PortThatWillNotOpenStillRunsToTheEnd) {
    fake::state().ports[kPort].openable = false;
    radioState.powerSwitching = 1;
    initialiseProgram();
    EXPECT_EQ(fake::takeWritten(kPort), "");
    EXPECT_EQ(radioState.rigModel, 23);
    EXPECT_EQ(fake::takePrompts(), Prompts(8, "delay"));
    EXPECT_EQ(radioState.freqHz, 7100000);
}

TEST_F(InitialiseTest, DebugLogGetsItsHeaderThenTheCommands) {
    catState.debugLog = 1;
    catState.comPort = 5;
    initialiseProgram();
    const std::string log = fake::fileContent("debug.dat");
    EXPECT_TRUE(startsWith(log,
                           "RIGVOX 3.4a  07-12-2026   09:05:03\r\n"
                           "Comport= 5  Speed= 9600 Baud\r\n"
                           "TX=RX;\r\n"
                           "TX=FA00007100000;\r\n"
                           "TX=ID;\r\n"))
        << log;
}

TEST_F(InitialiseTest, NoDebugLogUnlessLineNineIsOne) {
    catState.debugLog = 0;
    initialiseProgram();
    EXPECT_FALSE(fake::hasFile("debug.dat"));
}

TEST_F(InitialiseTest, HeaderWithoutBandCharacterStartsOn40m) {
    std::string file = memoryFile(0);
    fake::setFile("savmem.dat", file);
    initialiseProgram();
    EXPECT_EQ(radioState.band, 4);
    EXPECT_EQ(commandsOn(kPort)[1], "FA00007100000;");
}

TEST_F(InitialiseTest, BandBeyondTheTableFromABadFileStartsOn40m) {
    // "?" is band 15, which no table slot holds.
    std::string file = memoryFile(4);
    file[20] = '?';
    fake::setFile("savmem.dat", file);
    initialiseProgram();
    EXPECT_EQ(radioState.band, 4);
    EXPECT_EQ(commandsOn(kPort)[1], "FA00007100000;");
}

TEST_F(InitialiseTest, DamagedRecordOfTheCurrentBandFallsBackToItsFactoryRecord) {
    for (const char* bad : {"", "01A0000710", "01X00007100000B000071000009990", "01A0000710000xB000071000009990",
                            "01A00007100000B000071000009990EXTRA"}) {
        fake::reset();
        resetState();
        catState.comPort = kPort;
        catState.baudRate = 9600;
        fake::setFile("savmem.dat", memoryFile(4, 4, bad));
        initialiseProgram();
        EXPECT_EQ(commandsOn(kPort), (Commands{"RX;", "FA00007100000;", "ID;", "MD1;", "SH07;", "CT0;"})) << bad;
        EXPECT_EQ(radioState.bandTable[4], kFactoryBandRecords[4]) << bad;
    }
}
