// The pass-through port: another program's commands forwarded to the radio and answered back.
#include <string>

#include "keys/frequency_entry.h"
#include "link/exchange.h"
#include "link/serial_port.h"
#include "radio/radio_state.h"
#include "radio/toggles.h"
#include "session/poll.h"
#include "test_cat_radio.h"

namespace {

using cattest::kBridgePort;
using cattest::kRadioPort;

class PassThroughTest : public cattest::ScriptedRadioTest {
protected:
    void SetUp() override {
        ScriptedRadioTest::SetUp();
        catState.bridgePort = kBridgePort;
        openPortSequence(kBridgePort);
        sessionState.connected = 1;
        radio.answers["FA;"] = "FA00014200000;";
        radio.answers["MD;"] = "MD2;";
        radio.answers["ID;"] = "?;";
        radio.answers["SM0;"] = "SM00005;";  // the poll's meter query, so no tick is cut short
    }
};

// 1. A command in two pieces goes out once, when its ";" arrives.
TEST_F(PassThroughTest, CommandInTwoPiecesIsSentOnTheSecondTick) {
    catState.debugLog = 1;
    openDebugLog();
    fake::feed(kBridgePort, "FA");
    servePassThrough("FA");
    EXPECT_EQ(fake::takeWritten(kRadioPort), "");
    EXPECT_EQ(catState.bridgeInbox, "FA");
    EXPECT_EQ(catState.bridgeUsed, 0);

    fake::feed(kBridgePort, ";");
    servePassThrough("FA");
    EXPECT_EQ(fake::takeWritten(kRadioPort), "FA;");
    EXPECT_EQ(fake::takeWritten(kBridgePort), "FA00014200000;");
    EXPECT_EQ(catState.bridgeUsed, 1);
    EXPECT_EQ(catState.bridgeInbox, "");
    const std::string log = fake::fileContent("debug.dat");
    EXPECT_NE(log.find("***VRX1=FA;\r\nTX=FA;\r\nRX=FA00014200000;\r\n***VTX1=FA00014200000;\r\n"),
              std::string::npos);

    servePassThrough("FA");  // nothing new: nothing sent again
    EXPECT_EQ(fake::takeWritten(kRadioPort), "");

    // While split the operator listens on VFO B: VFO A commands go there.
    radio.answers["FB;"] = "FB00014250000;";
    fake::feed(kBridgePort, "FA00014250000;FA;");
    servePassThrough("FB");
    EXPECT_EQ(fake::takeWritten(kRadioPort), "FB00014250000;FB;");
    EXPECT_EQ(fake::takeWritten(kBridgePort), "FB00014250000;");
}

// The poll follows what passes: a forwarded frequency answer is shown.
TEST_F(PassThroughTest, ForwardedFrequencyAnswerIsShown) {
    fake::feed(kBridgePort, "FA;");
    pollTick();
    EXPECT_EQ(fake::takeWritten(kBridgePort), "FA00014200000;");
    EXPECT_EQ(radioState.freqHz, 14200000);
    EXPECT_EQ(catState.lastFreqReply, "FA00014200000");
}

// 2. A mode command reaches the radio once and is not read back; the
// program's own mode, screen and status row follow it without sending the
// radio the mode it already has. The radio's digits map to the program's modes.
TEST_F(PassThroughTest, ModeCommandIsSentOnceAndTheProgramFollows) {
    fake::feed(kRadioPort, "stale;");  // would be forwarded if the command were read back
    fake::feed(kBridgePort, "MD3;");
    pollTick();
    EXPECT_EQ(cattest::takeCommands(), (std::vector<std::string>{"MD3;", "FA;"}));
    EXPECT_EQ(radioState.mode, 3);
    EXPECT_EQ(fake::textAt(50, 45), "CW   ");
    EXPECT_EQ(catState.bridgeUsed, 1);
    EXPECT_EQ(fake::takeWritten(kBridgePort), "");
    EXPECT_EQ(catState.bridgeInbox, "");

    struct Case {
        const char* command;
        int mode;
    } cases[] = {{"MD1;", 1}, {"MD2;", 2}, {"MD4;", 5}, {"MD5;", 4}, {"MD9;", 4}, {"MDX;", 4}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.command);
        fake::feed(kBridgePort, c.command);
        catState.pollAwaitingReply = 0;
        pollTick();
        EXPECT_EQ(radioState.mode, c.mode);
        EXPECT_EQ(cattest::takeCommands().front(), c.command);  // forwarded whatever the digit, once
    }
}

