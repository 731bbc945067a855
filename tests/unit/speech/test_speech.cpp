// The prompt player (file names, the queue, the speech log), the seven
// readouts, heard as the prompt names the fake platform recorded, and the
// readouts' written text for the braille display and the screen reader.
#include <functional>

#include "test_cat_radio.h"
#include "test_support.h"

#include "base/records.h"
#include "keys/dispatcher.h"
#include "keys/keys_state.h"
#include "keys/meter_keys.h"
#include "link/exchange.h"
#include "program/event_handler.h"
#include "radio/band_table.h"
#include "session/meters.h"
#include "radio/panel.h"
#include "radio/toggles.h"
#include "session/poll.h"
#include "speech/prompts.h"
#include "speech/readout_text.h"
#include "speech/readouts.h"
#include "speech/speech_state.h"

namespace {

// The frequency readout as the keys run it: the field the radio says is
// current, spoken.
void speakCurrentFrequency() { speakFrequency(frequencyField(radioState.splitState > 0), radioState.splitState > 0); }

class SpeechTest : public RigvoxTest {
protected:
    void TearDown() override { closeSpeechLog(); }

    static std::vector<std::string> paths() {
        std::vector<std::string> out;
        for (const auto& p : fake::state().prompts) out.push_back(p.path);
        return out;
    }
    // The band record of the current band with new VFO A and VFO B digits.
    static void setFrequencies(const std::string& vfoA, const std::string& vfoB) {
        auto& R = radioState;
        R.bandTable[R.band] = "02A" + vfoA + "B" + vfoB + "9991";
    }
};

// --- prompt files ----------------------------------------------------------

TEST_F(SpeechTest, NamesResolveToLowerCaseWavFilesInThePromptFolder) {
    playPrompt("on");
    playPrompt("on.wav");
    playPrompt("SWR");
    playPrompt("swr");
    playPrompt("Power");
    playPrompt("EF");
    playPrompt("7");
    EXPECT_EQ(paths(), (std::vector<std::string>{"wave/on.wav", "wave/on.wav", "wave/swr.wav",
                                                 "wave/swr.wav", "wave/power.wav", "wave/ef.wav",
                                                 "wave/7.wav"}));
    EXPECT_EQ(promptPath("HELP.WAV"), "wave/help.wav");
    speechState.waveDir = "prompts/";
    EXPECT_EQ(promptPath("nar.wav"), "prompts/nar.wav");
}

// Prompts are queued without taking the program's time; the speech log
// names each as it begins to sound, a missing one (no length) in its turn
// and the reply pause in its place; a stop drops what has not begun, which
// the log never names.
TEST_F(SpeechTest, PromptsQueueWithoutWaitingAndTheLogNamesEachAsItBegins) {
    auto& F = fake::state();
    F.env["RIGVOX_SPEECH_LOG"] = "speech.log";
    F.wavMs["wave/preamp.wav"] = 400;
    F.wavMs["wave/on.wav"] = 250;
    F.missingWavs.insert("wave/nb.wav");
    playPrompt("preamp");
    playPrompt("nb");
    notePrompt("delay");
    playPrompt("ON");
    EXPECT_EQ(paths(), (std::vector<std::string>{"wave/preamp.wav", "wave/nb.wav", "wave/on.wav"}));
    EXPECT_EQ(F.nowMs, 0);
    EXPECT_EQ(fake::fileContent("speech.log"), "preamp\n");
    EXPECT_TRUE(speechBusy());
    fake::advance(399);
    serviceSpeech();
    EXPECT_EQ(fake::fileContent("speech.log"), "preamp\n");
    fake::advance(1);
    serviceSpeech();
    EXPECT_EQ(fake::fileContent("speech.log"), "preamp\nnb\ndelay\non\n");
    fake::advance(250);
    EXPECT_FALSE(speechBusy());

    playPrompt("preamp");
    playPrompt("on");
    fake::advance(100);
    stopSpeech();
    EXPECT_FALSE(speechBusy());
    EXPECT_EQ(F.soundStops, 1);
    fake::advance(1000);
    playPrompt("ok");  // the next readout begins at once
    EXPECT_EQ(fake::fileContent("speech.log"), "preamp\nnb\ndelay\non\npreamp\nok\n");
}

TEST_F(SpeechTest, TheReplyPauseIsTheRadiosTimeNotTheSpeechs) {
    auto& F = fake::state();
    F.wavMs["wave/help.wav"] = 9000;
    F.wavMs["wave/delay.wav"] = 100;
    playHelp("help.wav");
    waitForReply();
    ASSERT_EQ(F.prompts.size(), 2u);
    EXPECT_EQ(F.prompts[1].path, "wave/delay.wav");
    EXPECT_EQ(F.prompts[1].atMs, 0);  // help did not hold the program
    EXPECT_EQ(F.nowMs, 100);
    EXPECT_TRUE(speechBusy());
}

TEST_F(SpeechTest, DigitsAreSpokenOneCharacterAtATimeWithoutSignOrBlank) {
    speakDigits(" 125");
    speakDigits("-7");
    EXPECT_EQ(fake::takePrompts(), (Prompts{"1", "2", "5", "7"}));
}

// --- speech log ------------------------------------------------------------

TEST_F(SpeechTest, SpeechLogNamesEachPromptOneWay) {
    // The recording's name: lower case, no ".wav", however it was asked for.
    fake::state().env["RIGVOX_SPEECH_LOG"] = "speech.log";
    fake::setFile("speech.log", "earlier\n");  // appended to, never replaced
    playPrompt("SWR");
    playPrompt("on.wav");
    playHelp("help.wav");
    waitForReply();
    EXPECT_EQ(fake::fileContent("speech.log"), "earlier\nswr\non\nhelp\ndelay\n");
}

TEST_F(SpeechTest, SpeechLogFollowsTheVariable) {
    auto& F = fake::state();
    playPrompt("ok");
    EXPECT_TRUE(F.files.empty());
    F.env["RIGVOX_SPEECH_LOG"] = "first.log";
    playPrompt("1");
    F.env["RIGVOX_SPEECH_LOG"] = "second.log";
    playPrompt("2");
    F.env.erase("RIGVOX_SPEECH_LOG");
    playPrompt("3");
    EXPECT_EQ(fake::fileContent("first.log"), "1\n");
    EXPECT_EQ(fake::fileContent("second.log"), "2\n");
    EXPECT_EQ(F.files.size(), 2u);
}

// --- frequency -------------------------------------------------------------

TEST_F(SpeechTest, FrequencyReadoutsDropTrailingZerosAndTheWholeMHzWhenZero) {
    struct Case {
        const char* vfoA;
        Prompts spoken;
    };
    const Case cases[] = {
        {"00014074000", {"1", "4", "point", "0", "7", "4", "mhz"}},
        {"00014000000", {"1", "4", "mhz"}},
        {"00007000000", {"7", "mhz"}},
        {"00145500000", {"1", "4", "5", "point", "5", "mhz"}},
        {"00001840000", {"1", "point", "8", "4", "mhz"}},
        {"00000500000", {"point", "5", "mhz"}},
        {"00010000001", {"1", "0", "point", "0", "0", "0", "0", "0", "1", "mhz"}},
    };
    for (const Case& c : cases) {
        setFrequencies(c.vfoA, "00003600000");
        speakCurrentFrequency();
        EXPECT_EQ(fake::takePrompts(), c.spoken) << c.vfoA;
    }
}

TEST_F(SpeechTest, SplitReadsVfoBAfterSayingSo) {
    setFrequencies("00014074000", "00014079500");
    for (int split : {1, 2}) {
        takeSplitDigit(split);
        speakCurrentFrequency();
        EXPECT_EQ(fake::takePrompts(),
                  (Prompts{"vfob", "1", "4", "point", "0", "7", "9", "5", "mhz"}));
    }
}

TEST_F(SpeechTest, OutsideEveryBandTheLastReportedFrequencyIsSpoken) {
    auto& R = radioState;
    R.band = 99;
    catState.lastFreqReply = "FA00011500000";
    R.freqHz = 14200000;
    speakCurrentFrequency();
    EXPECT_EQ(fake::takePrompts(), (Prompts{"1", "1", "point", "5", "mhz"}));

    // No frequency answer yet: the working frequency.
    catState.lastFreqReply.clear();
    speakCurrentFrequency();
    EXPECT_EQ(fake::takePrompts(), (Prompts{"1", "4", "point", "2", "mhz"}));
}

TEST_F(SpeechTest, ADamagedRecordFieldFallsBackToTheReportedFrequency) {
    radioState.bandTable[radioState.band] = "01A0000710";
    catState.lastFreqReply = "FA00007150000";
    speakCurrentFrequency();
    EXPECT_EQ(fake::takePrompts(), (Prompts{"7", "point", "1", "5", "mhz"}));
}

// The readout speaks the radio's report (the dial may be ahead of the band
// record), but never one older than a frequency the program sent: not the
// last report, nor the answer to a poll query that went out before the
// command, until the radio reports again.
class ReadoutAfterSendTest : public cattest::ScriptedRadioTest {};

TEST_F(ReadoutAfterSendTest, NoReportOlderThanTheFrequencySentIsSpoken) {
    auto& C = catState;
    sessionState.connected = 1;
    sessionState.modelAnswered = 1;
    const Prompts old{"7", "point", "1", "5", "mhz"};
    const Prompts sent{"7", "point", "2", "mhz"};
    radio.answers["FA;"] = "FA00007150000;";
    radio.answers["SM0;"] = "SM00014;";
    pollTick();
    pollTick();  // the dial was turned to 7.15 MHz
    fake::takePrompts();
    speakCurrentFrequency();
    EXPECT_EQ(fake::takePrompts(), old);

    pollTick();  // the next frequency query: the radio answers 7.15 at once
    ASSERT_EQ(C.pollSelect, 1);
    sendText(frequencyCommand("FA", 7200000));  // a recall, or another program's command
    radio.answers["FA;"] = "FA00007200000;";
    speakCurrentFrequency();
    EXPECT_EQ(fake::takePrompts(), sent);
    pollTick();  // collects the old answer: dropped
    speakCurrentFrequency();
    EXPECT_EQ(fake::takePrompts(), sent);
    EXPECT_EQ(recordDigits(radioState.bandTable[radioState.band], kBandVfoAAt), "00007150000");

    pollTick();
    pollTick();  // the radio's own report of the new frequency
    EXPECT_EQ(C.lastFreqReply, "FA00007200000");
    speakCurrentFrequency();
    EXPECT_EQ(fake::takePrompts(), sent);
    EXPECT_EQ(recordDigits(radioState.bandTable[radioState.band], kBandVfoAAt), "00007200000");
}

// --- bandwidth -------------------------------------------------------------

TEST_F(SpeechTest, SsbIndicesSpeakKilohertzInTwoHundredHertzSteps) {
    auto& R = radioState;
    const char* const expected[13][2] = {{"1", "0"}, {"1", "2"}, {"1", "4"}, {"1", "6"}, {"1", "8"},
                                         {"2", "0"}, {"2", "2"}, {"2", "4"}, {"2", "6"}, {"2", "8"},
                                         {"3", "0"}, {"3", "2"}, {"3", "4"}};
    for (int mode : {1, 2}) {
        R.mode = mode;
        for (int index = 0; index <= 12; ++index) {
            R.filterWidth = index;
            speakBandwidth(radioState.mode, radioState.filterWidth);
            EXPECT_EQ(fake::takePrompts(),
                      (Prompts{"bw", expected[index][0], "point", expected[index][1], "khz"}))
                << index;
        }
    }
    R.filterWidth = 13;
    speakBandwidth(radioState.mode, radioState.filterWidth);
    EXPECT_EQ(fake::takePrompts(), (Prompts{"bw", "3", "point", "khz"}));
}

TEST_F(SpeechTest, CwWidthsInHertzBelowOneKilohertzElseKilohertz) {
    auto& R = radioState;
    R.mode = 3;
    const std::pair<int, Prompts> cases[] = {
        {50, {"bw", "5", "0", "hz"}},
        {500, {"bw", "5", "0", "0", "hz"}},
        {1000, {"bw", "1", "point", "0", "khz"}},
        {1500, {"bw", "1", "point", "5", "khz"}},
        {2000, {"bw", "2", "point", "0", "khz"}},
        {2500, {"bw", "2", "point", "5", "khz"}},
    };
    for (const auto& [width, spoken] : cases) {
        R.filterWidth = width;
        speakBandwidth(radioState.mode, radioState.filterWidth);
        EXPECT_EQ(fake::takePrompts(), spoken) << width;
    }
}

TEST_F(SpeechTest, AmAndFmBandwidthIsTheWordAlone) {
    for (int mode : {4, 5, 7, 0}) {
        radioState.mode = mode;
        radioState.filterWidth = 8;
        speakBandwidth(radioState.mode, radioState.filterWidth);
        EXPECT_EQ(fake::takePrompts(), (Prompts{"bw"})) << mode;
    }
}

// --- power, band, mode, ALC, keyer ------------------------------------------

TEST_F(SpeechTest, PowerIsSpokenInWattsOrAsTheFixedOutput) {
    speakPower(100, false);
    speakPower(5, false);
    EXPECT_EQ(fake::takePrompts(), (Prompts{"1", "0", "0", "watts", "5", "watts"}));
    speakPower(50, true);
    EXPECT_EQ(fake::takePrompts(), (Prompts{"4", "point", "5", "watts"}));
}

TEST_F(SpeechTest, BandNamesWithMetresButGeneralCoverageAndOutsideWithout) {
    const char* const names[] = {"", "160", "80", "60", "40", "30", "20", "17",
                                 "15", "12", "10", "6", "2", "70"};
    for (int band = 1; band <= 13; ++band) {
        radioState.band = band;
        speakBand(radioState.band);
        EXPECT_EQ(fake::takePrompts(), (Prompts{names[band], "metres"})) << band;
    }
    radioState.band = 14;
    speakBand(radioState.band);
    EXPECT_EQ(fake::takePrompts(), (Prompts{"un"}));
    for (int band : {99, 0, 15}) {
        radioState.band = band;
        speakBand(radioState.band);
        EXPECT_TRUE(fake::takePrompts().empty()) << band;
    }
}

TEST_F(SpeechTest, ModesAreBareNamesInTheLogAndFmNarrowTakesTwo) {
    fake::state().env["RIGVOX_SPEECH_LOG"] = "speech.log";
    for (int mode : {1, 2, 3, 4, 5, 7, 6, 0}) {
        radioState.mode = mode;
        speakMode(radioState.mode);
    }
    EXPECT_EQ(fake::fileContent("speech.log"), "lsb\nusb\ncw\nam\nfm\nnar\nfm\n");
    EXPECT_EQ(fake::takePrompts(), (Prompts{"lsb", "usb", "cw", "am", "fm", "nar", "fm"}));
}

TEST_F(SpeechTest, AlcSaysItsWordOnceAtTheStartOfASeries) {
    auto& R = radioState;
    R.alcAnnounce = AlcWatch::kNameNext;
    R.alcValue = 12;
    R.quietTicks = 20;
    speakAlc();
    EXPECT_EQ(R.alcAnnounce, AlcWatch::kNameSaid);
    EXPECT_EQ(R.quietTicks, 0);
    R.alcValue = 3;
    speakAlc();
    EXPECT_EQ(fake::takePrompts(), (Prompts{"alc", "1", "2", "3"}));
}

TEST_F(SpeechTest, KeyerSpeedAtItsLimits) {
    const std::pair<int, Prompts> cases[] = {
        {4, {"4", "wpm"}}, {25, {"2", "5", "wpm"}}, {60, {"6", "0", "wpm"}}};
    for (const auto& [speed, spoken] : cases) {
        radioState.keyerSpeed = speed;
        speakKeyerSpeed(radioState.keyerSpeed);
        EXPECT_EQ(fake::takePrompts(), spoken) << speed;
    }
}

// --- the system's speech (VOICE=system) -------------------------------------

class SystemVoiceTest : public SpeechTest {
protected:
    void SetUp() override {
        SpeechTest::SetUp();
        auto& F = fake::state();
        F.speechReachable = true;
        F.env["RIGVOX_SPEECH_LOG"] = "speech.log";
        F.wavMs["wave/delay.wav"] = 100;
        speechState.voiceChoice = kVoiceSystem;
        ASSERT_TRUE(openVoice());
    }
};

TEST_F(SystemVoiceTest, AReadoutIsOneUtteranceOfItsPromptsWordsAndThePauseKeepsItsLength) {
    speakFrequency("00007100000", false);
    speakMode(kModeLsb);
    EXPECT_TRUE(fake::state().utterances.empty());  // collected, not said yet
    waitForReply();  // the reply pause says it first, then waits its whole length
    playPrompt("preamp");
    playPrompt("on.wav");
    endUtterance();
    endUtterance();  // nothing left: nothing said
    EXPECT_EQ(fake::takeUtterances(),
              (std::vector<std::string>{"seven point one megahertz lower sideband", "preamp on"}));
    EXPECT_EQ(fake::takePrompts(), (Prompts{"delay"}));  // its length asked for, no recording played
    EXPECT_EQ(fake::state().nowMs, 100);
    EXPECT_EQ(fake::fileContent("speech.log"), "7\npoint\n1\nmhz\nlsb\ndelay\npreamp\non\n");
}

TEST_F(SystemVoiceTest, HelpIsQueuedThenCutByASpokenReadoutOrAKeyAndALostServiceLeavesThePrompts) {
    auto& F = fake::state();
    playPrompt("ok");
    playHelp("help");  // said at once, after what was collected before it
    playHelp("keyf");  // the whole help's next sentence: after it, not over it
    playPrompt("quit");         // a waiting readout silences the help first
    endUtterance();
    playHelp("helpkey");
    stopSpeech();  // a key stops the help
    playPrompt("nc");
    endUtterance();
    ASSERT_EQ(F.utterances.size(), 6u);
    EXPECT_EQ(F.utterances[0].text, "OK");
    EXPECT_EQ(F.utterances[1].text, "help for every key. Any key stops it.");
    EXPECT_EQ(F.utterances[2].text.rfind("F, reads the frequency", 0), 0u) << F.utterances[2].text;
    EXPECT_EQ(F.utterances[3].text, "quit");
    EXPECT_EQ(F.utterances[5].text, "no connection");
    std::vector<bool> cut;
    for (const auto& u : F.utterances) cut.push_back(u.cutPrevious);
    EXPECT_EQ(cut, (std::vector<bool>{false, false, false, true, false, true}));
    EXPECT_EQ(F.speechCancels, 2);

    // A service restarted under the program: one new connection says it.
    F.speechSaysLeft = 0;
    playPrompt("ok");
    endUtterance();
    EXPECT_EQ(F.utterances.back().text, "OK");
    EXPECT_EQ(speechState.voiceLost, 0);

    // One that stays gone: the prompts say this utterance and all after it.
    F.speechSaysLeft = 0;
    F.speechReachable = false;
    F.utterances.clear();
    playPrompt("tx");
    playPrompt("off");
    endUtterance();
    EXPECT_EQ(speechState.voiceLost, 1);
    playPrompt("ok");
    EXPECT_EQ(fake::takePrompts(), (Prompts{"tx", "off", "ok"}));
    EXPECT_TRUE(F.utterances.empty());
}

}  // namespace

