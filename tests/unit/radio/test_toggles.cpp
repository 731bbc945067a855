// Receiver and transmit toggles: the words, the commands, the state left
// behind, the status row, and the level each noise function reads for the
// arrow keys.
#include <string>
#include <vector>

#include "keys/adjust_keys.h"
#include "keys/keys_state.h"
#include "link/serial_port.h"
#include "radio/toggles.h"
#include "radio/up_down.h"
#include "test_cat_radio.h"
#include "test_support.h"

namespace {

using cattest::takeCommands;
using Commands = std::vector<std::string>;

using TogglesTest = cattest::ScriptedRadioTest;

TEST_F(TogglesTest, EachSwitchOnAndOffWithItsWordsCommandsAndStatusLabel) {
    auto& R = radioState;
    struct Case {
        void (*toggle)(bool spoken);
        int* state;
        const char* word;
        const char* onCommand;
        const char* offCommand;
        int labelX;
        const char* label;
    };
    const Case cases[] = {
        {togglePreamp, &R.preampOn, "preamp", "PA1;", "PA0;", 40, "preamp "},
        {toggleAttenuator, &R.attOn, "at", "RA01;", "RA00;", 170, "att"},
        {toggleNotch, &R.notchOn, "notch", "NT10;", "NT00;", 360, "notch"},
        {toggleProcessor, &R.procState, "spc", "PR1;", "PR0;", 460, "spc"},
        {toggleVox, &R.voxState, "vox", "VX1;", "VX0;", 550, "vox"},
    };
    R.mode = 2;  // the processor label shows in SSB only
    for (const Case& c : cases) {
        c.toggle(true);
        EXPECT_EQ(*c.state, 1) << c.word;
        EXPECT_EQ(fake::takePrompts(), (Prompts{c.word, "on"}));
        EXPECT_EQ(takeCommands(), (Commands{c.onCommand}));
        EXPECT_EQ(fake::textAt(c.labelX, 250), c.label);

        c.toggle(true);
        EXPECT_EQ(*c.state, 0) << c.word;
        EXPECT_EQ(fake::takePrompts(), (Prompts{c.word, "off"}));
        EXPECT_EQ(takeCommands(), (Commands{c.offCommand}));
        EXPECT_EQ(fake::textAt(c.labelX, 250).find_first_not_of(' '), std::string::npos) << c.word;
    }
}

TEST_F(TogglesTest, NoiseBlankerReadsItsLevelForTheArrowKeys) {
    radio.answers["NL;"] = "NL005;";
    toggleNoiseBlanker(true);
    EXPECT_EQ(fake::takePrompts(), (Prompts{"nb", "on", "delay"}));
    EXPECT_EQ(takeCommands(), (Commands{"NB1;", "NL;"}));
    EXPECT_EQ(radioState.nbOn, 1);
    EXPECT_EQ(radioState.nbLevel, 5);
    EXPECT_EQ(radioState.levelTarget, 2);
    EXPECT_EQ(fake::textAt(240, 250), "nb");

    keysState.adjustTarget = 10;
    stepUp();
    EXPECT_EQ(takeCommands(), (Commands{"NL006;"}));

    toggleNoiseBlanker(true);
    EXPECT_EQ(fake::takePrompts(), (Prompts{"nb", "off"}));
    EXPECT_EQ(takeCommands(), (Commands{"NB0;"}));
    EXPECT_EQ(radioState.levelTarget, 0);
}

TEST_F(TogglesTest, NoiseBlankerOffLeavesTheNoiseReductionLevelKeys) {
    radioState.nbOn = 1;
    radioState.levelTarget = 3;
    toggleNoiseBlanker(true);
    EXPECT_EQ(radioState.levelTarget, 3);

    // No answer to the level read keeps the last level.
    radio.answering = false;
    radioState.nbLevel = 7;
    toggleNoiseBlanker(true);
    EXPECT_EQ(radioState.nbLevel, 7);
    EXPECT_EQ(radioState.nbOn, 1);
}

TEST_F(TogglesTest, NoiseReductionReadsItsLevel) {
    radio.answers["RL;"] = "RL07;";
    toggleNoiseReduction(true);
    EXPECT_EQ(fake::takePrompts(), (Prompts{"nr", "on", "delay"}));
    EXPECT_EQ(takeCommands(), (Commands{"NR1;", "RL;"}));
    EXPECT_EQ(radioState.nrLevel, 7);
    EXPECT_EQ(radioState.levelTarget, 3);

    toggleNoiseReduction(true);
    EXPECT_EQ(fake::takePrompts(), (Prompts{"nr", "off"}));
    EXPECT_EQ(takeCommands(), (Commands{"NR0;"}));
    EXPECT_EQ(radioState.nrState, 0);
    EXPECT_EQ(radioState.levelTarget, 0);
}

TEST_F(TogglesTest, StateTwoSwitchesOffWithoutAWord) {
    radioState.nrState = 2;
    radioState.levelTarget = 3;
    toggleNoiseReduction(true);
    EXPECT_TRUE(fake::takePrompts().empty());
    EXPECT_EQ(takeCommands(), (Commands{"NR0;"}));
    EXPECT_EQ(radioState.nrState, 0);
    EXPECT_EQ(radioState.levelTarget, 0);  // the level keys leave with it

    radioState.procState = 2;
    toggleProcessor(true);
    EXPECT_TRUE(fake::takePrompts().empty());
    EXPECT_EQ(takeCommands(), (Commands{"PR0;"}));
    EXPECT_EQ(radioState.procState, 0);

    // VOX or break-in undetermined: both cleared, nothing sent or said.
    for (int* undetermined : {&radioState.voxState, &radioState.breakInState}) {
        radioState.voxState = 1;
        radioState.breakInState = 1;
        *undetermined = 2;
        toggleVox(true);
        EXPECT_TRUE(fake::takePrompts().empty());
        EXPECT_TRUE(takeCommands().empty());
        EXPECT_EQ(radioState.voxState, 0);
        EXPECT_EQ(radioState.breakInState, 0);
    }
}

TEST_F(TogglesTest, VoxKeyInCwIsBreakIn) {
    radioState.mode = 3;
    toggleVox(true);
    EXPECT_EQ(fake::takePrompts(), (Prompts{"bkin", "on"}));
    EXPECT_EQ(takeCommands(), (Commands{"VX1;"}));
    EXPECT_EQ(radioState.breakInState, 1);
    EXPECT_EQ(radioState.voxState, 0);
    EXPECT_EQ(fake::textAt(550, 250), "bin ");

    // Back in SSB the VOX has its own state.
    radioState.mode = 2;
    toggleVox(true);
    EXPECT_EQ(fake::takePrompts(), (Prompts{"vox", "on"}));
    EXPECT_EQ(radioState.voxState, 1);
    EXPECT_EQ(radioState.breakInState, 1);
}

TEST_F(TogglesTest, PreampStateIsKeptPerBand) {
    radioState.band = 4;  // 40 m: preamp off in its record
    togglePreamp(true);
    EXPECT_EQ(radioState.bandTable[4], "01A00007100000B000071000009991");
    togglePreamp(true);
    EXPECT_EQ(radioState.bandTable[4], "01A00007100000B000071000009990");

    radioState.band = 6;
    radioState.preampOn = 1;
    togglePreamp(true);
    EXPECT_EQ(takeCommands().back(), "PA0;");
    EXPECT_EQ(radioState.bandTable[6], "02A00014200000B000142000009990");

    // Outside every band there is no record to write.
    radioState.band = 99;
    const std::string fortyMetres = radioState.bandTable[4];
    togglePreamp(true);
    EXPECT_EQ(takeCommands().back(), "PA1;");
    EXPECT_EQ(radioState.bandTable[4], fortyMetres);
}

TEST_F(TogglesTest, ReducedRadioHasNoPreamp) {
    radioState.rigModel = 100;
    radioState.preampOn = 1;
    const std::string record = radioState.bandTable[4];
    togglePreamp(true);
    EXPECT_EQ(radioState.preampOn, 0);
    EXPECT_TRUE(fake::takePrompts().empty());
    EXPECT_TRUE(takeCommands().empty());
    EXPECT_EQ(radioState.bandTable[4], record);
}

}  // namespace
