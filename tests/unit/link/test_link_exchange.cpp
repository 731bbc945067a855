// Sending, the exchange with the radio, the reply splitter and pickers, and the debug log.
#include <string>
#include <utility>
#include <vector>

#include "link/exchange.h"
#include "link/serial_port.h"
#include "test_cat_radio.h"

namespace {

using cattest::kRadioPort;

class ExchangeTest : public cattest::ScriptedRadioTest {
protected:
    static void send(const std::string& command) { sendText(command); }
};

// 1. Framing and the copy of frequency-setting commands, to either VFO.
TEST_F(ExchangeTest, SendCommandFramesAndKeepsTheFrequencyCommand) {
    send("MD3");
    EXPECT_EQ(fake::takeWritten(kRadioPort), "MD3;");
    EXPECT_EQ(catState.lastCommand, "MD3;");
    EXPECT_EQ(catState.lastFreqCmd, "");

    send("FA00014200000");
    EXPECT_EQ(fake::takeWritten(kRadioPort), "FA00014200000;");
    EXPECT_EQ(catState.lastFreqCmd, "FA00014200000;");

    send("FB00007100000");
    EXPECT_EQ(fake::takeWritten(kRadioPort), "FB00007100000;");
    EXPECT_EQ(catState.lastCommand, "FB00007100000;");
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

// 2. The radio's bytes are taken once, never more than 255 at a time.
TEST_F(ExchangeTest, TakeRadioBytesTakesWhatIsWaiting) {
    EXPECT_EQ(takeRadioBytes(), "");
    fake::feed(kRadioPort, "AG0120;");
    EXPECT_EQ(takeRadioBytes(), "AG0120;");
    EXPECT_EQ(takeRadioBytes(), "");

    fake::feed(kRadioPort, std::string(300, 'A'));
    EXPECT_EQ(takeRadioBytes().size(), 255u);
    EXPECT_EQ(takeRadioBytes().size(), 45u);
}

// The exchange: what the caller gets back, what the poll is left to
// collect, and how long the pause ("delay", 100 ms here) lasts.
TEST_F(ExchangeTest, ExchangeOutcomes) {
    struct Case {
        const char* name;
        const char* command;
        const char* radioSays;  // the radio's whole reply to the command ("" silent)
        bool portTakes;         // false: the write fails (the port has gone)
        int pollAwaiting;       // pollAwaitingReply when the command goes out
        AnswerStatus status;
        const char* answer;     // the caller's answer text
        const char* forPoll;    // left on the link for the poll's collection
        int pauseMs;
    } cases[] = {
        {"answer", "AG0", "AG0120;", true, 0, AnswerStatus::kAnswered, "AG0120;", "", 0},
        {"poll answer met on the way", "AG0", "SM00005;AG0120;", true, 1, AnswerStatus::kAnswered, "AG0120;",
         "SM00005;", 0},
        {"stray answer, poll not waiting", "AG0", "SM00005;AG0120;", true, 0, AnswerStatus::kAnswered,
         "AG0120;", "", 0},
        {"earlier answer with the same letters is the poll's", "FA", "FA00007000000;FA00007100000;", true, 1,
         AnswerStatus::kAnswered, "FA00007100000;", "FA00007000000;", 0},
        {"refused", "KY", "?;", true, 0, AnswerStatus::kRefused, "", "", 100},
        {"refused, poll answer kept", "KY", "FA00007000000;?;", true, 1, AnswerStatus::kRefused, "",
         "FA00007000000;", 100},
        {"no answer", "AG0", "", true, 0, AnswerStatus::kNoAnswer, "", "", 100},
        {"answer cut short", "AG0", "AG01", true, 1, AnswerStatus::kNoAnswer, "", "AG01", 100},
        {"failed write", "AG0", "AG0120;", false, 0, AnswerStatus::kWriteFailed, "", "", 100},
    };
    fake::state().wavMs["wave/delay.wav"] = 100;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        radio.answers.clear();
        radio.answers[std::string(c.command) + ";"] = c.radioSays;
        catState.pollAwaitingReply = c.pollAwaiting;
        fake::state().ports[kRadioPort].open = c.portTakes;
        const auto start = fake::state().nowMs;
        const RadioAnswer got = exchangeWithRadio(c.command);
        fake::state().ports[kRadioPort].open = true;
        EXPECT_EQ(got.status, c.status);
        EXPECT_EQ(got.answered(), c.status == AnswerStatus::kAnswered);
        EXPECT_EQ(got.text, c.answer);
        EXPECT_EQ(got.heard, c.portTakes && *c.radioSays != 0);
        EXPECT_EQ(fake::state().nowMs - start, c.pauseMs);
        EXPECT_EQ(fake::takePrompts(), Prompts({"delay"}));  // every exchange names its pause
        EXPECT_EQ(takeRadioBytes(), c.forPoll);
        EXPECT_EQ(catState.awaitedLetters, "");  // nothing left set, whatever the outcome
    }
    // Several answers at once (every meter): the last pieces led by the letters.
    radio.answers["RM;"] = "RM10003;RM20004;RM30005;";
    EXPECT_EQ(exchangeWithRadio("RM", "RM", 2).text, "RM20004;RM30005;");
}

// The reply pause ("delay", 100 ms here) ends when this command's answer is
// complete, never on another answer (nor on one waiting before it was
// sent), and otherwise lasts its whole length.
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
        const RadioAnswer got = exchangeWithRadio("AG0");
        EXPECT_EQ(fake::state().nowMs - start, c.pauseMs);
        EXPECT_EQ(replyValue(got.text, "AG", 3, 3, 80), c.pauseMs < 100 ? 120 : 80);
        EXPECT_EQ(fake::takePrompts(), Prompts({"delay"}));
        fake::advance(200);
        takeRadioBytes();
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
    std::string reply = "SM00014;AG0120;";
    EXPECT_EQ(replyValue(reply, "AG", 3, 3, 80), 120);  // another answer stands before it
    std::string field;
    EXPECT_TRUE(replyField(reply, "AG", 3, 3, field));
    EXPECT_EQ(field, "120");
    EXPECT_TRUE(replyField(reply, "SM", 5, 2, field));
    EXPECT_EQ(field, "14");

