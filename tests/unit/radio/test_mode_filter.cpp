// Mode and filter: the commands each mode sends, the screen text, the filter
// held and snapped per mode, the tone and squelch side effects and the band
// record kept in step.
#include <string>
#include <vector>

#include "keys/adjust_keys.h"
#include "keys/keys_state.h"
#include "link/serial_port.h"
#include "radio/band_table.h"
#include "radio/mode_filter.h"
#include "radio/up_down.h"
#include "test_cat_radio.h"
#include "test_support.h"

namespace {

using cattest::takeCommands;
using Commands = std::vector<std::string>;

class ModeFilterTest : public cattest::ScriptedRadioTest {
protected:
    static void selectMode(int mode) {
        radioState.mode = mode;
        setMode(true);
    }
    static bool statusRowDrawn() {
        for (const fake::Text& t : fake::state().texts)
            if (t.y == 250) return true;
        return false;
    }
};

TEST_F(ModeFilterTest, EachModeRestoresItsOwnFilter) {
    // CW narrowed to 500 Hz, then SSB with its own index, then CW again.
    selectMode(3);
    radioState.filterWidth = 500;
    setFilter();
    radioState.ssbWidth = 5;
    selectMode(2);
    takeCommands();
    fake::takePrompts();

    selectMode(3);
    EXPECT_EQ(takeCommands(), (Commands{"MD3;", "FW0500;"}));
    EXPECT_EQ(fake::textAt(50, 45), "CW   ");
    EXPECT_EQ(radioState.filterWidth, 500);
    EXPECT_TRUE(fake::takePrompts().empty());

    selectMode(1);
    EXPECT_EQ(takeCommands(), (Commands{"MD1;", "SH05;"}));
    EXPECT_EQ(fake::textAt(50, 45), "LSB ");

    selectMode(4);
    EXPECT_EQ(takeCommands(), (Commands{"MD5;", "SH02;"}));
    EXPECT_EQ(fake::textAt(50, 45), "AM   ");
}

TEST_F(ModeFilterTest, FmNarrowAndFmSendTheirWidthAndReadTheSquelch) {
    radio.answers["SQ0;"] = "SQ0050;";
    radioState.band = 12;
    selectMode(5);
    EXPECT_EQ(takeCommands(), (Commands{"MD4;", "SH08;", "FW0001;", "SQ0;"}));
    EXPECT_EQ(fake::textAt(50, 45), "FMN  ");
    EXPECT_EQ(radioState.squelchLevel, 50);
    EXPECT_EQ(fake::takePrompts(), (Prompts{"delay", "delay"}));

    // A squelch of 0 is taken as 60; no answer keeps the last level.
    radio.answers["SQ0;"] = "SQ0000;";
    selectMode(7);
    EXPECT_EQ(takeCommands(), (Commands{"MD4;", "SH08;", "FW0000;", "SQ0;"}));
    EXPECT_EQ(fake::textAt(50, 45), "FM   ");
    EXPECT_EQ(radioState.squelchLevel, 60);

    radio.answers["SQ0;"] = "SQ0120;";
    selectMode(5);
    EXPECT_EQ(radioState.squelchLevel, 120);
    radio.answering = false;
    selectMode(7);
    EXPECT_EQ(radioState.squelchLevel, 120);
}

TEST_F(ModeFilterTest, StaleTextWaitingIsNotTakenForTheSquelch) {
    fake::feed(cattest::kRadioPort, "SQ0200;");  // an old answer nobody read
    radio.answers["SQ0;"] = "SQ0030;";
    selectMode(5);
    EXPECT_EQ(radioState.squelchLevel, 30);
}

TEST_F(ModeFilterTest, LeavingFmNarrowEndsTheTone) {
    radioState.ctcssOn = 1;
    radioState.toneCode = "012";
    selectMode(5);  // FM narrow keeps its tone
    EXPECT_EQ(takeCommands().front(), "MD4;");
    EXPECT_EQ(radioState.ctcssOn, 1);

    selectMode(7);
    EXPECT_EQ(takeCommands().front(), "CT0;");
    EXPECT_EQ(radioState.ctcssOn, 0);
    EXPECT_EQ(radioState.toneCode, "999");

    radioState.ctcssOn = 1;
    radioState.toneCode = "012";
    selectMode(2);
    EXPECT_EQ(takeCommands(), (Commands{"CT0;", "MD2;", "SH07;"}));
}

TEST_F(ModeFilterTest, AToneEndedByTheModeLeavesTheBandRecordAtTheNextStore) {
    radioState.band = 12;
    radioState.bandTable[12] = "05A00145000000B001450000000120";
    radioState.ctcssOn = 1;
    radioState.toneCode = "012";
    selectMode(7);
    catState.lastFreqReply = "FA00145500000";
    storeBand();
    EXPECT_EQ(radioState.bandTable[12], "07A00145500000B001450000009990");
}

TEST_F(ModeFilterTest, ReducedRadioGetsOnlyTheModeCommand) {
    radioState.rigModel = 100;
    radioState.ctcssOn = 1;
    radioState.toneCode = "012";
    selectMode(7);
    EXPECT_EQ(takeCommands(), (Commands{"MD4;"}));
    EXPECT_EQ(radioState.ctcssOn, 0);
    EXPECT_EQ(radioState.toneCode, "999");
    selectMode(3);
    EXPECT_EQ(takeCommands(), (Commands{"MD3;"}));
    EXPECT_EQ(fake::textAt(50, 45), "CW   ");
}

TEST_F(ModeFilterTest, SsbIndexIsHeldWithLimitWords) {
    radioState.mode = 2;
    radioState.filterWidth = 13;
    setFilter();
    EXPECT_EQ(takeCommands(), (Commands{"SH12;"}));
    EXPECT_EQ(fake::takePrompts(), (Prompts{"max"}));
    EXPECT_EQ(radioState.ssbWidth, 12);

    radioState.filterWidth = -1;
    setFilter();
    EXPECT_EQ(takeCommands(), (Commands{"SH00;"}));
    EXPECT_EQ(fake::takePrompts(), (Prompts{"min"}));
    EXPECT_EQ(radioState.filterWidth, 0);

    radioState.filterWidth = 5;
    setFilter();
    EXPECT_EQ(takeCommands(), (Commands{"SH05;"}));
    EXPECT_TRUE(fake::takePrompts().empty());
}

TEST_F(ModeFilterTest, CwWidthsSnapToTheRadiosSeriesUpAndDown) {
    radioState.mode = 3;
    radioState.filterWidth = 50;
    keysState.adjustTarget = 2;
    std::vector<int> up{radioState.filterWidth};
    for (int i = 0; i < 10; ++i) {
        stepUp();
        up.push_back(radioState.filterWidth);
    }
    EXPECT_EQ(up, (std::vector<int>{50, 200, 300, 400, 500, 600, 1000, 1500, 2000, 2500, 2500}));
    EXPECT_EQ(radioState.cwWidth, 2500);
    Commands sent = takeCommands();
    EXPECT_EQ(sent.front(), "FW0200;");
    EXPECT_EQ(sent.back(), "FW2500;");
    EXPECT_EQ(fake::takePrompts(), (Prompts{"max", "max"}));

    std::vector<int> down{radioState.filterWidth};
    for (int i = 0; i < 11; ++i) {
        stepDown();
        down.push_back(radioState.filterWidth);
    }
    EXPECT_EQ(down, (std::vector<int>{2500, 2000, 1500, 1000, 600, 500, 400, 300, 200, 100, 50, 50}));
    sent = takeCommands();
    EXPECT_EQ(sent[8], "FW0100;");
    EXPECT_EQ(sent[9], "FW0050;");
    EXPECT_EQ(fake::takePrompts(), (Prompts{"min", "min"}));
}

TEST_F(ModeFilterTest, CwWidthsOffTheSeriesAreSnapped) {
    radioState.mode = 3;
    const std::pair<int, int> cases[] = {{150, 200}, {700, 1000}, {0, 50}, {-300, 50}, {9000, 2500},
                                         {2400, 2000}, {900, 600}, {1100, 1500}};
    for (auto [given, sent] : cases) {
        radioState.filterWidth = given;
        setFilter();
        EXPECT_EQ(radioState.filterWidth, sent) << given;
        EXPECT_EQ(radioState.cwWidth, sent) << given;
    }
    fake::takePrompts();
    radioState.filterWidth = 0;
    setFilter();
    EXPECT_EQ(takeCommands().back(), "FW0050;");
    EXPECT_EQ(fake::takePrompts(), (Prompts{"min"}));
}

TEST_F(ModeFilterTest, AmAndFmKeepTheirOneFilterWhenStepped) {
    // A width step in AM must not turn into FM's filter (2 - 100 ends in 8).
    radioState.mode = 4;
    radioState.filterWidth = 2;
    keysState.adjustTarget = 2;
    stepDown();
    EXPECT_EQ(takeCommands(), (Commands{"SH02;"}));
    stepUp();
    EXPECT_EQ(takeCommands(), (Commands{"SH02;"}));
    radioState.mode = 5;
    stepUp();
    EXPECT_EQ(takeCommands(), (Commands{"SH08;", "FW0001;"}));
}

TEST_F(ModeFilterTest, TheBandRecordKeepsModeAndSplit) {
    radioState.band = 6;
    radioState.splitState = 1;
    radioState.splitAnnounced = 1;
    selectMode(3);
    EXPECT_EQ(radioState.bandTable[6], "23A00014200000B000142000009991");
    EXPECT_TRUE(statusRowDrawn());

    // While another program drives the radio the record is left alone.
    catState.bridgeUsed = 1;
    selectMode(1);
    EXPECT_EQ(radioState.bandTable[6], "23A00014200000B000142000009991");
}

TEST_F(ModeFilterTest, OutsideEveryBandTheModeIsSetWithoutARecord) {
    radioState.band = 99;
    std::vector<std::string> before(std::begin(radioState.bandTable), std::end(radioState.bandTable));
    selectMode(3);
    EXPECT_EQ(takeCommands(), (Commands{"MD3;", "FW0600;"}));
    EXPECT_EQ(fake::textAt(50, 45), "CW   ");
    EXPECT_EQ(std::vector<std::string>(std::begin(radioState.bandTable), std::end(radioState.bandTable)), before);
    EXPECT_FALSE(statusRowDrawn());
}

}  // namespace