// --- the written text (braille display, screen reader, text log) ------------

class ReadoutTextTest : public SpeechTest {
protected:
    void SetUp() override {
        SpeechTest::SetUp();
        fake::state().accessReachable = true;
        speechState.brailleChoice = 1;
        ASSERT_TRUE(openVoice());
    }
    void TearDown() override {
        closeTextLog();
        SpeechTest::TearDown();
    }
};

// One row per kind of readout, each said as the program says it: the text
// is written as people write it, never the prompt names.
TEST_F(ReadoutTextTest, EachKindOfReadoutHasItsWrittenText) {
    auto& R = radioState;
    const std::vector<std::pair<std::function<void()>, std::string>> rows = {
        {[] { speakFrequency("00014074000", false); speakMode(kModeUsb); }, "14.074 MHz USB"},
        {[] { speakFrequency("00145000000", true); }, "VFO B 145 MHz"},
        {[] { speakFrequency("00000500000", false); }, "0.5 MHz"},
        {[] { speakMode(kModeFmNarrow); }, "FM narrow"},
        {[] { speakBandwidth(kModeUsb, 7); }, "bandwidth 2.4 kHz"},
        {[] { speakBandwidth(kModeCw, 500); }, "bandwidth 500 Hz"},
        {[] { speakBandwidth(kModeCw, 1800); }, "bandwidth 1.8 kHz"},
        {[] { speakPower(100, false); }, "100 W"},
        {[] { speakPower(0, true); }, "4.5 W"},
        {[] { speakBand(kBandGeneral); }, "general coverage"},
        {[] { speakBand(kBand70cm); }, "70 cm"},
        {[] { speakBand(kBand12m); }, "12 m"},
        {[] { speakKeyerSpeed(25); }, "25 WPM"},
        {[] { setPreamp(true, true); }, "preamp on"},
        {[&R] { R.sMeter = kSNinePlus; meterKey(); }, "S 9 plus"},
        {[&R] { R.txState = 1; R.swrText = "15"; meterKey(); R.txState = 0; }, "SWR 1.5:1"},
        {[] { playPrompt("tx"); playPrompt("on"); }, "tx on"},
        {[] {  // a channel recalled: its number, then what it holds
             speakDigits("12"); speakFrequency("00145000000", false); speakMode(kModeFmNarrow);
             playPrompt("ctcss"); speakDigits("12"); },
         "12 145 MHz FM narrow tone 12"},
        {[] { playPrompt("found"); playPrompt("port"); speakDigits("3"); speakDigits("9600"); playPrompt("baud"); },
         "radio found port 3 9600 baud"},
        {[] { playPrompt("nc"); }, "no connection"},
        {[] { playPrompt("cwmessage"); playPrompt("q"); }, "C W message Q"},
        {[] { playHelp("keyf"); }, "F, reads the frequency and mode; Up and Down tune again."},
        {[] { notePrompt("delay"); }, ""},  // the reply pause alone: no readout
    };
    for (const auto& [say, text] : rows) {
        say();
        finishReadout();
        const auto given = fake::takeAccessReadouts();
        EXPECT_EQ(given, text.empty() ? std::vector<std::string>{} : std::vector<std::string>{text});
    }
}

