// Typed frequencies, the frequency readout, the zero key and the tuning keys.
#include "test_dispatcher_support.h"

#include "base/records.h"
#include "base/text.h"
#include "radio/band_table.h"
#include "radio/vfo_split.h"

using namespace keytest;

namespace {

constexpr int kKeyEscape = 27;  // keys without a command of their own
constexpr int kKeyHome = 36;

class FrequencyEntryTest : public KeyTest {
protected:
    // The frequency command the commit sent: the last "FA"/"FB" of the key.
    std::string committed() {
        std::string last;
        for (const std::string& c : sent())
            if ((c.rfind("FA", 0) == 0 || c.rfind("FB", 0) == 0) && c.size() > 3) last = c;
        return last;
    }
};

// --- typed frequency ---------------------------------------------------------

TEST_F(FrequencyEntryTest, TypedFrequenciesGoOutAsElevenDigitsOfHertz) {
    const struct {
        const char* keys;
        const char* command;
    } cases[] = {
        {"E14.25\n", "FA00014250000;"}, {"E7.05\n", "FA00007050000;"},   {"E7.005\n", "FA00007005000;"},
        {"E7.5\n", "FA00007500000;"},   {"E144.3\n", "FA00144300000;"},  {"E7\n", "FA00007000000;"},
        {"E7.\n", "FA00007000000;"},    {"E439.9\n", "FA00439900000;"},  {"E1.8\n", "FA00001800000;"},
        {"E7.000001\n", "FA00007000001;"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.keys);
        type(c.keys);
        EXPECT_EQ(committed(), c.command);
        const auto prompts = spoken();
        EXPECT_EQ(prompts.front(), "ef");
        EXPECT_EQ(prompts.back(), "ok");
        EXPECT_EQ(keysState.entryActive, 0);
    }
}

TEST_F(FrequencyEntryTest, EntrySpeaksEachKeyAndKeepsFreqHzForTheRadiosAnswer) {
    type("E14.2");
    EXPECT_EQ(spoken(), (Prompts{"ef", "1", "4", "point", "2"}));
    // E goes on to the frequency send with the working frequency.
    EXPECT_EQ(sent(), (std::vector<std::string>{"FA00007100000;"}));
    press(kKeyEnter);
    EXPECT_EQ(radioState.freqHz, 7100000);
    EXPECT_EQ(radioState.band, 6);
}

TEST_F(FrequencyEntryTest, KeysWithNothingValidToTakeChangeNothing) {
    // Megahertz outside 1 to 439 is refused at the digit, Enter with no
    // megahertz typed at the Enter; a digit while a tone is on is no tone
    // entry. Only E's own frequency re-send goes out, and the frequency,
    // band, mode, preamp and the tone the next band store keeps all stay.
    const struct {
        const char* keys;
        bool fmTone;  // 2 m FM narrow with tone 12 on, else 20 m USB
        Prompts prompts;
    } cases[] = {
        {"E0\n", false, {"ef", "0", "invalid"}},
        {"E440\n", false, {"ef", "4", "4", "0", "invalid"}},
        {"E12345\n", false, {"ef", "1", "2", "3", "4", "invalid"}},
        {"E.5\n", false, {"ef", "point", "5", "invalid"}},
        {"E\n", false, {"ef", "invalid"}},
        {"E.\n", false, {"ef", "point", "invalid"}},
        {"5", true, {}},
        {"E\n", true, {"ef", "invalid"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.keys) + (c.fmTone ? " with a tone" : ""));
        auto& R = radioState;
        R.band = c.fmTone ? 12 : 6;
        R.mode = c.fmTone ? 5 : 2;
        R.freqHz = c.fmTone ? 145000000 : 14200000;
        R.preampOn = 1;
        R.ctcssOn = c.fmTone ? 1 : 0;
        R.toneCode = c.fmTone ? "012" : "999";
        R.toneDigitsTyped = 0;
        const std::string reply = frequencyCommand("FA", R.freqHz);
        forget();

        type(c.keys);
        EXPECT_EQ(spoken(), c.prompts);
        EXPECT_EQ(sent(), c.keys[0] == 'E' ? std::vector<std::string>{reply + ";"} : std::vector<std::string>{});
        EXPECT_EQ(keysState.entryActive, 0);
        EXPECT_EQ(R.freqHz, c.fmTone ? 145000000 : 14200000);
        EXPECT_EQ(R.band, c.fmTone ? 12 : 6);
        EXPECT_EQ(R.mode, c.fmTone ? 5 : 2);
        EXPECT_EQ(R.preampOn, 1);
        EXPECT_EQ(R.ctcssOn, c.fmTone ? 1 : 0);

        catState.lastFreqReply = reply;
        storeBand();
        EXPECT_EQ(midText(R.bandTable[R.band], kBandToneAt, kToneWidth), c.fmTone ? "012" : "999");
    }
}

TEST_F(FrequencyEntryTest, FractionStopsAtSixDigits) {
    type("E7.1234567");
    EXPECT_EQ(spoken().back(), "max");
    type("8\n");
    EXPECT_EQ(committed(), "FA00007123456;");

    type("E7.000000");
    forget();
    type("1");
    EXPECT_EQ(spoken(), (Prompts{"max"}));
    type("\n");
    EXPECT_EQ(committed(), "FA00007000000;");
}

TEST_F(FrequencyEntryTest, ModeComesFromTheBandRecord) {
    radioState.mode = 1;
    type("E14.2\n");
    EXPECT_EQ(radioState.mode, 2);
    EXPECT_TRUE(contains(sent(), "MD2;"));

    // FM narrow below 25 MHz becomes AM; from 25 MHz up it stays.
    radioState.bandTable[6][1] = '5';
    type("E14.2\n");
    EXPECT_EQ(radioState.mode, 4);
    radioState.bandTable[10][1] = '5';
    type("E28.5\n");
    EXPECT_EQ(radioState.mode, 5);
}

TEST_F(FrequencyEntryTest, DamagedModeDigitKeepsTheCurrentMode) {
    radioState.mode = 3;
    radioState.bandTable[4][1] = 'x';
    type("E7.02\n");
    EXPECT_EQ(radioState.mode, 3);
    EXPECT_EQ(committed(), "FA00007020000;");
}

TEST_F(FrequencyEntryTest, PreampFollowsTheBandRecord) {
    type("E14.2\n");
    auto commands = sent();
    EXPECT_TRUE(contains(commands, "PA1;"));
    EXPECT_LT(indexOf(commands, "FA00014200000;"), indexOf(commands, "PA1;"));
    EXPECT_EQ(radioState.preampOn, 1);

    type("E7.1\n");
    EXPECT_TRUE(contains(sent(), "PA0;"));
    EXPECT_EQ(radioState.preampOn, 0);
}

TEST_F(FrequencyEntryTest, SplitSendsTheTypedFrequencyToVfoB) {
    radioState.splitState = 1;
    radioState.splitAnnounced = 1;
    type("E14.2\n");
    EXPECT_EQ(committed(), "FB00014200000;");
}

TEST_F(FrequencyEntryTest, OutsideEveryBandKeepsModeEndsSplitAndTouchesNoRecord) {
    std::string before[15];
    for (int b = 0; b < 15; ++b) before[b] = radioState.bandTable[b];
    radioState.mode = 2;
    radioState.splitState = 1;
    radioState.splitAnnounced = 1;
    radioState.preampOn = 1;
    type("E26.5\n");

    EXPECT_EQ(radioState.band, 99);
    EXPECT_EQ(radioState.mode, 2);
    EXPECT_EQ(radioState.splitState, 0);
    EXPECT_EQ(radioState.preampOn, 0);
    const auto commands = sent();
    EXPECT_TRUE(contains(commands, "FA00026500000;"));
    EXPECT_TRUE(contains(commands, "PA0;"));
    EXPECT_EQ(spoken().back(), "ok");
    for (int b = 0; b < 15; ++b) EXPECT_EQ(radioState.bandTable[b], before[b]) << b;
}

TEST_F(FrequencyEntryTest, AnotherControlKeepsDigitsFromTheEntryUntilBackToTuning) {
    type("E7P");
    forget();
    type("1");  // taken by the digit row: back to tuning, the entry untouched
    EXPECT_EQ(radioState.freqMHz, 7);
    type("4\n");
    EXPECT_EQ(committed(), "FA00074000000;");
}

// --- readout -------------------------------------------------------------------

TEST_F(FrequencyEntryTest, ReadoutSpeaksFrequencyModeAndTone) {
    radioState.band = 12;
    radioState.mode = 5;
    radioState.ctcssOn = 1;
    radioState.toneCode = "012";
    keysState.adjustTarget = 3;
    press('F');
    EXPECT_EQ(spoken(), (Prompts{"1", "4", "5", "mhz", "fm", "nar", "ctcss", "1", "2"}));
    EXPECT_EQ(keysState.adjustTarget, 0);
    EXPECT_TRUE(sent().empty());

    radioState.toneCode = "N23";
    press('F');
    const auto prompts = spoken();
    EXPECT_EQ(Prompts(prompts.end() - 3, prompts.end()), (Prompts{"dcs", "2", "3"}));
}

TEST_F(FrequencyEntryTest, ExtendedReadoutSpeaksTheVfoNotInUse) {
    radioState.bandTable[6] = "12A00014200000B000141000009991";
    radioState.band = 6;
    radioState.mode = 2;
    radioState.splitState = 1;
    radioState.splitAnnounced = 1;
    press('X');
    forget();
    press('F');
    EXPECT_EQ(spoken(), (Prompts{"vfoa", "1", "4", "point", "2", "mhz", "usb"}));
    EXPECT_EQ(radioState.splitState, 1);
    EXPECT_EQ(radioState.splitAnnounced, 1);
    EXPECT_EQ(keysState.adjustTarget, 0);

    radioState.splitState = 0;
    press('X');
    forget();
    press('F');
    EXPECT_EQ(spoken(), (Prompts{"vfob", "1", "4", "point", "1", "mhz", "usb"}));
    EXPECT_EQ(radioState.splitState, 0);
}

// --- tuning keys ------------------------------------------------------------------

TEST_F(FrequencyEntryTest, EachTuningKeyStepsByMode) {
    const struct {
        int mode, band, key, step;
    } cases[] = {
        {2, 6, kKeyEquals, 1000000},   {2, 6, kKeyPadPlus, 1000000}, {2, 6, kKeyMinus, -1000000},
        {2, 6, kKeyPadMinus, -1000000}, {2, 6, kKeyPageUp, 10000},    {2, 6, kKeyPageDown, -10000},
        {5, 12, kKeyPageUp, 12500},    {5, 13, kKeyPageDown, -12500}, {5, 14, kKeyPageUp, 12500},
        {7, 12, kKeyPageUp, 10000},    {5, 11, kKeyPageUp, 10000},    {5, 99, kKeyPageUp, 10000},
        {3, 5, kKeyRight, 10},         {3, 5, kKeyLeft, -10},         {2, 6, kKeyRight, 100},
        {1, 4, kKeyLeft, -100},        {4, 14, kKeyRight, 100},       {7, 12, kKeyLeft, -100},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "mode " << c.mode << " band " << c.band << " key " << c.key);
        radioState.mode = c.mode;
        radioState.band = c.band;
        radioState.freqHz = 145000000;
        press(c.key);
        EXPECT_EQ(radioState.freqHz, 145000000 + c.step);
        EXPECT_EQ(sent(), (std::vector<std::string>{"FA" + zeroPad(145000000 + c.step, 11) + ";"}));
        EXPECT_TRUE(spoken().empty());
    }
}

