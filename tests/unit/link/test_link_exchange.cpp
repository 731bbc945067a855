// sendCommand, readReply, reply picking and the debug log.
#include <string>

#include "link/exchange.h"
#include "link/serial_port.h"
#include "test_cat_radio.h"

namespace {

using cattest::kRadioPort;

class ExchangeTest : public cattest::ScriptedRadioTest {
protected:
    static void send(const std::string& command) {
        catState.cmdText = command;
        sendCommand();
    }
};

// 1. Framing and the copy of frequency-setting commands, to either VFO.
TEST_F(ExchangeTest, SendCommandFramesAndKeepsTheFrequencyCommand) {
    send("MD3");
    EXPECT_EQ(fake::takeWritten(kRadioPort), "MD3;");
    EXPECT_EQ(catState.cmdText, "MD3;");
    EXPECT_EQ(catState.lastFreqCmd, "");

    send("FA00014200000");
    EXPECT_EQ(fake::takeWritten(kRadioPort), "FA00014200000;");
    EXPECT_EQ(catState.lastFreqCmd, "FA00014200000;");

    send("FB00007100000");
    EXPECT_EQ(fake::takeWritten(kRadioPort), "FB00007100000;");
    EXPECT_EQ(catState.cmdText, "FB00007100000;");
    EXPECT_EQ(catState.lastFreqCmd, "FB00007100000;");
}

TEST_F(ExchangeTest, FrequencyQueriesLeaveTheLastFrequencyCommand) {
    catState.lastFreqCmd = "FA00014200000;";
    send("FA");
    EXPECT_EQ(fake::takeWritten(kRadioPort), "FA;");
    send("FB");
    EXPECT_EQ(fake::takeWritten(kRadioPort), "FB;");
    send("FA12");  // five characters with its ";": still not a setting
    EXPECT_EQ(catState.lastFreqCmd, "FA00014200000;");
    send("FA123");
    EXPECT_EQ(catState.lastFreqCmd, "FA123;");
    send("FR0");
    EXPECT_EQ(catState.lastFreqCmd, "FA123;");
}

TEST_F(ExchangeTest, TerminatorFitsAFullCommand) {
    send(std::string(255, 'X'));
    const std::string written = fake::takeWritten(kRadioPort);
    EXPECT_EQ(written.size(), 255u);
    EXPECT_EQ(written.back(), ';');
}

// 2. readReply takes what is waiting, once, never more than 255 bytes.
TEST_F(ExchangeTest, ReadReplyTakesWhatIsWaiting) {
    catState.replyText = "old";
    readReply();
    EXPECT_EQ(catState.replyText, "");

    fake::feed(kRadioPort, "AG0120;");
    readReply();
    EXPECT_EQ(catState.replyText, "AG0120;");
    readReply();
    EXPECT_EQ(catState.replyText, "");

    fake::feed(kRadioPort, std::string(300, 'A'));
    readReply();
    EXPECT_EQ(catState.replyText.size(), 255u);
    readReply();
    EXPECT_EQ(catState.replyText.size(), 45u);
}

TEST_F(ExchangeTest, QueryRadioSendsPausesAndReads) {
    radio.answers["AG0;"] = "AG0120;";
    queryRadio("AG0");
    EXPECT_EQ(fake::takeWritten(kRadioPort), "AG0;");
    EXPECT_EQ(catState.replyText, "AG0120;");
    EXPECT_EQ(replyValue("AG", 3, 3, 80), 120);
}

// The reply pause ("delay", 100 ms here) ends when this command's answer is
// complete, never on another answer, and otherwise lasts its whole length;
// what came meanwhile is all read, so the answer is still picked.
TEST_F(ExchangeTest, ReplyPauseEndsWhenItsOwnAnswerIsComplete) {
    struct Case {
        const char* name;
        const char* before;  // already waiting when the query goes out (a late poll answer)
        const char* answer;  // the radio's answer to "AG0;", given in two pieces
        int firstMs, lastMs;  // when the two pieces arrive
        int pauseMs;          // how long the pause then lasts
    } cases[] = {
        {"answer in 10 ms", "", "AG0120;", 4, 10, 10},
        {"late poll answer waiting", "SM00005;", "AG0120;", 4, 10, 10},
        {"late poll answer arriving", "", "FA00007100000;AG0120;", 3, 12, 12},
        {"no answer", "", "", 0, 0, 100},
        {"answer too late", "", "AG0120;", 50, 150, 101},
        {"another answer only", "", "SM00005;", 5, 6, 101},
    };
    fake::state().wavMs["wave/delay.wav"] = 100;
    fake::state().responder = nullptr;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        fake::state().arrivals.clear();
        fake::state().ports[kRadioPort].incoming = c.before;
        const std::string answer = c.answer;
        const std::size_t half = answer.size() / 2;
        fake::feedAfter(kRadioPort, answer.substr(0, half), c.firstMs);
        fake::feedAfter(kRadioPort, answer.substr(half), c.lastMs);
        const auto start = fake::state().nowMs;
        queryRadio("AG0");
        EXPECT_EQ(fake::state().nowMs - start, c.pauseMs);
        EXPECT_EQ(replyValue("AG", 3, 3, 80), c.pauseMs < 100 ? 120 : 80);
        EXPECT_EQ(fake::takePrompts(), Prompts({"delay"}));
        fake::advance(200);
        readReply();
    }
}