TEST_F(PassThroughTest, ModeQueryIsAnsweredBack) {
    radioState.mode = 3;
    fake::feed(kBridgePort, "MD;");
    servePassThrough("FA");
    EXPECT_EQ(fake::takeWritten(kRadioPort), "MD;");
    EXPECT_EQ(fake::takeWritten(kBridgePort), "MD2;");
    EXPECT_EQ(radioState.mode, 3);
}

// 3. Commands that arrive together go out together, and the answer to the
// last (a program's check after a setting) goes back; a late poll answer
// stays for the poll; an unfinished command waits for its ";".
TEST_F(PassThroughTest, CommandsThatArriveTogetherGoOutTogether) {
    radio.answers["ID;"] = "ID023;";
    fake::feed(kRadioPort, "SM00005;");
    fake::feed(kBridgePort, "FA00014074000;ID;FA");
    const PassThroughResult served = servePassThrough("FA");
    EXPECT_EQ(fake::takeWritten(kRadioPort), "FA00014074000;ID;");
    EXPECT_EQ(fake::takeWritten(kBridgePort), "ID023;");
    EXPECT_TRUE(served.answered);
    EXPECT_EQ(served.forwarded, "ID023;");
    EXPECT_EQ(catState.heldReply, "SM00005;");
    EXPECT_EQ(catState.bridgeInbox, "FA");
    fake::feed(kBridgePort, ";");
    servePassThrough("FA");
    EXPECT_EQ(fake::takeWritten(kRadioPort), "FA;");
    EXPECT_EQ(fake::takeWritten(kBridgePort), "FA00014200000;");
}

// A setting read apart from its check (the pseudo-terminal handed over the
// program's two writes one by one): the setting has no answer, so nothing
// waits for one; its check is taken as soon as it comes, within the same
// tick, and only the check's answer goes back, not a poll answer with the
// setting's letters.
TEST_F(PassThroughTest, SettingReadApartFromItsCheckIsAnsweredWithinTheTick) {
    fake::state().wavMs["wave/delay.wav"] = 100;
    radio.answers["ID;"] = "ID023;";
    struct Case {
        const char* setting;
        int checkAfterMs;
    } cases[] = {{"FA00014074000;", 1}, {"FB00007050000;", 20}, {"MD2;", 40}, {"RX;", 5}, {"AI0;", 30}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.setting);
        catState.pollAwaitingReply = 0;
        catState.pollSelect = 0;  // the poll's next query: the frequency
        fake::feed(kBridgePort, c.setting);
        fake::feedAfter(kRadioPort, "FA00014074000;", c.checkAfterMs / 2);  // late for its collection
        fake::feedAfter(kBridgePort, "ID;", c.checkAfterMs);
        const std::int64_t start = fake::state().nowMs;
        pollTick();
        EXPECT_EQ(cattest::takeCommands(), (std::vector<std::string>{c.setting, "ID;", "FA;"}));
        EXPECT_EQ(fake::takeWritten(kBridgePort), "ID023;");
        EXPECT_LT(fake::state().nowMs - start, 50);
    }
}

