// Space, T, F12, V and the CTCSS tone entry.
#include "test_dispatcher_support.h"

#include "keys/transmit_keys.h"
#include "program/initialise.h"
#include "radio/band_table.h"
#include "radio/toggles.h"
#include "radio/vfo_split.h"
#include "session/state_query.h"
#include "virtual_radio.h"

using namespace keytest;

namespace {

using Commands = std::vector<std::string>;

class TransmitKeysTest : public KeyTest {
protected:
    static int count(const Prompts& prompts, const std::string& name) {
        int n = 0;
        for (const auto& p : prompts) n += p == name;
        return n;
    }
};

// --- transmit ----------------------------------------------------------------------

TEST_F(TransmitKeysTest, SpaceTwiceTransmitsAndGivesTheSwrSpeechBack) {
    radioState.swrSpeech = 2;
    radioState.tunerState = TunerState::kSwrAnnounced;
    press(kKeySpace);
    EXPECT_EQ(sent(), (Commands{"TX;"}));
    EXPECT_EQ(spoken(), (Prompts{"tx", "on"}));
    EXPECT_EQ(radioState.txState, 1);
    EXPECT_EQ(radioState.parkedSwrSpeech, 2);
    EXPECT_EQ(radioState.swrSpeech, 0);
    EXPECT_EQ(radioState.tunerState, TunerState::kOff);

    press(kKeySpace);
    EXPECT_EQ(sent(), (Commands{"RX;"}));
    EXPECT_EQ(spoken(), (Prompts{"tx", "off"}));
    EXPECT_EQ(radioState.txState, 0);
    EXPECT_EQ(radioState.swrSpeech, 2);

    radioState.swrSpeech = 0;
    press(kKeySpace);
    EXPECT_GT(radioState.txState, 0);  // transmitting even with no SWR speech to park
    press(kKeySpace);
    EXPECT_EQ(radioState.swrSpeech, 0);
}

// "tx on" is not sent on the air: TX goes out once it has sounded, while the
// loop goes on; Space again before that transmits nothing at all.
TEST_F(TransmitKeysTest, TransmitWaitsForTxOnToSoundAndASecondSpaceCancelsIt) {
    fake::state().wavMs["wave/tx.wav"] = 300;
    fake::state().wavMs["wave/on.wav"] = 300;
    press(kKeySpace);
    EXPECT_TRUE(sent().empty());
    fake::advance(599);
    fake::pushTick();
    run();
    EXPECT_TRUE(sentStarting("TX").empty());
    fake::advance(1);
    fake::pushEvent(kEventSound);
    run();
    EXPECT_EQ(sent(), (Commands{"TX;"}));
    press(kKeySpace);
    EXPECT_EQ(sent(), (Commands{"RX;"}));

    press(kKeySpace);
    fake::advance(200);
    press(kKeySpace);
    EXPECT_EQ(sent(), (Commands{"RX;"}));
    fake::advance(5000);
    fake::pushEvent(kEventSound);
    fake::pushTick();
    run();
    EXPECT_TRUE(sentStarting("TX").empty());
    EXPECT_EQ(radioState.txState, 0);
}

// --- tune --------------------------------------------------------------------------

TEST_F(TransmitKeysTest, TuneWithTheAutomaticTunerOnly) {
    radioState.tunerMode = 0;
    press('T');
    EXPECT_EQ(sent(), (Commands{"RM1;", "AC110;", "AC111;"}));
    EXPECT_EQ(spoken(), (Prompts{"tune", "on"}));
    EXPECT_EQ(radioState.tuning, 1);
    EXPECT_EQ(radioState.tunerState, TunerState::kOn);

    press('T');
    EXPECT_EQ(sent(), (Commands{"RM1;", "AC110;"}));
    EXPECT_EQ(spoken(), (Prompts{"tune", "off"}));
    EXPECT_EQ(radioState.tuning, 0);
}

TEST_F(TransmitKeysTest, TuneWithACarrierOnlyRestoresPowerAndModeAfterTheRadiosPause) {
    fake::state().wavMs["wave/delay.wav"] = 100;
    radioState.tunerMode = 1;
    radioState.swrSpeech = 2;
    radioState.mode = 2;
    radioState.txPower = 50;
    press('T');
    EXPECT_EQ(sent(), (Commands{"RM1;", "PC005;", "MD5;", "TX2;"}));
    EXPECT_EQ(spoken(), (Prompts{"tune", "on", "atu", "off"}));
    EXPECT_EQ(radioState.tunerState, TunerState::kOff);

    // The loop goes on through the five pauses after "RX"; then the power
    // goes back, silently, and the mode.
    press('T');
    EXPECT_EQ(sent(), (Commands{"RM1;", "RX;"}));
    EXPECT_EQ(count(spoken(), "off"), 1);
    EXPECT_EQ(radioState.tuning, 0);
    EXPECT_EQ(radioState.swrSpeech, 1);
    fake::advance(499);
    press('O');  // any key meanwhile works: no "ton"
    EXPECT_FALSE(contains(spoken(), "ton"));
    forget();
    fake::pushTick();
    run();
    EXPECT_TRUE(sentStarting("PC").empty());
    fake::advance(1);
    fake::pushTick();
    run();
    const Commands commands = sent();
    EXPECT_TRUE(contains(commands, "PC050;") && contains(commands, "MD2;")) << commands.size();
    EXPECT_EQ(count(spoken(), "watts"), 0);  // the power goes back silently
}

TEST_F(TransmitKeysTest, TimedTuningGivesTheTunerItsTimeOnTheTickThenTheCarrier) {
    fake::state().wavMs["wave/delay.wav"] = 100;
    radioState.tunerMode = 2;
    press('T');
    EXPECT_EQ(sent(), (Commands{"RM1;", "AC110;", "AC111;"}));
    EXPECT_EQ(spoken(), (Prompts{"tune", "on", "delay"}));  // the pause's length asked
    // 21 pauses of the tuner's time, while keys answer "tune on".
    fake::advance(2099);
    press('M');
    EXPECT_EQ(spoken(), (Prompts{"ton"}));
    fake::pushTick();
    run();
    EXPECT_TRUE(sentStarting("TX").empty());
    fake::advance(1);
    fake::pushTick();
    run();
    EXPECT_EQ(sentStarting("AC"), (Commands{"AC110;"}));
    fake::pushTick();
    run();
    forget();

    press('T');
    EXPECT_EQ(sent(), (Commands{"RM1;", "RX;"}));
    fake::advance(500);
    fake::pushTick();
    run();
    EXPECT_EQ(sentStarting("PC"), (Commands{"PC100;"}));

    // T while the tuner still tunes: the tuner is stopped and no carrier
    // follows, ever.
    press('T');
    forget();
    press('T');
    EXPECT_EQ(sent(), (Commands{"RM1;", "AC110;", "RX;"}));
    fake::advance(5000);
    fake::pushTick();
    run();
    EXPECT_TRUE(sentStarting("TX").empty());
    EXPECT_EQ(radioState.tuning, 0);
}

TEST_F(TransmitKeysTest, ReducedRadioTunesWithACwCarrierKeyedByHand) {
    radioState.rigModel = 100;
    radioState.tunerMode = 1;
    press('T');
    EXPECT_EQ(sent(), (Commands{"MD3;"}));
    EXPECT_EQ(spoken(), (Prompts{"tune", "atu", "off", "on", "presskey"}));
    EXPECT_EQ(radioState.tuning, 1);

    press('T');
    EXPECT_EQ(radioState.tuning, 0);
    const Commands commands = sent();
    EXPECT_EQ(indexOf(commands, "RX;"), -1);
    EXPECT_EQ(commands.front(), "MD1;");  // the mode put back
    const Prompts prompts = spoken();
    ASSERT_GE(prompts.size(), 4u);
    EXPECT_EQ(Prompts(prompts.begin(), prompts.begin() + 4), (Prompts{"tune", "atu", "off", "off"}));
}

TEST_F(TransmitKeysTest, DuringTuningOtherKeysOnlySayTon) {
    radioState.tunerMode = 0;
    press('T');
    forget();
    for (int vk : {int(kKeySpace), int('V'), int('F'), int(keyF(12)), int('Q')}) {
        SCOPED_TRACE(vk);
        press(vk);
        EXPECT_EQ(spoken(), (Prompts{"ton"}));
    }
    EXPECT_TRUE(sent().empty());
    EXPECT_EQ(keysState.running, 1);
    EXPECT_EQ(radioState.txState, 0);

    press('S');
    EXPECT_EQ(count(spoken(), "ton"), 0);
    press('T');
    EXPECT_EQ(radioState.tuning, 0);
}

// --- tuner ----------------------------------------------------------------------------

TEST_F(TransmitKeysTest, F12SwitchesTheTuner) {
    press(keyF(12));
    EXPECT_EQ(sent(), (Commands{"AC110;"}));
    EXPECT_EQ(spoken(), (Prompts{"tuner", "on"}));
    EXPECT_EQ(radioState.tunerState, TunerState::kOn);

    radioState.tunerState = TunerState::kSwrAnnounced;
    press(keyF(12));
    EXPECT_EQ(sent(), (Commands{"AC000;"}));
    EXPECT_EQ(spoken(), (Prompts{"tuner", "off"}));
    EXPECT_EQ(radioState.tunerState, TunerState::kOff);
}

// --- split ------------------------------------------------------------------------------

TEST_F(TransmitKeysTest, SplitOnKeepsTheFrequencyCommandAndPutsTheWorkingFrequencyOnVfoB) {
    radioState.band = 6;
    radioState.freqHz = 14200000;
    catState.lastFreqCmd = "FA00014195000;";
    keysState.adjustTarget = 3;
    press('V');
    EXPECT_EQ(radioState.splitState, 1);
    EXPECT_EQ(keysState.adjustTarget, 0);
    EXPECT_EQ(sent(), (Commands{"FT1;", "FB00014200000;"}));

    radioState.rigModel = 100;
    radioState.splitState = 0;
    press('V');
    EXPECT_EQ(sent().front(), "FT2;");
}

TEST_F(TransmitKeysTest, SplitOffReturnsToVfoAAndSwallowsTheNextSend) {
    radioState.band = 6;
    radioState.bandTable[6] = "12A00014200000B000142500009991";
    radioState.splitState = 1;
    radioState.splitAnnounced = 1;
    radioState.toneCode = "999";
    press('V');
    EXPECT_EQ(radioState.splitState, 0);
    EXPECT_EQ(sent(), (Commands{"RX0;", "FA00014200000;"}));
    EXPECT_EQ(spoken(), (Prompts{"split", "off"}));

    radioState.rigModel = 100;
    radioState.splitState = 1;
    press('V');
    EXPECT_EQ(sent(), (Commands{"FT0;", "RX0;", "FA00014200000;"}));
}

TEST_F(TransmitKeysTest, SplitOffAndTheBandStoreKeepTheSameTones) {
    // A committed code (also one loaded from the memory file above the tone
    // entry's 42) goes into the record; digits still being typed, or three
    // typed before Enter ("043" included), are no tone. V and the band store
    // agree.
    struct Case {
        const char* code;
        int typed;
        const char* kept;
    };
    const Case cases[] = {
        {"012", 0, "012"}, {"050", 0, "050"}, {"07", 2, "999"},
        {"149", 3, "999"}, {"043", 3, "999"}, {"999", 0, "999"},
    };
    for (const auto& [code, typed, kept] : cases) {
        radioState.band = 12;
        radioState.mode = 5;
        radioState.splitState = 1;
        radioState.splitAnnounced = 1;
        radioState.ctcssOn = 1;
        radioState.toneCode = code;
        radioState.toneDigitsTyped = typed;
        press('V');
        EXPECT_EQ(radioState.bandTable[12], std::string("05A00145000000B00145000000") + kept + "0") << code;

        radioState.bandTable[12] = kFactoryBandRecords[12];
        radioState.toneCode = code;
        catState.lastFreqReply = "FA00145000000";
        storeBand();
        EXPECT_EQ(radioState.bandTable[12], std::string("05A00145000000B00145000000") + kept + "0") << code;
    }
}

TEST_F(TransmitKeysTest, SplitOutsideEveryBandIsRefusedAndSendsNothing) {
    radioState.band = 99;
    press('V');
    EXPECT_EQ(spoken(), (Prompts{"split", "invalid"}));
    EXPECT_TRUE(sent().empty());
    EXPECT_EQ(radioState.splitState, 0);
}

// --- tone -------------------------------------------------------------------------------

TEST_F(TransmitKeysTest, ToneNumbersCommitWithTheirCommands) {
    const struct {
        const char* digits;
        Commands commands;
        const char* code;
    } cases[] = {
        {"07", {"TN07;", "CN07;", "CT1;"}, "007"},
        {"12", {"TN12;", "CN12;", "CT1;"}, "012"},
        {"42", {"TN42;", "CT1;"}, "042"},
    };
    radioState.mode = 5;
    radioState.band = 12;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.digits);
        radioState.ctcssOn = 0;
        press('I');
        EXPECT_EQ(spoken(), (Prompts{"ec"}));
        EXPECT_EQ(radioState.ctcssOn, 1);
        EXPECT_EQ(radioState.toneCode, "999");
        type(c.digits);
        EXPECT_EQ(spoken(), (Prompts{std::string(1, c.digits[0]), std::string(1, c.digits[1])}));
        press(kKeyEnter);
        EXPECT_EQ(sent(), c.commands);
        EXPECT_EQ(spoken(), (Prompts{"ctcss", "on"}));
        EXPECT_EQ(radioState.toneCode, c.code);
        EXPECT_EQ(radioState.ctcssOn, 1);
    }
}

