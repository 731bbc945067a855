// Meter answers and readouts: the S-meter on screen and on the S key, the
// SWR spoken from the radio's reading, and the F11 microphone-gain run with
// its ALC watch.
#include <string>
#include <vector>

#include "keys/adjust_keys.h"
#include "keys/dispatcher.h"
#include "program/event_handler.h"
#include "keys/keys_state.h"
#include "keys/meter_keys.h"
#include "link/serial_port.h"
#include "radio/up_down.h"
#include "session/meters.h"
#include "test_cat_radio.h"
#include "test_support.h"

namespace {

using cattest::takeCommands;
using Commands = std::vector<std::string>;

class MetersTest : public cattest::ScriptedRadioTest {
protected:
    // A meter answer as the poll hands it over.
    static void meterReply(const std::string& reply) { handleMeterReply(reply); }
    static std::string sMeterText() { return fake::textAt(750, 45); }
};

TEST_F(MetersTest, SMeterShownAndSpokenAroundS9) {
    struct Case {
        const char* reply;
        int sMeter;
        const char* shown;
        Prompts spoken;
    };
    const Case cases[] = {
        {"SM00000;", 0, "S0  ", {"s", "0"}},
        {"SM00014;", 14, "S4  ", {"s", "4"}},
        {"SM00027;", 27, "S9  ", {"s", "9"}},
        {"SM00029;", 29, "S9  ", {"s", "9"}},
        {"SM00030;", 30, "S9+", {"s", "9", "plus"}},
    };
    for (const Case& c : cases) {
        meterReply(c.reply);
        EXPECT_EQ(radioState.sMeter, c.sMeter) << c.reply;
        EXPECT_EQ(sMeterText(), c.shown) << c.reply;
        catState.pollAwaitingReply = 1;
        meterKey();
        EXPECT_EQ(fake::takePrompts(), c.spoken) << c.reply;
        // The key speaks what it has: the poll's own answer stays the poll's.
        EXPECT_EQ(catState.pollAwaitingReply, 1);
        EXPECT_TRUE(takeCommands().empty());
    }
}

TEST_F(MetersTest, ModelScalings) {
    radioState.rigModel = 20;  // counts to 20: two thirds as fine
    meterReply("SM00020;");
    EXPECT_EQ(radioState.sMeter, 30);
    EXPECT_EQ(sMeterText(), "S9+");
    meterReply("SM00013;");
    EXPECT_EQ(radioState.sMeter, 19);
    EXPECT_EQ(sMeterText(), "S6  ");

    radioState.rigModel = 100;  // "SM" and three digits, three times as fine
    meterReply("SM048;");
    EXPECT_EQ(radioState.sMeter, 16);
    EXPECT_EQ(sMeterText(), "S5  ");
    for (const char* top : {"SM084;", "SM090;", "SM095;"}) {
        meterReply(top);
        EXPECT_EQ(radioState.sMeter, 27) << top;
        EXPECT_EQ(sMeterText(), "S9  ") << top;
    }
}

TEST_F(MetersTest, SMeterIgnoredWhileTuningOrFromOtherAnswers) {
    meterReply("SM00012;");
    radioState.tuning = 1;
    meterReply("SM00030;");
    radioState.tuning = 0;
    meterReply("FA00014200000;SM00030;");  // not at the start: not an S-meter answer
    EXPECT_EQ(radioState.sMeter, 12);
    EXPECT_EQ(sMeterText(), "S4  ");
}

TEST_F(MetersTest, SwrSpokenIsWhatTheRadiosMeterScaleShows) {
    radioState.swrSpeech = 1;
    radioState.tuning = 1;
    radioState.tunerState = TunerState::kOn;
    meterReply("RM10006;");  // first reading: the full sentence
    EXPECT_EQ(fake::takePrompts(), (Prompts{"swr", "1", "point", "5", "21"}));
    EXPECT_EQ(radioState.tunerState, TunerState::kSwrAnnounced);

    // Afterwards the bare figures: the scale's marks (1.0 at 0, 1.5 at 6,
    // 2.0 at 12, 3.0 at 18, 10 at 30), straight lines between, "gt6" above 6.
    struct Case {
        const char* reply;
        Prompts spoken;
    };
    const Case cases[] = {
        {"RM10000;", {"1", "point", "0"}}, {"RM10003;", {"1", "point", "3"}},
        {"RM10006;", {"1", "point", "5"}}, {"RM10009;", {"1", "point", "8"}},
        {"RM10012;", {"2", "point", "0"}}, {"RM10015;", {"2", "point", "5"}},
        {"RM10018;", {"3", "point", "0"}}, {"RM10021;", {"4", "point", "8"}},
        {"RM10023;", {"5", "point", "9"}}, {"RM10024;", {"gt6"}},
        {"RM10030;", {"gt6"}},             {"RM19999;", {"gt6"}},
        {"SM00005;RM10012;", {"2", "point", "0"}},
    };
    for (const Case& c : cases) {
        meterReply(c.reply);
        EXPECT_EQ(fake::takePrompts(), c.spoken) << c.reply;
    }
}

TEST_F(MetersTest, SKeyWhileTransmittingOrTuningSpeaksTheSwr) {
    // Kept from the tune even with SWR speech off.
    radioState.tunerState = TunerState::kOn;
    meterReply("RM10012;");
    EXPECT_TRUE(fake::takePrompts().empty());
    meterReply("SM00030;");

    radioState.txState = 1;
    meterKey();
    EXPECT_EQ(fake::takePrompts(), (Prompts{"swr", "2", "point", "0", "21"}));
    meterKey();  // announced once: "21" still follows while transmitting
    EXPECT_EQ(fake::takePrompts(), (Prompts{"2", "point", "0", "21"}));

    radioState.txState = 0;
    radioState.tuning = 1;
    meterKey();
    EXPECT_EQ(fake::takePrompts(), (Prompts{"2", "point", "0"}));

    radioState.tuning = 0;
    meterKey();
    EXPECT_EQ(fake::takePrompts(), (Prompts{"s", "9", "plus"}));
}

TEST_F(MetersTest, NoReadingIsNotSpokenAsAPerfectMatchOrADeadBand) {
    radioState.txState = 1;
    meterKey();
    EXPECT_EQ(fake::takePrompts(), (Prompts{"swr", "na"}));
    EXPECT_EQ(radioState.tunerState, TunerState::kOff);

    // A garbled count keeps the last reading.
    meterReply("RM10015;");
    meterReply("RM1?;");
    meterKey();
    EXPECT_EQ(fake::takePrompts(), (Prompts{"swr", "2", "point", "5", "21"}));

    // A radio that answers the S-meter query without a reading ("SM;")
    // gives none: S says so, and the screen keeps what it showed.
    radioState.txState = 0;
    for (const char* reply : {"SM;", "SM0;", "SM0??;"}) {
        meterReply(reply);
        meterKey();
        EXPECT_EQ(fake::takePrompts(), (Prompts{"s", "na"})) << reply;
        EXPECT_EQ(sMeterText(), "") << reply;
    }
}

TEST_F(MetersTest, ReducedRadioSwrFromTheReplysCharacters) {
    radioState.rigModel = 100;
    radioState.swrSpeech = 1;
    radioState.tuning = 1;
    meterReply("RM15;");
    EXPECT_EQ(fake::takePrompts(), (Prompts{"swr", "1", "point", "5", "21"}));
    EXPECT_EQ(radioState.tunerState, TunerState::kSwrAnnounced);
    meterReply("RM15;");
    EXPECT_EQ(fake::takePrompts(), (Prompts{"1", "point", "5"}));
}

TEST_F(MetersTest, ReducedRadioSwrSpeaksNoGarbledCharacter) {
    radioState.rigModel = 100;
    radioState.swrSpeech = 1;
    radioState.tuning = 1;
    // Line noise ahead of the answer puts non-digits where the reading is
    // taken; no outside byte may name a recording.
    meterReply(std::string("\x01/\x0b.RM15;", 9));
    EXPECT_EQ(fake::takePrompts(), (Prompts{"swr", "point", "21"}));
    meterReply("::RM15;");
    EXPECT_EQ(fake::takePrompts(), (Prompts{"point"}));
}

TEST_F(MetersTest, AlcPeakKeptAndSpokenAfterAQuietSpell) {
    radioState.alcAnnounce = AlcWatch::kNameNext;
    radioState.alcValue = 0;
    radioState.quietTicks = 11;
    meterReply("RM30012;");
    EXPECT_EQ(radioState.alcValue, 12);
    EXPECT_EQ(fake::takePrompts(), (Prompts{"alc", "1", "2"}));
    EXPECT_EQ(radioState.quietTicks, 0);

    meterReply("RM30005;");  // lower: the peak stays, and too soon to speak
    EXPECT_EQ(radioState.alcValue, 12);
    EXPECT_TRUE(fake::takePrompts().empty());

    radioState.quietTicks = 11;
    meterReply("RM30020;");
    EXPECT_EQ(fake::takePrompts(), (Prompts{"2", "0"}));

    radioState.alcAnnounce = AlcWatch::kOff;  // outside the watch ALC answers are ignored
    meterReply("RM30030;");
    EXPECT_EQ(radioState.alcValue, 20);

    // The TS-890S counts its meters from the ALC: "RM1" is its ALC, "RM2"
    // its SWR and "RM3" its compression, which is no ALC reading. The SWR
    // that comes with it is kept, not spoken: only tuning speaks it.
    radioState.rigModel = 24;
    radioState.alcAnnounce = AlcWatch::kNameSaid;
    radioState.quietTicks = 11;
    radioState.swrSpeech = 1;
    radioState.tunerState = TunerState::kSwrAnnounced;
    meterReply("RM10025;RM20012;RM30030;");
    EXPECT_EQ(radioState.alcValue, 25);
    EXPECT_EQ(radioState.swrText, "20");
    EXPECT_EQ(fake::takePrompts(), (Prompts{"2", "5"}));
}

TEST_F(MetersTest, F11ThenUpTwiceThenF11) {
    radio.answers["MG;"] = "MG050;";
    radio.answers["RM;"] = "RM10000;RM20000;RM30003;";  // the TS-590SG gives all three
    sessionState.connected = 1;
    auto press = [](int key) {
        keysState.eventKind = kEventKeyDown;
        keysState.eventParam = key;
        handleEvent();
        keysState.eventKind = kEventKeyUp;
        handleEvent();
    };
    press(keyF(11));  // the gain and ALC read, the start value spoken
    EXPECT_EQ(fake::takePrompts(), (Prompts{"micgain", "lev", "delay", "delay", "3", "delay"}));
    EXPECT_EQ(keysState.adjustTarget, 12);
    EXPECT_EQ(radioState.alcAnnounce, AlcWatch::kNameNext);
    EXPECT_EQ(radioState.alcValue, 0);

    press(kKeyUp);  // the arrows step the gain silently and keep the watch
    press(kKeyUp);
    EXPECT_TRUE(fake::takePrompts().empty());
    EXPECT_EQ(radioState.alcAnnounce, AlcWatch::kNameNext);

    press(keyF(11));  // ends the watch only
    EXPECT_EQ(fake::takePrompts(), (Prompts{"micgain", "lev", "5", "2", "off"}));
    EXPECT_EQ(takeCommands(), (Commands{"MG;", "RM3;", "RM;", "MG051;", "MG052;"}));
    EXPECT_EQ(radioState.alcAnnounce, AlcWatch::kOff);
    EXPECT_EQ(radioState.alcValue, 0);
}

TEST_F(MetersTest, F11WithoutAnAnswerKeepsTheKnownGain) {
    radioState.micGain = 40;
    radio.answering = false;
    startAlcWatch();
    EXPECT_EQ(radioState.micGain, 40);
    EXPECT_EQ(fake::takePrompts(), (Prompts{"micgain", "lev", "delay", "delay", "0", "delay"}));
}

}  // namespace