// Another program tuned the radio to another band: the band follows, the
// band records stay the operator's, and F (after the operator's key press)
// speaks the frequency the radio reports.
TEST_F(PassThroughTest, FrequencyReadoutAfterAnotherProgramChangedBand) {
    fake::feed(kBridgePort, "FA00014074000;");
    radio.answers["FA;"] = "FA00014074000;";
    pollTick();  // forwarded, and the poll asks the frequency
    pollTick();  // the answer: now on 20 m
    EXPECT_EQ(radioState.band, 6);
    catState.bridgeUsed = 0;  // the key press
    fake::takePrompts();
    frequencyReadout();
    const Prompts spoken = fake::takePrompts();
    ASSERT_GE(spoken.size(), 7u);
    EXPECT_EQ(Prompts(spoken.begin(), spoken.begin() + 7), (Prompts{"1", "4", "point", "0", "7", "4", "mhz"}));
    EXPECT_EQ(radioState.bandTable[6].substr(3, 11), "00014200000");  // the 20 m record as it was
}

// 4. Answers: nothing or ";" is not written back; an error answer is.
TEST_F(PassThroughTest, EmptyAnswersAreNotWrittenBack) {
    fake::feed(kBridgePort, "PS;");
    servePassThrough("FA");
    EXPECT_EQ(fake::takeWritten(kRadioPort), "PS;");
    EXPECT_EQ(fake::takeWritten(kBridgePort), "");
    EXPECT_EQ(catState.bridgeInbox, "");

    radio.answers["PS;"] = ";";
    fake::feed(kBridgePort, "PS;");
    servePassThrough("FA");
    EXPECT_EQ(fake::takeWritten(kBridgePort), "");

    fake::feed(kBridgePort, "ID;");
    servePassThrough("FA");
    EXPECT_EQ(fake::takeWritten(kBridgePort), "?;");
}

// 5. A full text without ";" is dropped so the next command still works.
TEST_F(PassThroughTest, OverflowWithoutTerminatorIsDiscarded) {
    fake::feed(kBridgePort, std::string(255, 'X'));
    servePassThrough("FA");
    EXPECT_EQ(fake::takeWritten(kRadioPort), "");
    EXPECT_EQ(catState.bridgeInbox, "");

    fake::feed(kBridgePort, "FA;");
    servePassThrough("FA");
    EXPECT_EQ(fake::takeWritten(kRadioPort), "FA;");
    EXPECT_EQ(fake::takeWritten(kBridgePort), "FA00014200000;");

    // Text built up over ticks whose ";" would fall past the capacity.
    fake::feed(kBridgePort, std::string(200, 'Y'));
    servePassThrough("FA");
    EXPECT_EQ(catState.bridgeInbox.size(), 200u);
    fake::feed(kBridgePort, std::string(99, 'Y') + ";");
    servePassThrough("FA");
    EXPECT_EQ(fake::takeWritten(kRadioPort), "");
    EXPECT_EQ(catState.bridgeInbox, "");
    fake::feed(kBridgePort, "FA;");
    servePassThrough("FA");
    EXPECT_EQ(fake::takeWritten(kRadioPort), "FA;");
}

// 6. A pass-through port configured as the radio's own port is not served.
TEST_F(PassThroughTest, RadioPortIsNeverThePassThroughPort) {
    catState.bridgePort = kRadioPort;
    fake::feed(kRadioPort, "FA00007100000;");
    servePassThrough("FA");
    EXPECT_EQ(fake::takeWritten(kRadioPort), "");
    EXPECT_EQ(fake::state().ports[kRadioPort].incoming, "FA00007100000;");  // left for the poll
    EXPECT_EQ(catState.bridgeUsed, 0);
}

// 7. The poll serves the pass-through port on every tick while it is configured.
TEST_F(PassThroughTest, PollServesThePassThroughPort) {
    fake::feed(kBridgePort, "ID;");
    pollTick();
    EXPECT_EQ(fake::takeWritten(kRadioPort), "ID;FA;");
    EXPECT_EQ(fake::takeWritten(kBridgePort), "?;");
}

