// The offline simulator: canned answers to reads and to the poll, and its random numbers.
#include <set>
#include <string>

#include "base/text.h"
#include "link/exchange.h"
#include "link/serial_port.h"
#include "session/poll.h"
#include "session/simulator.h"
#include "test_cat_radio.h"

namespace {

class SimulatorTest : public cattest::PortsClosedTest {
protected:
    void SetUp() override {
        PortsClosedTest::SetUp();
        catState.simMode = 1;
        catState.comPort = 1;  // never opened: the simulator answers without a radio
        setSimulator(simulatedAnswer);  // as rigvox-sim starts
    }
    void TearDown() override { setSimulator(nullptr); }

    // The answer an exchange gives to command.
    static std::string answerTo(const std::string& command) { return exchangeWithRadio(command).text; }
};

// 1. Answers to exchanges, chosen by the command's first two letters.
TEST_F(SimulatorTest, ExchangeAnswers) {
    EXPECT_EQ(answerTo("AG0"), "AG090;");
    EXPECT_EQ(replyValue(answerTo("AG0"), "AG", 3, 3, 80), 90);
    EXPECT_EQ(answerTo("SQ0"), "SQ0050;");
    EXPECT_EQ(answerTo("NL"), "NL005;");
    EXPECT_EQ(answerTo("RL"), "RL08;");
    EXPECT_EQ(answerTo("ID"), "ID020;");
    EXPECT_EQ(answerTo("OM"), "OMQC;");
    EXPECT_EQ(answerTo("NR"), "NR1");
    EXPECT_EQ(answerTo("PR"), "PR1");
    EXPECT_EQ(answerTo("VX"), "VX1");
    EXPECT_EQ(answerTo("ML"), "ML009");
    EXPECT_EQ(answerTo("VN"), "VN--FW--;");
    EXPECT_EQ(answerTo("EX0120000"), "EX012000019.3;");
    EXPECT_EQ(simulatedAnswer("EX012;"), "EX012;19.3;");  // the first 9 characters, ";" included
    radioState.mode = 3;
    EXPECT_EQ(answerTo("MD"), "MD3");
    radioState.mode = 7;
    EXPECT_EQ(answerTo("MD"), "MD7");
    EXPECT_EQ(answerTo("FB"), "");
    EXPECT_EQ(answerTo("PS"), "");
    EXPECT_EQ(answerTo("A"), "");
}

TEST_F(SimulatorTest, FrequencyQueryAnswersTheFrequencySetLast) {
    EXPECT_EQ(answerTo("FA"), "");  // nothing set yet
    answerTo("FA00007100000");
    EXPECT_EQ(answerTo("FA"), "FA00007100000");
    EXPECT_EQ(catState.lastFreqCmd, "FA00007100000;");
}

TEST_F(SimulatorTest, AnswersAreLoggedLikeTheRadios) {
    catState.debugLog = 1;
    openDebugLog();
    answerTo("AG0");
    answerTo("PS");
    const std::string log = fake::fileContent("debug.dat");
    EXPECT_NE(log.find("TX=AG0;\r\nRX=AG090;\r\nTX=PS;\r\n"), std::string::npos) << log;
    EXPECT_EQ(log.find("RX=\r\n"), std::string::npos);
}

// 2. Answers the poll collects, by what was asked.
TEST_F(SimulatorTest, PollAnswers) {
    catState.lastFreqCmd = "FA00014200000;";
    catState.pollSelect = 1;
    EXPECT_EQ(simulatePollReply(), "FA00014200000;");

    catState.pollSelect = 0;
    EXPECT_EQ(simulatePollReply(), "SM00014");
    radioState.rigModel = 100;
    EXPECT_EQ(simulatePollReply(), "SM048");

    radioState.tuning = 1;
    EXPECT_EQ(simulatePollReply(), "RM10050");

    radioState.alcAnnounce = 1;
    EXPECT_EQ(simulatePollReply().rfind("RM10050;RM300", 0), 0u);
}

TEST_F(SimulatorTest, AlcDrawsCoverZeroToThirty) {
    fake::state().nowMs = 123456;
    seedSimulator();
    radioState.alcAnnounce = 1;
    std::set<int> seen;
    for (int draw = 0; draw < 3000; ++draw) {
        const std::string reply = simulatePollReply();
        ASSERT_EQ(reply.size(), 15u) << reply;
        ASSERT_EQ(leftText(reply, 13), "RM10050;RM300");
        ASSERT_TRUE(allDigits(rightText(reply, 2))) << reply;
        const int n = textInt(rightText(reply, 2));
        ASSERT_GE(n, 0);
        ASSERT_LE(n, 30);
        seen.insert(n);
    }
    EXPECT_EQ(seen.size(), 31u);  // every value, the rounded ends 0 and 30 included
}

// 3. The generator: s = s * 214013 + 2531011 (mod 2^32), fraction of bits 16..30.
TEST_F(SimulatorTest, RandomSequenceFollowsTheGenerator) {
    fake::state().nowMs = 2;  // seed 1: the well-known sequence 41, 18467, 6334, 26500, 19169
    seedSimulator();
    for (int expected : {41, 18467, 6334, 26500, 19169}) EXPECT_DOUBLE_EQ(simulatorRandom(), expected / 32768.0);

    fake::state().nowMs = 3;  // 3 / 2 is seed 1 as well
    seedSimulator();
    EXPECT_DOUBLE_EQ(simulatorRandom(), 41 / 32768.0);

    fake::state().nowMs = 0;
    seedSimulator();
    EXPECT_DOUBLE_EQ(simulatorRandom(), 38 / 32768.0);  // 2531011 >> 16
}

// 4. The poll runs on simulated answers without a port.
TEST_F(SimulatorTest, PollCollectsSimulatedAnswers) {
    catState.debugLog = 1;
    openDebugLog();
    sessionState.connected = 1;
    catState.lastFreqCmd = "FA00007100000;";
    pollTick();  // asks for the frequency
    pollTick();  // collects the frequency, asks for the S-meter
    pollTick();  // collects the S-meter
    EXPECT_EQ(sessionState.silentPolls, 0);
    EXPECT_EQ(sessionState.connected, 1);
    const std::string log = fake::fileContent("debug.dat");
    EXPECT_NE(log.find("TX=FA;\r\nRX=FA00007100000;\r\nTX=SM0;\r\nRX=SM00014\r\nTX=FA;\r\n"), std::string::npos)
        << log;
}

// 5. A simulated run connects on its first poll answer: the frequency set at
// start is answered back, the reduced radio's short state query runs on the
// canned answers and "connected" is spoken.
TEST_F(SimulatorTest, FirstPollAnswerConnectsTheReducedRadio) {
    radioState.rigModel = 100;  // what "ID020;" and "OMQC;" make of every simulated run
    sessionState.modelAnswered = 1;
    sendText("FA00007100000");  // the frequency command of the start
    pollTick();  // asks for the frequency
    EXPECT_EQ(sessionState.connected, 0);
    pollTick();  // the answer runs the state query
    EXPECT_EQ(sessionState.connected, 1);
    EXPECT_EQ(radioState.afGain, 90);  // "AG090;"
    EXPECT_EQ(radioState.rfGain, 40);
    EXPECT_EQ(fake::takePrompts(), (Prompts{"7", "point", "1", "mhz", "lsb", "delay", "connected"}));
    EXPECT_EQ(catState.lastCommand, "SM;");  // and the poll goes on with the reduced radio's S-meter
}

}  // namespace
