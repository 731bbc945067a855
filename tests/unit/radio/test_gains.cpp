// Gains and levels: every setting goes out in its command's fixed-width
// field; only the power is spoken, and not while the tune restores it.
#include <string>
#include <vector>

#include "link/serial_port.h"
#include "radio/gains.h"
#include "test_cat_radio.h"
#include "test_support.h"

namespace {

using cattest::takeCommands;
using Commands = std::vector<std::string>;

// Nothing is asked of the radio here: the scripted radio has no answers.
using GainsTest = cattest::ScriptedRadioTest;

TEST_F(GainsTest, EveryFieldHasItsWidth) {
    struct Case {
        int* value;
        void (*send)();
        int given;
        const char* sent;
    };
    auto& R = radioState;
    const Case cases[] = {
        {&R.micGain, sendMicGain, 0, "MG000;"},      {&R.micGain, sendMicGain, 7, "MG007;"},
        {&R.micGain, sendMicGain, 120, "MG120;"},    {&R.afGain, sendAfGain, 80, "AG0080;"},
        {&R.afGain, sendAfGain, 255, "AG0255;"},     {&R.afGain, sendAfGain, 0, "AG0000;"},
        {&R.rfGain, sendRfGain, 5, "RG005;"},        {&R.rfGain, sendRfGain, 255, "RG255;"},
        {&R.keyerSpeed, sendKeyerSpeed, 4, "KS004;"}, {&R.keyerSpeed, sendKeyerSpeed, 9, "KS009;"},
        {&R.keyerSpeed, sendKeyerSpeed, 25, "KS025;"}, {&R.keyerSpeed, sendKeyerSpeed, 60, "KS060;"},
        {&R.txPower, [] { sendPower(true); }, 5, "PC005;"}, {&R.txPower, [] { sendPower(true); }, 100, "PC100;"},
        // A stray value never widens the command.
        {&R.keyerSpeed, sendKeyerSpeed, 100, "KS099;"}, {&R.rfGain, sendRfGain, -1, "RG000;"},
    };
    for (const Case& c : cases) {
        *c.value = c.given;
        c.send();
        EXPECT_EQ(takeCommands(), (Commands{c.sent})) << c.sent;
    }
}

TEST_F(GainsTest, OnlyThePowerIsSpokenAndNotWhenQuiet) {
    radioState.micGain = 50;
    radioState.afGain = 50;
    radioState.rfGain = 50;
    sendMicGain();
    sendAfGain();
    sendRfGain();
    sendKeyerSpeed();
    EXPECT_TRUE(fake::takePrompts().empty());

    radioState.txPower = 10;
    sendPower(true);
    EXPECT_EQ(takeCommands().back(), "PC010;");
    EXPECT_EQ(fake::takePrompts(), (Prompts{"1", "0", "watts"}));

    radioState.txPower = 50;
    sendPower(false);
    EXPECT_EQ(takeCommands(), (Commands{"PC050;"}));
    EXPECT_TRUE(fake::takePrompts().empty());
}

}  // namespace