// A setting has no answer: its pause lasts the whole length, and so does a
// pause with no command before it (the power-on and tuner pauses).
TEST_F(ExchangeTest, PausesWithoutAnAnswerLastTheirWholeLength) {
    fake::state().wavMs["wave/delay.wav"] = 100;
    radio.answers["AG0080;"] = "AG0080;";  // a radio that echoes settings
    sendText("PS1");
    waitForReply();
    EXPECT_EQ(fake::state().nowMs, 100);
    sendText("AG0080");
    waitForReply();  // ends on the echo
    waitForReply();  // waits its whole length: the echo belongs to the pause before
    EXPECT_EQ(fake::state().nowMs, 200);
    EXPECT_EQ(fake::takePrompts(), Prompts({"delay", "delay", "delay"}));
}

// 3. Reply picking: letters anywhere, fixed fields, defaults.
TEST_F(ExchangeTest, ReplyPicking) {
    catState.replyText = "SM00014;AG0120;";
    EXPECT_EQ(replyValue("AG", 3, 3, 80), 120);  // another answer stands before it
    std::string field;
    EXPECT_TRUE(replyField("AG", 3, 3, field));
    EXPECT_EQ(field, "120");
    EXPECT_TRUE(replyField("SM", 5, 2, field));
    EXPECT_EQ(field, "14");

    catState.replyText = "AG01";  // field partly past the end: the piece that exists
    EXPECT_TRUE(replyField("AG", 3, 3, field));
    EXPECT_EQ(field, "1");
    EXPECT_EQ(replyValue("AG", 3, 3, 80), 1);

    catState.replyText = "ID020;";
    EXPECT_EQ(replyValue("ID", 2, 3, 23), 20);
    EXPECT_EQ(replyValue("AG", 3, 3, 80), 80);  // letters absent
    EXPECT_FALSE(replyField("AG", 3, 3, field));
    EXPECT_EQ(field, "");

    catState.replyText = "AG0";  // nothing after the letters
    EXPECT_TRUE(replyField("AG", 3, 3, field));
    EXPECT_EQ(field, "");
    EXPECT_EQ(replyValue("AG", 3, 3, 80), 80);

    catState.replyText = "AG0?;";  // garbled answer
    EXPECT_EQ(replyValue("AG", 3, 3, 80), 80);
    int value = 7;
    EXPECT_FALSE(replyNumber("AG", 3, 3, value));
    EXPECT_EQ(value, 7);

    catState.replyText = "";
    EXPECT_EQ(replyValue("AG", 3, 3, -1), -1);
    EXPECT_EQ(replyValue("", 0, 3, 5), 5);
}

// 4. The debug log: header, one line per exchange, CR LF.
TEST_F(ExchangeTest, DebugLogLines) {
    fake::setFile("debug.dat", "an old run\r\n");
    catState.debugLog = 1;
    catState.comPort = kRadioPort;
    catState.baudRate = 9600;
    openDebugLog();  // the fake clock reads 7 Dec 2026 09:05:03
    EXPECT_GT(catState.debugFile, 0);
    EXPECT_EQ(fake::fileContent("debug.dat"),
              "RIGVOX 3.4a  07-12-2026   09:05:03\r\n"
              "Comport= 1  Speed= 9600 Baud\r\n");

    send("FA");
    fake::feed(kRadioPort, "FA00007100000;");
    readReply();
    readReply();  // nothing waiting: no line
    debugLine("*F1");
    closeDebugLog();
    EXPECT_EQ(catState.debugFile, 0);
    send("SM0");  // after closing nothing more is written
    EXPECT_EQ(fake::fileContent("debug.dat"),
              "RIGVOX 3.4a  07-12-2026   09:05:03\r\n"
              "Comport= 1  Speed= 9600 Baud\r\n"
              "TX=FA;\r\n"
              "RX=FA00007100000;\r\n"
              "*F1\r\n");
}

TEST_F(ExchangeTest, NoDebugLogUnlessSwitchedOn) {
    catState.debugLog = 0;
    openDebugLog();
    send("FA");
    EXPECT_EQ(catState.debugFile, 0);
    EXPECT_FALSE(fake::hasFile("debug.dat"));

    fake::state().unwritablePaths.insert("debug.dat");
    catState.debugLog = 1;
    openDebugLog();  // cannot be created: the program goes on without it
    EXPECT_EQ(catState.debugFile, 0);
    send("FA");
    EXPECT_EQ(fake::takeWritten(kRadioPort), "FA;FA;");
}

}  // namespace