TEST_F(FrequencyEntryTest, LeftAndRightSetTheSquelchInFmNarrow) {
    radioState.mode = 5;
    radioState.band = 12;
    radioState.squelchLevel = 60;
    press(kKeyRight);
    EXPECT_EQ(radioState.squelchLevel, 65);
    EXPECT_EQ(sent(), (std::vector<std::string>{"SQ0065;"}));
    EXPECT_TRUE(spoken().empty());
    EXPECT_EQ(radioState.freqHz, 7100000);

    radioState.squelchLevel = 253;
    press(kKeyRight);
    EXPECT_EQ(radioState.squelchLevel, 255);
    EXPECT_EQ(spoken(), (Prompts{"max"}));
    press(kKeyRight);
    EXPECT_EQ(spoken(), (Prompts{"max"}));
    EXPECT_EQ(sent(), (std::vector<std::string>{"SQ0255;", "SQ0255;"}));

    radioState.squelchLevel = 3;
    press(kKeyLeft);
    EXPECT_EQ(radioState.squelchLevel, 0);
    EXPECT_EQ(spoken(), (Prompts{"0"}));
    EXPECT_EQ(sent(), (std::vector<std::string>{"SQ0000;"}));

    radioState.squelchLevel = 6;
    press(kKeyLeft);
    EXPECT_EQ(radioState.squelchLevel, 1);
    EXPECT_TRUE(spoken().empty());
}