    reply = "AG01";  // field partly past the end: the piece that exists
    EXPECT_TRUE(replyField(reply, "AG", 3, 3, field));
    EXPECT_EQ(field, "1");
    EXPECT_EQ(replyValue(reply, "AG", 3, 3, 80), 1);

    reply = "ID020;";
    EXPECT_EQ(replyValue(reply, "ID", 2, 3, 23), 20);
    EXPECT_EQ(replyValue(reply, "AG", 3, 3, 80), 80);  // letters absent
    EXPECT_FALSE(replyField(reply, "AG", 3, 3, field));
    EXPECT_EQ(field, "");

    reply = "AG0";  // nothing after the letters
    EXPECT_TRUE(replyField(reply, "AG", 3, 3, field));
    EXPECT_EQ(field, "");
    EXPECT_EQ(replyValue(reply, "AG", 3, 3, 80), 80);

    reply = "AG0?;";  // garbled answer
    EXPECT_EQ(replyValue(reply, "AG", 3, 3, 80), 80);
    int value = 7;
    EXPECT_FALSE(replyNumber(reply, "AG", 3, 3, value));
    EXPECT_EQ(value, 7);

    EXPECT_EQ(replyValue("", "AG", 3, 3, -1), -1);
    EXPECT_EQ(replyValue("", "", 0, 3, 5), 5);
}

// The splitter: whole answers with their ";", then the rest still coming.
TEST_F(ExchangeTest, SplitterAndAnswerLedBy) {
    const std::string text = "FA00007100000;;SM0";
    std::size_t at = 0;
    AnswerPiece piece;
    std::vector<std::pair<std::string, bool>> pieces;
    while (nextAnswer(text, at, piece)) pieces.emplace_back(std::string(piece.text), piece.whole);
    EXPECT_EQ(pieces, (std::vector<std::pair<std::string, bool>>{
                          {"FA00007100000;", true}, {";", true}, {"SM0", false}}));
    EXPECT_EQ(answerLedBy("ID020;FA00007100000;", "FA"), "FA00007100000;");
    EXPECT_EQ(answerLedBy("XFA1;", "FA"), "");  // not at an answer's start
    EXPECT_EQ(answerLedBy("FA0000", "FA"), "");  // not complete yet
    EXPECT_TRUE(holdsAnswer("SM1;MD2;", "MD"));
    EXPECT_FALSE(holdsAnswer("SM1;MD2", "MD"));
    EXPECT_FALSE(holdsAnswer("SM1;", ""));
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

    radio.answers["FA;"] = "FA00007100000;";
    exchangeWithRadio("FA");
    exchangeWithRadio("SM0");  // nothing came: no "RX=" line
    debugLine("*F1");
    closeDebugLog();
    EXPECT_EQ(catState.debugFile, 0);
    send("SM0");  // after closing nothing more is written
    EXPECT_EQ(fake::fileContent("debug.dat"),
              "RIGVOX 3.4a  07-12-2026   09:05:03\r\n"
              "Comport= 1  Speed= 9600 Baud\r\n"
              "TX=FA;\r\n"
              "RX=FA00007100000;\r\n"
              "TX=SM0;\r\n"
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