// 8. A poll answer that came after its collection had found nothing is the
// program's: the poll takes it before the other program's command goes out,
// so the other program gets only the answer to its own command.
TEST_F(PassThroughTest, LatePollAnswerIsNotForwarded) {
    radio.answers["ID;"] = "ID023;";
    catState.pollAwaitingReply = 0;            // the collection found nothing
    fake::feed(kRadioPort, "FA00007100000;");  // then the answer came
    fake::feed(kBridgePort, "ID;");
    pollTick();
    EXPECT_EQ(fake::takeWritten(kRadioPort), "ID;FA;");
    EXPECT_EQ(fake::takeWritten(kBridgePort), "ID023;");
    EXPECT_EQ(radioState.freqHz, 7100000);  // and it was shown
}

// 9. A transmission the other program keyed ends with it: once its end of
// the port has gone, the next tick sends "RX", even with no limit.
TEST_F(PassThroughTest, TransmissionEndsWhenTheOtherProgramGoes) {
    radioState.txLimitSeconds = 0;
    fake::feed(kBridgePort, "TX;");
    pollTick();
    EXPECT_EQ(fake::takeWritten(kRadioPort), "TX;FA;");
    ASSERT_EQ(radioState.txState, 1);
    pollTick();  // still there: still transmitting
    EXPECT_EQ(fake::takeWritten(kRadioPort).find("RX;"), std::string::npos);
    fake::state().ports[kBridgePort].gone = true;
    pollTick();
    EXPECT_EQ(fake::takeWritten(kRadioPort).rfind("RX;", 0), 0u);
    EXPECT_EQ(radioState.txState, 0);
    pollTick();  // released once
    EXPECT_EQ(fake::takeWritten(kRadioPort).find("RX;"), std::string::npos);
}

// 10. Its tuner start is a transmission too: the limit stops a tuning still
// running ("AC110"), not one the radio has ended; so does its going.
TEST_F(PassThroughTest, TunerStartIsLimitedAndEndsWhenTheOtherProgramGoes) {
    auto& R = radioState;
    R.txLimitSeconds = 2;
    radio.answers["AC;"] = "AC110;";  // tuned and done
    fake::feed(kBridgePort, "AC111;");
    pollTick();
    EXPECT_EQ(fake::takeWritten(kRadioPort), "AC111;FA;");
    ASSERT_EQ(R.tuneByProgramAtMs, platTickMs());
    fake::advance(2000);
    EXPECT_FALSE(limitProgramTransmission());
    EXPECT_EQ(fake::takeWritten(kRadioPort), "AC;");
    EXPECT_EQ(R.tuneByProgramAtMs, -1);

    radio.answers["AC;"] = "AC111;";  // still tuning
    pollTick();  // the poll answer the limit's query took in: this tick collects none
    fake::feed(kBridgePort, "AC111;");
    pollTick();
    fake::takeWritten(kRadioPort);
    ASSERT_EQ(R.tuneByProgramAtMs, platTickMs());
    fake::advance(1999);
    EXPECT_FALSE(limitProgramTransmission());
    EXPECT_EQ(fake::takeWritten(kRadioPort), "");
    fake::advance(1);
    EXPECT_TRUE(limitProgramTransmission());
    EXPECT_EQ(fake::takeWritten(kRadioPort), "AC;AC110;");

    R.txLimitSeconds = 0;
    pollTick();  // as above
    fake::feed(kBridgePort, "AC111;");
    pollTick();
    fake::takeWritten(kRadioPort);
    ASSERT_EQ(R.tuneByProgramAtMs, platTickMs());
    fake::state().ports[kBridgePort].gone = true;
    pollTick();
    EXPECT_EQ(fake::takeWritten(kRadioPort).rfind("AC;AC110;", 0), 0u);
    EXPECT_EQ(R.tuneByProgramAtMs, -1);
}

}  // namespace