TEST_F(TransmitKeysTest, EveryPathSetsTheToneInTheRadiosOwnForm) {
    // The virtual radio refuses the tone commands of another model's width
    // ("TN012" on a TS-590, "TN12" on the TS-990S), "CN" for tone 42, and
    // every tone command on the reduced-feature radio. Each path that puts a
    // tone on must leave it set in the radio with nothing refused.
    for (const char* name : {"022", "023", "020qc"}) {
        SCOPED_TRACE(name);
        closeAllPorts();
        closeSpeechLog();
        fake::reset();
        resetState();
        catState.comPort = kRadioPort;
        catState.baudRate = 9600;
        radioState.bandCoverage = "7";
        vradio::ModelSpec radioModel;
        ASSERT_TRUE(vradio::parseModel(name, radioModel));
        vradio::VirtualRadio radio(radioModel);
        std::string refused;
        fake::state().responder = [&](int port, const std::string& bytes) {
            if (port != kRadioPort) return;
            const std::string answer = radio.handle(bytes);
            if (answer == "?;") refused += bytes;
            fake::feed(port, answer);
        };
        auto& tones = radio.state;
        const bool reduced = radioModel.reduced;
        // The radio's tone numbers and switch after a path: none are
        // touched on the reduced radio, which starts at 8 and off.
        auto expectTone = [&](int encoder, int squelch, const char* path) {
            if (reduced) encoder = squelch = 8;
            EXPECT_EQ(tones.toneNumber, encoder) << path;
            EXPECT_EQ(tones.toneSquelchNumber, squelch) << path;
            EXPECT_EQ(tones.toneOn, reduced ? 0 : 1) << path;
            EXPECT_EQ(refused, "") << path;
            tones.toneNumber = tones.toneSquelchNumber = 8;
            tones.toneOn = 0;
        };

        // Start-up on 2 m (band character "<"), FM narrow with tone 12;
        // channel 3 holds 2 m FM narrow with tone 25.
        std::string file = "RIGVOX v3.2b   3.4a <\r\n";
        for (int b = 1; b <= 14; ++b)
            file += std::string(b == 12 ? "05A00145000000B001450000000120" : kFactoryBandRecords[b]) + "\r\n";
        for (int c = 0; c < 100; ++c) file += c == 3 ? "0512A00145000000B001450000000250\r\n" : "9\r\n";
        fake::setFile("savmem.dat", file);
        initialiseProgram();
        ASSERT_EQ(radioState.band, 12);
        expectTone(12, 12, "start-up");

        // The radio comes (back) with its tone lost: the connection sets it.
        queryRadioState();
        expectTone(12, 12, "connection");
        sessionState.connected = 1;

        recallBand();
        expectTone(12, 12, "band recall");

        type("g3");
        expectTone(25, 25, "channel recall");

        if (reduced) continue;  // its mode keys never reach FM
        press('I');  // the channel's tone off ("CT0")
        press('I');
        type("07\n");
        expectTone(7, 7, "tone key");
        // The highest tone has no "CN": the squelch tone stays where it was.
        press('I');
        press('I');
        type("42\n");
        expectTone(42, 8, "tone key, tone 42");
    }
}