// Each readout goes out once, when the event is done: the text log has it
// as a line, the speech log gains nothing; the panel line is given only
// when it changes.
TEST_F(ReadoutTextTest, TextsGoOutOnceToTheDisplayAndTheTextLogAndThePanelOnlyWhenChanged) {
    auto& F = fake::state();
    F.env["RIGVOX_TEXT_LOG"] = "text.log";
    F.env["RIGVOX_SPEECH_LOG"] = "speech.log";
    speakFrequency("00007100000", false);
    waitForReply();  // the reply pause does not split the text
    speakMode(kModeLsb);
    EXPECT_TRUE(F.accessReadouts.empty());
    finishReadout();
    finishReadout();
    EXPECT_EQ(fake::takeAccessReadouts(), (std::vector<std::string>{"7.1 MHz LSB"}));
    EXPECT_EQ(fake::fileContent("text.log"), "7.1 MHz LSB\n");
    fake::advance(10000);
    serviceSpeech();
    // BRAILLE=on: the prompts still sound, and only they are in the speech log.
    EXPECT_EQ(fake::fileContent("speech.log"), "7\npoint\n1\nmhz\ndelay\nlsb\n");

    catState.lastFreqReply = "FA00014074000;";
    radioState.mode = kModeUsb;
    radioState.splitState = 1;
    radioState.preampOn = 1;
    updatePanelLine();
    EXPECT_EQ(F.accessPanel, "14.074 MHz USB split preamp");
    F.accessPanel.clear();
    updatePanelLine();
    EXPECT_EQ(F.accessPanel, "");  // unchanged: not given again
    EXPECT_EQ(panelFrequencyCells("14.074 MHz USB"), 10);
}

