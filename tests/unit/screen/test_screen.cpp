// The window's texts: banner and help lines, the frequency display with its
// split marker, and the status row, read back from the fake window.
#include "test_support.h"

#include <tuple>

#include "radio/panel.h"
#include "screen/display.h"

namespace {

class ScreenTest : public RigvoxTest {
protected:
    // Draws a frequency answer as the poll hands it over (its first 13 characters).
    static void show(const std::string& reply) {
        catState.lastFreqReply = reply.substr(0, 13);
        updateFrequencyDisplay();
    }
    static const fake::Text* lastAt(int x, int y) {
        const auto& texts = fake::state().texts;
        for (auto it = texts.rbegin(); it != texts.rend(); ++it)
            if (it->x == x && it->y == y) return &*it;
        return nullptr;
    }
    static const std::string kThirteenBlanks;
};

const std::string ScreenTest::kThirteenBlanks(13, ' ');

TEST_F(ScreenTest, BannerAndHelpLinesExactlyInTheDefaultFont) {
    programState.workText = "credit line";
    platTextFont("Ariel", 50, 700);  // whatever was chosen before
    showBannerAndHelp(programState.bannerText + "  " + programState.workText);
    const auto& texts = fake::state().texts;
    ASSERT_EQ(texts.size(), 4u);
    const std::tuple<int, int, std::string> expected[] = {
        {300, 10, "*** Rigvox V 3.4a ***  credit line"},
        {190, 355,
         "b=Band  f=Freq  e=Entry m=Mode  s=Meter/SWR  Z=Zero frequency  w=Filter width p=Power"},
        {155, 380,
         "         v=VFO B/Split/Repeater  c=channel save  g=goto channel  a=af gain  r=rfgain  "
         "n=Menu Nr."},
        {155, 405,
         "        F1=Preamp F2=Attenuator F3=Noise Blanker F4=Noise Reduction F5=Notch  h=help  "
         "q=quit"},
    };
    for (std::size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(texts[i].x, std::get<0>(expected[i]));
        EXPECT_EQ(texts[i].y, std::get<1>(expected[i]));
        EXPECT_EQ(texts[i].text, std::get<2>(expected[i]));
        EXPECT_EQ(texts[i].face, "");
        EXPECT_EQ(texts[i].points, 0);
    }
}

TEST_F(ScreenTest, FontsAreArielBigBoldAndSmall) {
    selectBigFont();
    printAt(1, 2, "x");
    selectSmallFont();
    printAt(3, 4, "y");
    const auto* big = lastAt(1, 2);
    const auto* small = lastAt(3, 4);
    ASSERT_TRUE(big && small);
    EXPECT_EQ(std::tie(big->face, big->points, big->weight), std::make_tuple("Ariel", 50, 700));
    EXPECT_EQ(std::tie(small->face, small->points, small->weight), std::make_tuple("Ariel", 20, 20));
}

// --- frequency display -----------------------------------------------------

TEST_F(ScreenTest, FrequencyIsRightAlignedWithLeadingZerosAsBlanks) {
    const std::pair<const char*, const char*> cases[] = {
        {"FA00145000000;", "  145.000000"},
        {"FA00001900000;", "    1.900000"},
        {"FA00007100000;", "    7.100000"},
        {"FA00014250000;", "   14.250000"},
        {"FA00000500000;", "     .500000"},
        {"FB00432100000;", "  432.100000"},
    };
    for (const auto& [reply, text] : cases) {
        show(reply);
        EXPECT_EQ(fake::textAt(285, 150), std::string(text) + kThirteenBlanks) << reply;
    }
    // Nothing that is not a whole frequency is drawn.
    const auto drawn = fake::state().texts.size();
    show("FA0000710x000;");
    show("");
    EXPECT_EQ(fake::state().texts.size(), drawn);
    EXPECT_TRUE(fake::takePrompts().empty());  // the screen only draws
}

TEST_F(ScreenTest, SplitMarkerShowsWhileSplitIsOn) {
    for (int split : {1, 2, 0}) {
        takeSplitDigit(split);
        show("FB00007150000;");
        EXPECT_EQ(fake::textAt(80, 150), split > 0 ? "B   " : "    ") << split;
        EXPECT_EQ(splitDigit(), split);
    }
}

// --- status row ------------------------------------------------------------

TEST_F(ScreenTest, StatusRowBlanksWhenEverythingIsOffThenBigFontAgain) {
    updateStatusRow();
    const std::pair<int, int> blanks[] = {{40, 12}, {170, 5}, {240, 4}, {310, 3}, {360, 9},
                                          {460, 5}, {550, 5}, {620, 8}, {780, 16}};
    for (const auto& [x, width] : blanks) {
        const auto* t = lastAt(x, 250);
        ASSERT_TRUE(t) << x;
        EXPECT_EQ(t->text, std::string(width, ' ')) << x;
        EXPECT_EQ(t->points, 20) << x;
        EXPECT_EQ(t->weight, 20) << x;
    }
    EXPECT_EQ(fake::state().texts.size(), 9u);
    EXPECT_EQ(fake::state().fontFace, "Ariel");
    EXPECT_EQ(fake::state().fontPoints, 50);
    EXPECT_EQ(fake::state().fontWeight, 700);
}

TEST_F(ScreenTest, StatusRowLabelsForFunctionsThatAreOn) {
    auto& R = radioState;
    R.mode = 2;
    R.preampOn = R.attOn = R.nbOn = R.notchOn = R.monitorOn = 1;
    R.nrState = R.procState = R.voxState = SwitchState::kOn;
    R.toneCode = "012";
    updateStatusRow();
    EXPECT_EQ(fake::textAt(40, 250), "preamp ");
    EXPECT_EQ(fake::textAt(170, 250), "att");
    EXPECT_EQ(fake::textAt(240, 250), "nb");
    EXPECT_EQ(fake::textAt(310, 250), "nr");
    EXPECT_EQ(fake::textAt(360, 250), "notch");
    EXPECT_EQ(fake::textAt(460, 250), "spc");
    EXPECT_EQ(fake::textAt(550, 250), "vox");
    EXPECT_EQ(fake::textAt(620, 250), "mon");
    EXPECT_EQ(fake::textAt(780, 250), "ctcss=12");

    R.toneCode = "999";
    R.mode = 4;  // the processor label only in SSB
    updateStatusRow();
    EXPECT_EQ(fake::textAt(780, 250), std::string(16, ' '));
    EXPECT_EQ(fake::textAt(460, 250), std::string(5, ' '));
}

TEST_F(ScreenTest, BreakInInCwAndVoxOtherwiseShareOneField) {
    auto& R = radioState;
    R.mode = 3;
    R.breakInState = SwitchState::kOn;
    updateStatusRow();
    EXPECT_EQ(fake::textAt(550, 250), "bin ");

    R.mode = 2;  // to USB with VOX off
    updateStatusRow();
    EXPECT_EQ(fake::textAt(550, 250), std::string(5, ' '));

    R.voxState = SwitchState::kOn;
    updateStatusRow();
    EXPECT_EQ(fake::textAt(550, 250), "vox");

    R.mode = 3;
    R.breakInState = SwitchState::kOff;  // VOX on is not break-in
    updateStatusRow();
    EXPECT_EQ(fake::textAt(550, 250), std::string(5, ' '));
}

}  // namespace
