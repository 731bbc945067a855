// Band records: the band judged from the radio's reports, what is stored and
// refused, the recall of a band into the radio (order of commands, split and
// tone), and band stepping with the coverage wrap.
#include <array>

#include "link/serial_port.h"
#include "radio/band_table.h"
#include "test_cat_radio.h"

namespace {

using cattest::kRadioPort;

// The radio answers nothing here: recalls and steps only send.
class BandTableTest : public cattest::ScriptedRadioTest {
protected:
    static std::string sent() { return fake::takeWritten(kRadioPort); }
    static std::array<std::string, 15> table() {
        std::array<std::string, 15> t;
        for (int i = 0; i < 15; ++i) t[i] = radioState.bandTable[i];
        return t;
    }
    // The radio reported this frequency answer (first 13 characters).
    static void reported(const std::string& answer) { catState.lastFreqReply = answer; }
    static bool inOrder(const std::string& text, std::initializer_list<const char*> pieces) {
        std::size_t at = 0;
        for (const char* p : pieces) {
            at = text.find(p, at);
            if (at == std::string::npos) return false;
            at += std::string(p).size();
        }
        return true;
    }
};

// --- checkBand and storeBand -------------------------------------------------

TEST_F(BandTableTest, ReportedFrequencyInTheCurrentBandIsStoredAsVfoA) {
    auto& R = radioState;
    R.band = 6;
    R.mode = 3;
    reported("FA00014074000");
    storeBand();
    EXPECT_EQ(R.band, 6);
    EXPECT_EQ(R.bandTable[6], "03A00014074000B000142000009991");
}

TEST_F(BandTableTest, WhileSplitTheReportGoesIntoVfoBWithTheTone) {
    auto& R = radioState;
    R.band = 12;
    R.mode = 5;
    R.splitState = 1;
    R.splitAnnounced = 1;
    R.toneCode = "012";
    reported("FB00145600000");
    storeBand();
    EXPECT_EQ(R.bandTable[12], "25A00145000000B001456000000120");
}

TEST_F(BandTableTest, ToneDigitsBeingTypedAreNotStoredAsTheBandsTone) {
    auto& R = radioState;
    R.band = 12;
    R.mode = 5;
    reported("FA00145600000");
    // A tone entry with three digits typed and no Enter yet: the poll's
    // frequency answer stores the band meanwhile.
    R.ctcssOn = 1;
    R.toneCode = "123";
    storeBand();
    EXPECT_EQ(R.bandTable[12], "05A00145600000B001450000009990");
    R.toneCode = "12";
    storeBand();
    EXPECT_EQ(R.bandTable[12], "05A00145600000B001450000009990");
    R.toneCode = "008";  // committed
    storeBand();
    EXPECT_EQ(R.bandTable[12], "05A00145600000B001450000000080");
}

TEST_F(BandTableTest, ReportFromAnotherBandChangesTheBandAndStoresNothing) {
    auto& R = radioState;
    R.band = 6;
    R.mode = 4;
    reported("FA00009600000");  // 9.6 MHz while on 20 m
    const auto before = table();
    storeBand();
    EXPECT_EQ(R.band, 14);
    EXPECT_EQ(table(), before);

    // The next report in general coverage is stored there.
    storeBand();
    EXPECT_EQ(R.bandTable[14], "04A00009600000B000096000009990");
    reported("FA00009650000");
    storeBand();
    EXPECT_EQ(R.bandTable[14], "04A00009650000B000096000009990");
}

TEST_F(BandTableTest, BandsFromWholeMegahertzAtTheirEdges) {
    auto& R = radioState;
    const std::pair<const char*, int> reports[] = {
        {"FA00001999999", 1},  {"FA00002000000", 14}, {"FA00003500000", 2},
        {"FA00005350000", 3},  {"FA00007000000", 4},  {"FA00010100000", 5},
        {"FA00014350000", 6},  {"FA00018100000", 7},  {"FA00021000000", 8},
        {"FA00024900000", 9},  {"FA00028000000", 10}, {"FA00029700000", 10},
        {"FA00030000000", 14}, {"FA00050000000", 11}, {"FA00054999999", 11},
        {"FA00144000000", 12}, {"FA00148999999", 12}, {"FA00430000000", 13},
        {"FA00449999999", 13}, {"FA00450000000", 14}, {"FA00000500000", 14},
    };
    for (const auto& [answer, band] : reports) {
        R.band = 4;
        reported(answer);
        checkBand();
        EXPECT_EQ(R.band, band) << answer;
        EXPECT_EQ(R.bandCandidate, band) << answer;
    }
}

TEST_F(BandTableTest, FmIsNeverStoredOnTheBandsUpTo15Metres) {
    auto& R = radioState;
    R.band = 8;
    R.mode = 5;
    reported("FA00021400000");
    const auto before = table();
    storeBand();
    EXPECT_EQ(table(), before);
    R.band = 9;  // 12 m takes FM
    reported("FA00024940000");
    storeBand();
    EXPECT_EQ(R.bandTable[9], "05A00024940000B000248900009991");
}

TEST_F(BandTableTest, NothingIsStoredOutsideEveryBandOrWhileAnotherProgramDrives) {
    auto& R = radioState;
    const auto before = table();
    R.band = 99;
    reported("FA00014100000");
    storeBand();
    EXPECT_EQ(R.band, 6);  // the report names the band again
    EXPECT_EQ(table(), before);

    catState.bridgeUsed = 1;
    storeBand();
    EXPECT_EQ(table(), before);
}

TEST_F(BandTableTest, WithoutAFrequencyReportTheBandStaysAndNothingIsStored) {
    auto& R = radioState;
    R.band = 6;
    const auto before = table();
    for (const char* answer : {"", "FA", "SM00005", "FA0001407x000"}) {
        reported(answer);
        storeBand();
        EXPECT_EQ(R.band, 6) << answer;
        EXPECT_EQ(table(), before) << answer;
    }
}

// --- recallBand ----------------------------------------------------------------

TEST_F(BandTableTest, SplitRecordSendsVfoAThenVfoBThenTransmitOnB) {
    auto& R = radioState;
    R.band = 6;
    R.bandTable[6] = "12A00014200000B000142500009991";
    recallBand();
    const std::string out = sent();
    EXPECT_EQ(out.rfind("FA00014200000;FB00014250000;FT1;", 0), 0u) << out;
    EXPECT_EQ(R.splitState, 1);
    EXPECT_EQ(R.mode, 2);
    const Prompts spoken = fake::takePrompts();
    ASSERT_FALSE(spoken.empty());
    EXPECT_EQ(spoken.front(), "split");
}

TEST_F(BandTableTest, LeavingASplitBandForASimplexOneEndsSplitFirst) {
    auto& R = radioState;
    R.band = 4;
    R.splitState = 1;
    R.splitAnnounced = 1;
    R.quietTicks = 20;
    recallBand();
    const std::string out = sent();
    EXPECT_EQ(out.rfind("FT0;FR0;FA00007100000;", 0), 0u) << out;
    EXPECT_EQ(out.find("FB"), std::string::npos);
    EXPECT_EQ(R.splitState, 0);
    EXPECT_EQ(R.quietTicks, 0);
    const Prompts spoken = fake::takePrompts();
    ASSERT_GE(spoken.size(), 2u);
    EXPECT_EQ(Prompts(spoken.begin(), spoken.begin() + 2), (Prompts{"split", "off"}));
}

TEST_F(BandTableTest, ToneIsRestoredInFmNarrow) {
    auto& R = radioState;
    R.band = 12;
    R.bandTable[12] = "05A00145000000B001450000000120";
    recallBand();
    const std::string out = sent();
    EXPECT_EQ(out.rfind("FA00145000000;TN12;CN12;CT1;", 0), 0u) << out;
    EXPECT_EQ(R.ctcssOn, 1);
    EXPECT_EQ(R.toneCode, "012");
    const Prompts spoken = fake::takePrompts();
    ASSERT_GE(spoken.size(), 3u);
    EXPECT_EQ(Prompts(spoken.begin(), spoken.begin() + 3), (Prompts{"ctcss", "1", "2"}));
}

TEST_F(BandTableTest, RecallEndsWithPreampBandAndModeFromTheRecord) {
    auto& R = radioState;
    R.band = 6;  // 20 m: USB, preamp on
    recallBand();
    const std::string out = sent();
    EXPECT_TRUE(inOrder(out, {"FA00014200000;", "PA1;", "MD2;"})) << out;
    EXPECT_EQ(out.find("CN"), std::string::npos);
    EXPECT_EQ(fake::takePrompts(), (Prompts{"preamp", "on", "20", "metres"}));
    EXPECT_EQ(R.preampOn, 1);
}

TEST_F(BandTableTest, DamagedRecordIsRecalledAsTheFactoryRecord) {
    auto& R = radioState;
    R.band = 5;
    R.bandTable[5] = "03A0001010";
    recallBand();
    EXPECT_EQ(sent().rfind("FA00010100000;", 0), 0u);
    EXPECT_EQ(R.mode, 3);
}

TEST_F(BandTableTest, NoBandTableAccessOutsideBands1To14) {
    auto& R = radioState;
    const auto before = table();
    for (int band : {99, 0, 15, -1}) {
        R.band = band;
        recallBand();
        EXPECT_EQ(sent(), "") << band;
        EXPECT_TRUE(fake::takePrompts().empty()) << band;
        EXPECT_EQ(R.band, band);

        stepBandUp();
        stepBandDown();
        EXPECT_EQ(fake::takePrompts(), (Prompts{"band", "un", "band", "un"})) << band;
        EXPECT_EQ(R.band, band);
        EXPECT_EQ(sent(), "") << band;
    }
    EXPECT_EQ(table(), before);
}

// --- bandOfMHz -----------------------------------------------------------------

TEST_F(BandTableTest, TypedMegahertzGivesTheBandOr99) {
    auto& R = radioState;
    const std::pair<int, int> cases[] = {{1, 1},    {2, 99},   {14, 6},   {29, 10},  {30, 99},
                                         {54, 11},  {55, 99},  {144, 12}, {148, 12}, {430, 13},
                                         {439, 13}, {449, 13}, {450, 99}, {0, 99},  {999, 99}};
    for (const auto& [mhz, band] : cases) {
        R.freqMHz = mhz;
        bandOfMHz();
        EXPECT_EQ(R.band, band) << mhz;
    }
}

TEST_F(BandTableTest, TypedFrequencyOutsideEveryBandEndsUnannouncedSplitOnly) {
    auto& R = radioState;
    R.freqMHz = 450;
    R.splitState = 1;
    bandOfMHz();
    EXPECT_EQ(R.splitState, 0);
    R.splitState = 1;
    R.splitAnnounced = 1;
    bandOfMHz();
    EXPECT_EQ(R.splitState, 1);
    EXPECT_EQ(R.splitAnnounced, 1);
    R.splitState = 1;
    R.freqMHz = 14;
    bandOfMHz();
    EXPECT_EQ(R.splitState, 1);
    EXPECT_EQ(sent(), "");
}

// --- band stepping -------------------------------------------------------------

TEST_F(BandTableTest, StepsWrapAtTheRadiosHighestBand) {
    auto& R = radioState;
    struct Case {
        const char* coverage;
        int from;
        bool up;
        int to;
    };
    const Case cases[] = {
        {"1", 10, true, 1},  {"1", 1, false, 10}, {"1", 9, true, 10},
        {"6", 11, true, 1},  {"6", 1, false, 11}, {"2", 12, true, 1},
        {"2", 1, false, 12}, {"7", 12, true, 13}, {"7", 13, true, 1},
        {"7", 1, false, 13}, {"7", 14, true, 1},  {"7", 14, false, 13},
        {"", 1, false, 10},  {"", 10, true, 1},   {"1", 14, false, 10},
    };
    for (const Case& c : cases) {
        radioState.bandCoverage = c.coverage;
        R.band = c.from;
        R.splitState = 0;
        catState.lastFreqReply.clear();
        c.up ? stepBandUp() : stepBandDown();
        EXPECT_EQ(R.band, c.to) << c.coverage << " " << c.from << (c.up ? " up" : " down");
    }
    EXPECT_EQ(highestBand(), 10);
}

TEST_F(BandTableTest, StepStoresTheBandLeftThenRecallsTheNext) {
    auto& R = radioState;
    radioState.bandCoverage = "1";
    R.band = 10;
    R.mode = 2;
    reported("FA00028400000");
    stepBandUp();
    EXPECT_EQ(R.band, 1);
    EXPECT_EQ(R.bandTable[10], "02A00028400000B000285000009991");
    EXPECT_EQ(sent().rfind("FA00001900000;", 0), 0u);
    EXPECT_EQ(R.mode, 1);
}

}  // namespace
