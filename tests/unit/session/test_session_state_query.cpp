// The radio-state query at (re)connection: commands in order, values read back, tone and split restored.
#include <algorithm>
#include <string>
#include <vector>

#include "link/serial_port.h"
#include "session/state_query.h"
#include "test_cat_radio.h"

namespace {

using cattest::kBridgePort;
using cattest::kRadioPort;
using cattest::takeCommands;
using cattest::without;
using Commands = std::vector<std::string>;

class StateQueryTest : public cattest::ScriptedRadioTest {
protected:
    // The query's commands without the preamp's, which togglePreamp sends.
    static Commands ownCommands() { return without(takeCommands(), {"PA"}); }
};

// 1. The reduced-feature radio gets gains only, then the status row and the pass-through port.
TEST_F(StateQueryTest, ReducedFeatureRadioShortForm) {
    radioState.rigModel = 100;
    catState.bridgePort = kBridgePort;
    radio.answers["AG0;"] = "AG0120;";
    queryRadioState();
    EXPECT_EQ(takeCommands(), Commands({"AG0;", "RG054;"}));
    EXPECT_EQ(radioState.afGain, 120);
    EXPECT_EQ(radioState.rfGain, 40);
    const fake::Port& bridge = fake::state().ports[kBridgePort];
    EXPECT_TRUE(bridge.open);
    EXPECT_EQ(bridge.baud, 9600);
    EXPECT_EQ(bridge.stopCode, 2);
}

TEST_F(StateQueryTest, SilentReducedRadioGetsTheDefaultAfGain) {
    radioState.rigModel = 100;
    queryRadioState();
    EXPECT_EQ(takeCommands(), Commands({"AG0;", "AG0080;", "RG054;"}));
    EXPECT_EQ(radioState.afGain, 80);
    EXPECT_FALSE(fake::state().ports[kBridgePort].open);  // no pass-through port configured
}

// 2. The full form in its order, against a radio that answers nothing.
TEST_F(StateQueryTest, FullFormOrderWithSilentRadio) {
    radioState.txPower = 100;
    queryRadioState();
    EXPECT_EQ(ownCommands(), Commands({"AG0;", "AG0080;", "RG255;", "RA00;", "NB0;", "FW1500;", "PC100;", "FR0;",
                                       "AC;", "VX;", "NR;", "ML;", "PR;", "RX0;"}));
    EXPECT_EQ(radioState.rfGain, 255);
    EXPECT_EQ(radioState.tunerState, TunerState::kOff);
    EXPECT_EQ(radioState.monitorLevel, "007");
    EXPECT_EQ(radioState.monitorOn, 0);
}

TEST_F(StateQueryTest, AnsweredSettingsAreMirrored) {
    radio.answers = {{"AG0;", "AG0035;"}, {"AC;", "AC110;"}, {"VX;", "VX1;"},
                     {"NR;", "NR1;"},     {"ML;", "ML015;"}, {"PR;", "PR1;"}};
    radioState.mode = 2;
    radioState.tunerState = TunerState::kSwrAnnounced;
    queryRadioState();
    const Commands sent = ownCommands();
    EXPECT_EQ(sent.at(1), "RG255;");  // no default AF gain sent
    EXPECT_EQ(radioState.afGain, 35);
    EXPECT_EQ(radioState.tunerState, TunerState::kOn);
    EXPECT_EQ(radioState.voxState, SwitchState::kOn);
    EXPECT_EQ(radioState.breakInState, SwitchState::kOff);
    EXPECT_EQ(radioState.nrState, SwitchState::kOn);
    EXPECT_EQ(radioState.monitorLevel, "015");
    EXPECT_EQ(radioState.monitorOn, 1);
    EXPECT_EQ(radioState.procState, SwitchState::kOn);
}

TEST_F(StateQueryTest, PowerIsSentAsThreeDigits) {
    const std::pair<int, const char*> cases[] = {{5, "PC005;"}, {50, "PC050;"}, {100, "PC100;"}};
    for (const auto& [watts, command] : cases) {
        radioState.txPower = watts;
        queryRadioState();
        EXPECT_EQ(ownCommands().at(6), command);
    }
}

// 3. Edge values of the read-back answers.
TEST_F(StateQueryTest, TunerStateFromTheAnswer) {
    radio.answers["AC;"] = "AC100;";
    radioState.tunerState = TunerState::kSwrAnnounced;
    queryRadioState();
    EXPECT_EQ(radioState.tunerState, TunerState::kOff);
    radio.answers["AC;"] = "SM00014;AC011;";  // another answer before it; p + 3 is the middle digit
    queryRadioState();
    EXPECT_EQ(radioState.tunerState, TunerState::kOn);
}

TEST_F(StateQueryTest, VoxAnswerGoesToBreakInInCwAndTwoStoresZero) {
    radio.answers["VX;"] = "VX2;";
    radioState.voxState = SwitchState::kOn;
    queryRadioState();
    EXPECT_EQ(radioState.voxState, SwitchState::kOff);

    radio.answers["VX;"] = "VX1;";
    radioState.mode = 3;
    queryRadioState();
    EXPECT_EQ(radioState.breakInState, SwitchState::kOn);
    EXPECT_EQ(radioState.voxState, SwitchState::kOff);

    radio.answers.erase("VX;");  // no answer leaves it as it was
    queryRadioState();
    EXPECT_EQ(radioState.breakInState, SwitchState::kOn);
}

TEST_F(StateQueryTest, MonitorDefaultsByModel) {
    radioState.rigModel = 22;
    radioState.monitorOn = 1;
    queryRadioState();
    EXPECT_EQ(radioState.monitorLevel, "128");
    EXPECT_EQ(radioState.monitorOn, 0);

    radioState.rigModel = 24;
    queryRadioState();
    EXPECT_EQ(radioState.monitorLevel, "007");

    radio.answers["ML;"] = "ML;";  // no level in the answer: not a level to send back later
    queryRadioState();
    EXPECT_EQ(radioState.monitorLevel, "007");
    EXPECT_EQ(radioState.monitorOn, 0);
}

TEST_F(StateQueryTest, SwitchAnswersOtherThanOneAreOff) {
    radio.answers = {{"NR;", "NR2;"}, {"PR;", "PR0;"}};
    radioState.nrState = SwitchState::kOn;
    radioState.procState = SwitchState::kOn;
    queryRadioState();
    EXPECT_EQ(radioState.nrState, SwitchState::kOff);
    EXPECT_EQ(radioState.procState, SwitchState::kOff);
}

// 4. Split comes back only in AM and FM narrow.
TEST_F(StateQueryTest, SplitRestoredOnlyInAmOrFmNarrow) {
    radioState.band = 12;
    radioState.bandTable[12] = "15A00145000000B001456000009990";
    radioState.bandSplitFlag = 1;
    catState.lastFreqCmd = "FA00145000000;";
    for (int mode : {1, 2, 3, 7}) {
        SCOPED_TRACE(mode);
        radioState.mode = mode;
        queryRadioState();
        const Commands sent = ownCommands();
        EXPECT_EQ(sent.back(), "RX0;");
        EXPECT_EQ(radioState.splitState, 0);
    }
    for (int mode : {4, 5}) {
        SCOPED_TRACE(mode);
        radioState.mode = mode;
        radioState.splitState = 0;
        catState.lastFreqCmd = "FA00145000000;";
        queryRadioState();
        const Commands sent = ownCommands();
        ASSERT_GE(sent.size(), 2u);
        EXPECT_EQ(sent[sent.size() - 2], "FT1;");
        EXPECT_EQ(sent.back(), "FB00145600000;");
        EXPECT_EQ(radioState.splitState, 1);
    }
    radioState.bandSplitFlag = 0;
    radioState.mode = 5;
    queryRadioState();
    EXPECT_EQ(ownCommands().back(), "RX0;");
    EXPECT_EQ(radioState.splitState, 0);
}

// Waits on the speech area: "split" is spoken.
TEST_F(StateQueryTest, SplitIsSpoken) {
    radioState.band = 12;
    radioState.mode = 5;
    radioState.bandSplitFlag = 1;
    fake::takePrompts();
    queryRadioState();
    const Prompts prompts = fake::takePrompts();
    EXPECT_NE(std::find(prompts.begin(), prompts.end(), "split"), prompts.end());
}

// 5. Tone restore.
TEST_F(StateQueryTest, ToneCommandsBeforeTheClosingCommand) {
    radioState.toneCode = "012";
    queryRadioState();
    const Commands sent = ownCommands();
    ASSERT_GE(sent.size(), 4u);
    EXPECT_EQ(Commands(sent.end() - 4, sent.end()), Commands({"TN12;", "CN12;", "CT1;", "RX0;"}));
}

// Waits on the speech area: "ctcss" and the tone number's digits.
TEST_F(StateQueryTest, ToneIsSpoken) {
    radioState.toneCode = "012";
    queryRadioState();
    Prompts prompts = fake::takePrompts();
    Prompts tail;
    for (const std::string& name : prompts)
        if (name != "delay") tail.push_back(name);
    ASSERT_GE(tail.size(), 3u);
    // The readouts of frequency and mode come first; the tone is the last thing said.
    EXPECT_EQ(Prompts(tail.end() - 3, tail.end()), Prompts({"ctcss", "1", "2"}));
}

// 6. Pass-through port opened after the full form too, released first when held.
TEST_F(StateQueryTest, PassThroughPortOpenedAtEveryConnection) {
    catState.bridgePort = kBridgePort;
    queryRadioState();
    EXPECT_TRUE(fake::state().ports[kBridgePort].open);
    queryRadioState();
    EXPECT_TRUE(fake::state().ports[kBridgePort].open);
    EXPECT_EQ(fake::state().ports[kBridgePort].opens, 2);
}

// Waits on the radio area: the band's preamp flag decides the preamp.
TEST_F(StateQueryTest, PreampFollowsTheBandFlag) {
    radioState.band = 6;  // factory record ends in "1"
    queryRadioState();
    Commands preamp;
    for (const std::string& command : takeCommands())
        if (command.rfind("PA", 0) == 0) preamp.push_back(command);
    EXPECT_EQ(preamp, Commands({"PA1;"}));
    EXPECT_EQ(radioState.preampOn, 1);

    radioState.band = 4;  // ends in "0"
    queryRadioState();
    preamp.clear();
    for (const std::string& command : takeCommands())
        if (command.rfind("PA", 0) == 0) preamp.push_back(command);
    EXPECT_EQ(preamp, Commands({"PA0;"}));
    EXPECT_EQ(radioState.preampOn, 0);

    // Any flag but "1" means off, and the record keeps the state the radio was given.
    radioState.bandTable[4] = "01A00007100000B00007100000999x";
    fake::takePrompts();
    queryRadioState();
    EXPECT_EQ(radioState.preampOn, 0);
    EXPECT_EQ(radioState.bandTable[4], "01A00007100000B000071000009990");
    const Prompts spoken = fake::takePrompts();
    const Prompts preampOff = {"preamp", "off"};
    EXPECT_NE(std::search(spoken.begin(), spoken.end(), preampOff.begin(), preampOff.end()), spoken.end());
}

}  // namespace