// VOICE=screenreader: the screen reader speaks the texts and no prompt
// sounds; where none can be reached the prompts speak.
TEST_F(SpeechTest, WithTheScreenReaderNoPromptSoundsAndWithoutItThePromptsSpeak) {
    auto& F = fake::state();
    speechState.voiceChoice = kVoiceScreenReader;
    EXPECT_FALSE(openVoice());
    playPrompt("ok");
    finishReadout();
    EXPECT_EQ(paths().size(), 1u);
    EXPECT_TRUE(F.accessReadouts.empty());
    EXPECT_EQ(speechState.accessMissing, 1);

    fake::takePrompts();
    F.accessReachable = true;
    EXPECT_TRUE(openVoice());
    playPrompt("ok");
    finishReadout();
    EXPECT_TRUE(paths().empty());
    EXPECT_FALSE(speechBusy());
    EXPECT_EQ(fake::takeAccessReadouts(), (std::vector<std::string>{"OK"}));
    // The whole help (H twice) is one text: the next would replace it.
    keysState.wholeHelpNext = 0;
    keysState.eventKind = kEventSound;
    handleEvent();
    finishReadout();
    const auto help = fake::takeAccessReadouts();
    ASSERT_EQ(help.size(), 1u);
    EXPECT_EQ(help[0].rfind("F, reads the frequency", 0), 0u);
    EXPECT_NE(help[0].find("Q, quits"), std::string::npos);
    closeVoice();
    EXPECT_FALSE(F.accessOpen);
}