TEST_F(FrequencyEntryTest, EveryKeyReachingTheLastRowResendsTheFrequency) {
    radioState.freqHz = 14074000;
    radioState.mode = 2;
    for (int vk : {int('E'), int('C'), int('G'), int(kKeyHome)}) {
        SCOPED_TRACE(vk);
        press(vk);
        EXPECT_EQ(sentStarting("FA"), (std::vector<std::string>{"FA00014074000;"}));
        press(kKeyEscape);  // drop whatever the key left pending
        forget();
    }
    press(kKeyUp);
    EXPECT_EQ(sentStarting("FA"), (std::vector<std::string>{"FA00014075000;"}));
    press(kKeyDown);
    EXPECT_EQ(sentStarting("FA"), (std::vector<std::string>{"FA00014074000;"}));
}

TEST_F(FrequencyEntryTest, FrequencyIsHeldAtZeroHertzNeverNegative) {
    radioState.mode = 4;
    radioState.band = 14;
    // A step down past 0, a step down at 0, and a frequency left below zero
    // by whatever means: the send holds it at 0 Hz.
    const std::pair<int, int> steps[] = {{500000, kKeyMinus}, {0, kKeyLeft}, {-700, kKeyHome}};
    for (const auto& [hz, vk] : steps) {
        SCOPED_TRACE(hz);
        radioState.freqHz = hz;
        press(vk);
        EXPECT_EQ(radioState.freqHz, 0);
        EXPECT_EQ(spoken(), (Prompts{"min"}));
        EXPECT_EQ(sent(), (std::vector<std::string>{"FA00000000000;"}));
    }

    radioState.freqHz = 1900000;
    press(kKeyMinus);
    EXPECT_EQ(sent(), (std::vector<std::string>{"FA00000900000;"}));
    EXPECT_TRUE(spoken().empty());
}