TEST_F(TransmitKeysTest, WrongToneNumbersAreRejectedAndLeaveNoTone) {
    radioState.mode = 5;
    radioState.band = 12;
    for (const char* digits : {"43", "123", "043", "4", ""}) {
        SCOPED_TRACE(digits);
        radioState.ctcssOn = 0;
        press('I');
        type(digits);
        forget();
        press(kKeyEnter);
        EXPECT_EQ(spoken(), (Prompts{"invalid"}));
        EXPECT_TRUE(sent().empty());
        EXPECT_EQ(radioState.ctcssOn, 0);
        EXPECT_EQ(radioState.toneCode, "999");
    }
}

TEST_F(TransmitKeysTest, ISecondTimeBeforeADigitStartsAgainAndAfterDigitsSwitchesOff) {
    radioState.mode = 7;
    radioState.band = 12;
    press('I');
    press('I');
    EXPECT_EQ(spoken(), (Prompts{"ec", "ec"}));
    EXPECT_TRUE(sent().empty());
    EXPECT_EQ(radioState.ctcssOn, 1);

    type("1");
    forget();
    press('I');
    EXPECT_EQ(sent(), (Commands{"CT0;"}));
    EXPECT_EQ(spoken(), (Prompts{"ctcss", "off"}));
    EXPECT_EQ(radioState.ctcssOn, 0);
    EXPECT_EQ(radioState.toneCode, "999");
}

