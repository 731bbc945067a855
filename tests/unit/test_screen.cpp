// The window's texts: banner and help lines, the frequency display with its
// split marker, and the status row, read back from the fake window.
#include "test_support.h"

#include <tuple>

#include "screen/display.h"

namespace {

class ScreenTest : public RigvoxTest {
protected:
    // Shows a frequency answer as the poll cycle hands it over, connected.
    static void show(const std::string& reply) {
        catState.connected = 1;
        catState.replyText = reply;
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
    shellState.workText = "credit line";
    platTextFont("Ariel", 50, 700);  // whatever was chosen before
    showBannerAndHelp();
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
        EXPECT_EQ(radioState.freqDisplayText, text);
        EXPECT_EQ(catState.lastFreqReply, std::string(reply).substr(0, 13));
    }
    EXPECT_EQ(radioState.freqHz, 432100000);
}

TEST_F(ScreenTest, AnAcceptedAnswerIsConsumedAndStoredInTheBandRecord) {
    auto& C = catState;
    C.pollAwaitingReply = 1;
    show("FA00007074000;");
    EXPECT_EQ(C.pollAwaitingReply, 0);
    EXPECT_EQ(C.replyText, "");
    EXPECT_EQ(radioState.freqHz, 7074000);
    EXPECT_EQ(radioState.bandTable[4], "01A00007074000B000071000009990");
    EXPECT_EQ(fake::textAt(80, 150), "    ");
    EXPECT_TRUE(fake::takePrompts().empty());
}

TEST_F(ScreenTest, AnythingButAThirteenCharacterAnswerIsIgnored) {
    show("FA00007100000;");
    const auto shown = fake::state().texts.size();
    auto& C = catState;
    for (const char* reply : {"FA0000710000;", "FA000071000000;", "FA00007100000", "FA;",
                              "", "FA0000710x000;"}) {
        C.pollAwaitingReply = 1;
        show(reply);
        EXPECT_EQ(fake::state().texts.size(), shown) << reply;
        EXPECT_EQ(C.lastFreqReply, "FA00007100000") << reply;
        EXPECT_EQ(C.pollAwaitingReply, 1) << reply;
        EXPECT_EQ(C.replyText, reply);
    }
    EXPECT_EQ(radioState.freqDisplayText, "    7.100000");
    EXPECT_EQ(radioState.bandTable[4], "01A00007100000B000071000009990");
}

TEST_F(ScreenTest, SplitMarkerShowsAndSplitIsAnnouncedOnce) {
    auto& R = radioState;
    R.splitState = 1;
    show("FB00007150000;");
    EXPECT_EQ(fake::textAt(80, 150), "B   ");
    EXPECT_EQ(R.splitState, 2);
    EXPECT_EQ(fake::takePrompts(), (Prompts{"split"}));

    show("FB00007151000;");
    EXPECT_EQ(fake::textAt(80, 150), "B   ");
    EXPECT_TRUE(fake::takePrompts().empty());

    R.splitState = 0;
    show("FA00007100000;");
    EXPECT_EQ(fake::textAt(80, 150), "    ");
    EXPECT_TRUE(fake::takePrompts().empty());
}

TEST_F(ScreenTest, FirstAnswerAfterConnectionSpeaksConnectedAndShowsNothing) {
    auto& C = catState;
    C.connected = 0;
    C.replyText = "FA00014200000;";
    updateFrequencyDisplay();
    EXPECT_EQ(C.connected, 1);
    const Prompts spoken = fake::takePrompts();
    ASSERT_FALSE(spoken.empty());
    EXPECT_EQ(spoken.back(), "connected");
    EXPECT_EQ(fake::textAt(285, 150), "");
    EXPECT_EQ(C.lastFreqReply, "");
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
    R.nrState = R.procState = R.voxState = 1;
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
    R.breakInState = 1;
    updateStatusRow();
    EXPECT_EQ(fake::textAt(550, 250), "bin ");

    R.mode = 2;  // to USB with VOX off
    updateStatusRow();
    EXPECT_EQ(fake::textAt(550, 250), std::string(5, ' '));

    R.voxState = 1;
    updateStatusRow();
    EXPECT_EQ(fake::textAt(550, 250), "vox");

    R.mode = 3;
    R.breakInState = 0;  // VOX on is not break-in
    updateStatusRow();
    EXPECT_EQ(fake::textAt(550, 250), std::string(5, ' '));
}

TEST_F(ScreenTest, OnlyStateOneShowsALabel) {
    auto& R = radioState;
    R.mode = 1;
    R.nrState = R.procState = R.voxState = 2;
    updateStatusRow();
    EXPECT_EQ(fake::textAt(310, 250), std::string(3, ' '));
    EXPECT_EQ(fake::textAt(460, 250), std::string(5, ' '));
    EXPECT_EQ(fake::textAt(550, 250), std::string(5, ' '));
    R.mode = 3;
    R.breakInState = 2;
    updateStatusRow();
    EXPECT_EQ(fake::textAt(550, 250), std::string(5, ' '));
}

}  // namespace