TEST_F(FrequencyEntryTest, FrequencyCommandIsAlwaysElevenDigits) {
    EXPECT_EQ(frequencyCommand("FA", 14250000), "FA00014250000");
    EXPECT_EQ(frequencyCommand("FB", 0), "FB00000000000");
    EXPECT_EQ(frequencyCommand("FA", -1), "FA00000000000");
    EXPECT_EQ(frequencyCommand("FA", 2147483647), "FA02147483647");
    radioState.freqHz = 2147483000;
    press(kKeyEquals);
    EXPECT_EQ(radioState.freqHz, 2147483647);
    EXPECT_EQ(spoken(), (Prompts{"max"}));
    EXPECT_EQ(sent(), (std::vector<std::string>{"FA02147483647;"}));
}

// --- zero key ------------------------------------------------------------------------

TEST_F(FrequencyEntryTest, ZeroInCwIsTheRadiosZeroBeatOnly) {
    radioState.mode = 3;
    radioState.freqHz = 10100321;
    press('Z');
    EXPECT_EQ(sent(), (std::vector<std::string>{"CA01;"}));
    EXPECT_EQ(spoken(), (Prompts{"0", "ok"}));
    EXPECT_EQ(radioState.freqHz, 10100321);
}

TEST_F(FrequencyEntryTest, ZeroMovesToAWholeKilohertzAndAlwaysMoves) {
    const struct {
        int mode, from, to;
    } cases[] = {
        {2, 14074300, 14075000}, {1, 14074300, 14074000}, {4, 14074300, 14074000},
        {2, 14074000, 14075000}, {1, 14074000, 14073000}, {7, 14074000, 14073000},
        {1, 7100500, 7100000},   {4, 500000, 499000},     {2, 999, 1000},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "mode " << c.mode << " from " << c.from);
        radioState.mode = c.mode;
        radioState.freqHz = c.from;
        press('Z');
        EXPECT_EQ(radioState.freqHz, c.to);
        EXPECT_EQ(sent(), (std::vector<std::string>{"FA" + zeroPad(c.to, 11) + ";"}));
        EXPECT_EQ(spoken(), (Prompts{"0", "ok"}));
    }
}

TEST_F(FrequencyEntryTest, ZeroAtZeroHertzStaysThere) {
    radioState.mode = 1;
    radioState.freqHz = 0;
    press('Z');
    EXPECT_EQ(radioState.freqHz, 0);
    EXPECT_EQ(spoken(), (Prompts{"0", "ok", "min"}));
    EXPECT_EQ(sent(), (std::vector<std::string>{"FA00000000000;"}));
}

}  // namespace