TEST_F(TransmitKeysTest, AnotherKeyAbandonsAnEmptyToneEntry) {
    radioState.mode = 5;
    radioState.band = 12;
    press('I');
    press('A');
    EXPECT_EQ(radioState.ctcssOn, 0);
    forget();
    press(kKeyEnter);  // nothing to commit now
    EXPECT_EQ(indexOf(spoken(), "invalid"), -1);
}

TEST_F(TransmitKeysTest, EnterWhileAToneIsOnRejectsTheStoredCode) {
    radioState.mode = 5;
    radioState.band = 12;
    radioState.ctcssOn = 1;
    radioState.toneCode = "007";
    press(kKeyEnter);
    EXPECT_EQ(spoken(), (Prompts{"invalid"}));
    EXPECT_EQ(radioState.ctcssOn, 0);
    EXPECT_TRUE(sent().empty());
    // The radio's tone is still on: the code stays for the band record and
    // the options readout.
    EXPECT_EQ(radioState.toneCode, "007");
    press('O');
    EXPECT_TRUE(contains(spoken(), "ctcss"));
}

TEST_F(TransmitKeysTest, IOutsideFmHasNoToneMeaning) {
    radioState.mode = 2;
    press('I');
    EXPECT_EQ(radioState.ctcssOn, 0);
    EXPECT_TRUE(spoken().empty());
    EXPECT_EQ(sent(), (Commands{"FA00007100000;"}));
}

}  // namespace
