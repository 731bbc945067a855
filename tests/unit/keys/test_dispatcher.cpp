// The event handler: the key-down preamble, and the rows of the key chain
// that run their own small commands.
#include "test_dispatcher_support.h"

#include <algorithm>

#include "keys/dispatcher.h"
#include "keys/key_help.h"
#include "link/exchange.h"
#include "radio/cw_text.h"

using namespace keytest;

namespace {

// Keys without a command of their own.
constexpr int kKeyTab = 9, kKeyEnd = 35, kKeyHome = 36;

class DispatcherTest : public KeyTest {
protected:
    // The mode M gives from mode on band (freqHz counts outside the bands).
    int modeAfterM(int band, int mode, int freqHz) {
        radioState.band = band;
        radioState.mode = mode;
        radioState.freqHz = freqHz;
        press('M');
        return radioState.mode;
    }
};

// --- events and the preamble -----------------------------------------------

TEST_F(DispatcherTest, CloseRequestEndsTheLoopAndKeyUpReleasesTheKey) {
    fake::pushEvent(kEventClose);
    run();
    EXPECT_EQ(keysState.running, 0);

    keysState.keyHeld = 1;
    up('A');
    EXPECT_EQ(keysState.keyHeld, 0);
}

TEST_F(DispatcherTest, HeldKeyRunsItsCommandOnce) {
    down('A');
    down('A');  // auto-repeat
    down('A');
    EXPECT_EQ(spoken(), (Prompts{"ag"}));
    up('A');
    down('A');
    EXPECT_EQ(spoken(), (Prompts{"ag"}));
}

TEST_F(DispatcherTest, ShiftDoesNotHoldTheNextKeyButCtrlInsertAndWindowsDo) {
    down(kKeyShift);
    down('A');
    EXPECT_EQ(spoken(), (Prompts{"ag"}));
    up('A');

    for (int modifier : {int(kKeyCtrl), int(kKeyInsert), int(kKeyLeftWin)}) {
        SCOPED_TRACE(modifier);
        down(modifier);
        down('A');
        EXPECT_TRUE(spoken().empty());
        EXPECT_TRUE(sent().empty());
        up(modifier);
        down('A');
        EXPECT_EQ(spoken(), (Prompts{"ag"}));
        up('A');
    }
}

TEST_F(DispatcherTest, KeypadDigitsAndPointActAsTheMainKeys) {
    type("E14.25\n");
    const auto mainCommands = sent();
    const auto mainPrompts = spoken();

    resetState();
    catState.comPort = kRadioPort;
    radioState.bandCoverage = "7";
    sessionState.connected = 1;
    for (int vk : {int('E'), kKeyPad0 + 1, kKeyPad0 + 4, int(kKeyPadPoint), kKeyPad0 + 2, kKeyPad0 + 5, int(kKeyEnter)})
        fake::pushKey(vk);
    run();
    EXPECT_EQ(sent(), mainCommands);
    EXPECT_EQ(spoken(), mainPrompts);
    EXPECT_TRUE(contains(mainCommands, "FA00014250000;"));
}

TEST_F(DispatcherTest, BracketsActAsMinusAndEquals) {
    radioState.freqHz = 14200000;
    press(kKeyCloseBracket);
    EXPECT_EQ(radioState.freqHz, 15200000);
    EXPECT_EQ(sent(), (std::vector<std::string>{"FA00015200000;"}));
    press(kKeyOpenBracket);
    press(kKeyOpenBracket);
    EXPECT_EQ(radioState.freqHz, 13200000);

    // After B the - key (and so [) reaches 6 m.
    press('B');
    forget();
    press(kKeyOpenBracket);
    EXPECT_EQ(radioState.band, 11);
    EXPECT_EQ(keysState.adjustTarget, 0);
    EXPECT_TRUE(contains(sent(), "FA00050150000;"));
}

TEST_F(DispatcherTest, DebugLogNamesEveryKeyAsPressed) {
    catState.debugLog = 1;
    openDebugLog();
    sessionState.connected = 0;  // only the log lines matter; keys answer "nc"
    for (int vk : {int('A'), int(kKeyEnter), int(kKeyPeriod), int(kKeySpace), kKeyPad0 + 5, int(kKeyPadPoint),
                   int(keyF(1))})
        fake::pushKey(vk);
    run();
    closeDebugLog();

    std::vector<std::string> keyLines;
    std::string line;
    for (char c : fake::fileContent("debug.dat")) {
        if (c == '\n') {
            if (!line.empty() && line[0] == '*') keyLines.push_back(line);
            line.clear();
        } else if (c != '\r') {
            line += c;
        }
    }
    EXPECT_EQ(keyLines, (std::vector<std::string>{"*A", "*C/R", "*.", "*(sp)", "*e (5)", "*n", "*p"}));
}

TEST_F(DispatcherTest, WhileTuningOnlyTAndSWork) {
    radioState.tuning = 1;
    type("AFZ");
    press(kKeyUp);
    EXPECT_EQ(spoken(), (Prompts{"ton", "ton", "ton", "ton"}));
    EXPECT_TRUE(sent().empty());
    EXPECT_EQ(keysState.adjustTarget, 0);

    press('S');  // the SWR readout, not "ton"
    EXPECT_EQ(indexOf(spoken(), "ton"), -1);

    // The link lost while the tune carrier is on: T still ends it.
    radioState.tunerMode = 1;
    sessionState.connected = 0;
    press('T');
    EXPECT_EQ(radioState.tuning, 0);
    EXPECT_TRUE(contains(sent(), "RX;"));
}

TEST_F(DispatcherTest, EveryFKeyOnTheReducedRadioSaysNaWithoutHoldingTheKey) {
    radioState.rigModel = 100;
    for (int n = 1; n <= 12; ++n) {
        SCOPED_TRACE(n);
        down(keyF(n));  // no key-up: the next key still counts
        EXPECT_EQ(spoken(), (Prompts{"na"}));
        EXPECT_EQ(keysState.keyHeld, 0);
    }
    EXPECT_TRUE(sent().empty());
    EXPECT_EQ(radioState.monitorOn, 0);
    EXPECT_EQ(radioState.tunerState, TunerState::kOff);
}

TEST_F(DispatcherTest, F6DoesNothingAtAll) {
    press(keyF(6));
    EXPECT_TRUE(sent().empty());
    EXPECT_TRUE(spoken().empty());
}

TEST_F(DispatcherTest, F7WorksInSsbOnlyAndThenSendsTheFrequency) {
    radioState.mode = 4;
    press(keyF(7));
    EXPECT_EQ(spoken(), (Prompts{"na"}));
    EXPECT_TRUE(sent().empty());

    radioState.mode = 2;
    press(keyF(7));
    EXPECT_EQ(radioState.procState, SwitchState::kOn);
    EXPECT_EQ(sent(), (std::vector<std::string>{"PR1;", "FA00007100000;"}));
}

// --- without a radio ---------------------------------------------------------

TEST_F(DispatcherTest, QuitWorksWithoutARadio) {
    sessionState.connected = 0;
    press('Q');
    EXPECT_EQ(keysState.running, 0);
    EXPECT_EQ(sent(), (std::vector<std::string>{"RX;"}));
    EXPECT_EQ(spoken(), (Prompts{"quit"}));
}

TEST_F(DispatcherTest, KeysFromRow15OnSayNcWithoutARadio) {
    sessionState.connected = 0;
    for (int vk : {int('N'), int('A'), int('E'), int(kKeyEnter), int('Z'), int(keyF(1)), int('5'), int('F'),
                   int('M'), int('B'), int(kKeyUp), kKeyHome}) {
        SCOPED_TRACE(vk);
        press(vk);
        EXPECT_EQ(spoken(), (Prompts{"nc"}));
    }
    EXPECT_TRUE(sent().empty());
    EXPECT_EQ(keysState.adjustTarget, 0);
    EXPECT_EQ(radioState.preampOn, 0);

    // Rows above 15 still answer.
    press('O');
    EXPECT_EQ(spoken().front(), "options");
}

// --- the small commands of the chain ----------------------------------------

TEST_F(DispatcherTest, OptionsReadoutNamesWhatIsOnInItsOrder) {
    auto& R = radioState;
    R.preampOn = R.attOn = R.nbOn = R.notchOn = R.monitorOn = 1;
    R.nrState = R.procState = R.voxState = R.breakInState = SwitchState::kOn;
    R.mode = 2;
    R.toneCode = "012";
    R.tunerState = TunerState::kOn;
    press('O');
    EXPECT_EQ(spoken(), (Prompts{"options", "preamp", "on", "at", "on", "nb", "on", "nr", "on", "notch", "on",
                                 "spc", "on", "vox", "on", "mon", "on", "ctcss", "1", "2", "tuner", "is", "on"}));

    // In CW break-in replaces the processor; a tuner whose SWR was
    // announced is named without a state.
    R = RadioState{};
    R.mode = 3;
    R.procState = SwitchState::kOn;
    R.breakInState = SwitchState::kOn;
    R.tunerState = TunerState::kSwrAnnounced;
    press('O');
    EXPECT_EQ(spoken(), (Prompts{"options", "bkin", "on", "tuner", "is"}));
    R.tunerState = TunerState::kOff;
    R.breakInState = SwitchState::kOff;
    press('O');
    EXPECT_EQ(spoken(), (Prompts{"options", "tuner", "is", "off"}));
    EXPECT_TRUE(sent().empty());
}

TEST_F(DispatcherTest, F9TogglesTheMonitorAtTheRadiosLevel) {
    radioState.monitorLevel = "005";
    radioState.levelTarget = 2;
    press(keyF(9));
    EXPECT_EQ(radioState.monitorOn, 1);
    EXPECT_EQ(sent(), (std::vector<std::string>{"ML005;"}));
    EXPECT_EQ(spoken(), (Prompts{"mon", "on"}));
    EXPECT_EQ(radioState.levelTarget, 2);

    press(keyF(9));
    EXPECT_EQ(radioState.monitorOn, 0);
    EXPECT_EQ(sent(), (std::vector<std::string>{"ML000;"}));
    EXPECT_EQ(spoken(), (Prompts{"mon", "off"}));
    EXPECT_EQ(radioState.levelTarget, 0);
}

TEST_F(DispatcherTest, LevelKeyChoosesTheNoiseLevelOnlyWhenOneIsOn) {
    keysState.adjustTarget = 3;
    press('L');
    EXPECT_TRUE(spoken().empty());
    EXPECT_EQ(keysState.adjustTarget, 3);

    radioState.levelTarget = 2;
    press('L');
    EXPECT_EQ(spoken(), (Prompts{"nb", "lev"}));
    EXPECT_EQ(keysState.adjustTarget, 10);

    radioState.levelTarget = 3;
    press('L');
    EXPECT_EQ(spoken(), (Prompts{"nr", "lev"}));
    EXPECT_TRUE(sent().empty());
}

TEST_F(DispatcherTest, KeyerSpeedModeEntersInCwAndLeavesToTheSavedMode) {
    fake::state().responder = [](int port, const std::string& bytes) {
        if (bytes == "KS;") fake::feed(port, "KS025;");
    };
    radioState.mode = 2;
    radioState.breakInState = SwitchState::kOn;
    press('K');
    EXPECT_EQ(keysState.adjustTarget, 11);
    EXPECT_EQ(radioState.mode, 3);
    EXPECT_EQ(radioState.savedMode, 2);
    EXPECT_EQ(radioState.keyerSpeed, 25);
    auto commands = sent();
    EXPECT_LT(indexOf(commands, "MD3;"), indexOf(commands, "KS;"));
    EXPECT_LT(indexOf(commands, "KS;"), indexOf(commands, "BI0;"));
    EXPECT_EQ(commands.back(), "BI0;");  // entering goes on, but no later row acts on K
    auto prompts = spoken();
    EXPECT_EQ(prompts.front(), "ks");
    EXPECT_EQ(Prompts(prompts.end() - 4, prompts.end()), (Prompts{"on", "2", "5", "wpm"}));

    press('K');
    EXPECT_EQ(keysState.adjustTarget, 0);
    EXPECT_EQ(radioState.mode, 2);
    commands = sent();
    EXPECT_EQ(commands.front(), "MD2;");
    EXPECT_EQ(commands.back(), "BI1;");
    EXPECT_EQ(spoken(), (Prompts{"ks", "off", "2", "5", "wpm"}));
}

TEST_F(DispatcherTest, KeyerSpeedKeepsItsValueWhenTheRadioDoesNotAnswer) {
    press('K');
    EXPECT_EQ(radioState.keyerSpeed, 15);
}

// J opens a CW message that takes its characters, not their commands;
// Enter hands it to the keyer at the radio's speed; J stops the keyer for as
// long as it may still key what it took; any other key ends the message
// unsent and then runs; the reduced-feature radio has no keyer for text.
TEST_F(DispatcherTest, CwMessageCollectsSendsStopsAndEnds) {
    fake::state().responder = [](int port, const std::string& bytes) {
        if (bytes == "KS;") fake::feed(port, "KS012;");
        if (bytes == "KY;") fake::feed(port, "KY0;");
    };
    auto words = [&] {
        Prompts said = spoken();
        said.erase(std::remove(said.begin(), said.end(), "delay"), said.end());
        return said;
    };
    press('J');
    type("cq 5");
    down(kKeyShift);
    press(kKeySlash);
    up(kKeyShift);
    for (int vk : {int(kKeyPeriod), int(kKeyComma), int(kKeyCloseBracket), int(kKeySlash)}) press(vk);
    EXPECT_EQ(words(), (Prompts{"cwmessage", "c", "q", "space", "5", "question", "fullstop", "comma", "equals",
                                "slash"}));
    EXPECT_TRUE(sent().empty());
    EXPECT_EQ(keysState.running, 1);  // Q was a letter, C no channel store
    EXPECT_EQ(memoryState.channelAction, 0);

    press(kKeyEnter);
    EXPECT_EQ(sent(), (std::vector<std::string>{"KS;"}));
    EXPECT_EQ(words(), (Prompts{"sending"}));
    EXPECT_EQ(radioState.keyerSpeed, 12);
    serviceCwText();
    const std::string piece = "CQ 5?.,=/";
    EXPECT_EQ(sent(), (std::vector<std::string>{"KY;", "KY " + piece + std::string(24 - piece.size(), ' ') + ";"}));
    serviceCwText();  // room and nothing left: the queue is done, the keyer still keys
    EXPECT_EQ(sent(), (std::vector<std::string>{"KY;"}));
    ASSERT_FALSE(cwTextPending());
    fake::advance(cwKeyingMs(piece, 12) - 100);
    press('J');
    EXPECT_EQ(sent(), (std::vector<std::string>{"KY0;"}));
    EXPECT_EQ(words(), (Prompts{"cw", "stopped"}));
    // Once the keyer has had the time to key it all, J opens a message.
    type("je\n");
    serviceCwText();
    serviceCwText();
    fake::advance(cwKeyingMs("E", 12));
    forget();
    press('J');
    EXPECT_EQ(words(), (Prompts{"cwmessage"}));
    EXPECT_TRUE(sent().empty());
    // PARIS and its word gap are 50 dots, 60 ms each at 20 wpm.
    EXPECT_EQ(cwKeyingMs("paris ", 20), 3000);

    // Escape ends it unsent and does nothing more; F9 ends it, then runs.
    type("e");
    press(kKeyEscape);
    EXPECT_EQ(words(), (Prompts{"e", "cancelled"}));
    EXPECT_TRUE(sent().empty());
    type("j\n");  // Enter on an empty message
    EXPECT_EQ(words(), (Prompts{"cwmessage", "cancelled"}));
    press('J');
    press(keyF(9));
    EXPECT_EQ(words(), (Prompts{"cwmessage", "cancelled", "mon", "on"}));
    EXPECT_EQ(keysState.cwMessageOpen, 0);

    radioState.rigModel = kReducedModel;
    press('J');
    EXPECT_EQ(words(), (Prompts{"cw", "na"}));
    EXPECT_EQ(keysState.cwMessageOpen, 0);
}

TEST_F(DispatcherTest, AnotherKeyLeavesKeyerModeQuietlyAndRunsItsOwnCommand) {
    radioState.mode = 1;
    radioState.breakInState = SwitchState::kOn;
    press('K');
    forget();
    press(kKeyUp);  // Up steps the speed and stays in the mode
    EXPECT_EQ(keysState.adjustTarget, 11);
    forget();
    press('A');
    EXPECT_EQ(radioState.mode, 1);
    auto commands = sent();
    EXPECT_EQ(commands.front(), "MD1;");
    EXPECT_EQ(commands.back(), "BI1;");
    EXPECT_EQ(spoken(), (Prompts{"ag"}));
    EXPECT_EQ(keysState.adjustTarget, 7);
}

TEST_F(DispatcherTest, AnyKeyButUpAndDownEndsTheAlcWatchAndF11EndsOnlyThat) {
    radioState.alcAnnounce = AlcWatch::kNameNext;
    radioState.micGain = 7;
    press(kKeyUp);
    EXPECT_EQ(radioState.alcAnnounce, AlcWatch::kNameNext);
    forget();

    press('A');
    EXPECT_EQ(spoken(), (Prompts{"micgain", "lev", "7", "off", "ag"}));
    EXPECT_EQ(radioState.alcAnnounce, AlcWatch::kOff);

    radioState.alcAnnounce = AlcWatch::kNameSaid;
    press(keyF(11));
    EXPECT_EQ(spoken(), (Prompts{"micgain", "lev", "7", "off"}));
    EXPECT_TRUE(sent().empty());  // no new watch started
}

TEST_F(DispatcherTest, BandLettersFollowTheRadiosCoverage) {
    radioState.bandCoverage = "1";
    for (char letter : {'X', 'T', 'S'}) {
        SCOPED_TRACE(letter);
        press('B');
        forget();
        press(letter);
        EXPECT_EQ(spoken(), (Prompts{"band", "na"}));
        EXPECT_TRUE(sent().empty());
        EXPECT_EQ(radioState.band, 4);
        EXPECT_EQ(keysState.adjustTarget, 0);
    }

    radioState.bandCoverage = "2";
    press('B');
    press('T');
    EXPECT_EQ(radioState.band, 12);
    EXPECT_EQ(keysState.adjustTarget, 0);
    press('B');
    forget();
    press('S');
    EXPECT_EQ(spoken(), (Prompts{"band", "na"}));

    radioState.bandCoverage = "7";
    press('B');
    press('S');
    EXPECT_EQ(radioState.band, 13);
    press('B');
    press('X');
    EXPECT_EQ(radioState.band, 11);
    press('B');
    forget();
    press('U');
    EXPECT_EQ(radioState.band, 14);
    EXPECT_EQ(spoken().front(), "band");
    EXPECT_TRUE(contains(sent(), "FA00009600000;"));
}

TEST_F(DispatcherTest, ChannelKeysSetTheCommandAndGoOnToTheFrequencySend) {
    press('C');
    EXPECT_EQ(memoryState.channelAction, 1);
    EXPECT_EQ(spoken(), (Prompts{"sch"}));
    EXPECT_EQ(sent(), (std::vector<std::string>{"FA00007100000;"}));

    memoryState.channelBank = 4;
    press('G');
    EXPECT_EQ(memoryState.channelAction, 2);
    EXPECT_EQ(memoryState.channelBank, 0);
    EXPECT_EQ(spoken(), (Prompts{"gch"}));

    press('B');
    EXPECT_EQ(memoryState.channelBank, -1);
    EXPECT_EQ(spoken(), (Prompts{"bank"}));
    EXPECT_EQ(keysState.adjustTarget, 0);

    press('F');  // not a digit and not B: the channel command is dropped
    EXPECT_EQ(memoryState.channelAction, 0);
    EXPECT_EQ(memoryState.channelBank, 0);
}

// C, G, B, the digits and U through the key chain: each shared row does its
// part once, and the bank of the last recall carries over to the next store.
TEST_F(DispatcherTest, ChannelStoreRecallAndStepThroughTheKeys) {
    auto& M = memoryState;
    type("CB35");
    EXPECT_EQ(spoken(), (Prompts{"sch", "bank", "3", "channel", "5", "ok"}));
    EXPECT_EQ(M.memoryChannels[35], "0104A00007100000B000071000009990");
    EXPECT_EQ(M.channelAction, 0);

    type("GB35");
    auto prompts = spoken();
    ASSERT_GE(prompts.size(), 5u);
    EXPECT_EQ(Prompts(prompts.begin(), prompts.begin() + 5), (Prompts{"gch", "bank", "3", "channel", "5"}));
    EXPECT_EQ(M.recalledBank, 3);
    type("C6");  // the bank of the recall
    EXPECT_EQ(M.memoryChannels[36], M.memoryChannels[35]);
    EXPECT_EQ(M.recalledBank, 99);  // C is not one of U, S and F

    type("GB35");
    press('S');  // S keeps the recall for U
    forget();
    press('U');
    prompts = spoken();
    ASSERT_GE(prompts.size(), 2u);
    EXPECT_EQ(Prompts(prompts.begin(), prompts.begin() + 2), (Prompts{"channel", "6"}));
    EXPECT_EQ(M.recalledSlot, 6);
    EXPECT_EQ(M.recalledBank, 3);
    forget();
    press(kKeyHome);  // any other key drops it: U then does nothing
    forget();
    press('U');
    EXPECT_TRUE(spoken().empty());
    EXPECT_TRUE(sent().empty());
}

TEST_F(DispatcherTest, WidthKeyDependsOnModeAndRadio) {
    radioState.mode = 4;
    press('W');
    EXPECT_TRUE(spoken().empty());
    EXPECT_EQ(keysState.adjustTarget, 0);

    radioState.mode = 3;
    radioState.filterWidth = 500;
    press('W');
    EXPECT_EQ(keysState.adjustTarget, 2);
    EXPECT_EQ(spoken(), (Prompts{"bw", "5", "0", "0", "hz"}));

    keysState.adjustTarget = 0;
    radioState.rigModel = 100;
    press('W');
    EXPECT_EQ(spoken(), (Prompts{"bw", "na"}));
    EXPECT_EQ(keysState.adjustTarget, 0);
    EXPECT_TRUE(sent().empty());

    // Its power is fixed: P says it and leaves the arrows on tuning.
    press('P');
    EXPECT_EQ(spoken(), (Prompts{"power", "4", "point", "5", "watts"}));
    EXPECT_EQ(keysState.adjustTarget, 0);
}

// Each row either ends the key or lets it go on; a key that goes on with
// nothing else pending ends in the last row, which sends the frequency again.
TEST_F(DispatcherTest, EveryRowStopsOrGoesOnAsTheChainSays) {
    const std::string resend = "FA00007100000;";
    const int stopping[] = {'O', keyF(9), 'U', 'L', kKeySpace, 'Q', 'N', 'A', kKeyPeriod, 'Z', keyF(1), keyF(2),
                            keyF(3), keyF(4), keyF(5), keyF(6), keyF(8), keyF(12), '5', 'F', 'P', keyF(11), 'R', 'S',
                            'T', 'B', 'W', 'X', 'M', 'H', 'D', 'J'};
    for (int vk : stopping) {
        SCOPED_TRACE(vk);
        SetUp();
        radioState.mode = 2;  // USB: F7 and I have their plain meaning
        press(vk);
        EXPECT_EQ(indexOf(sent(), resend), -1);
    }
    const struct {
        int vk;
        const char* last;
    } goingOn[] = {
        {'C', "FA00007100000;"}, {'G', "FA00007100000;"}, {'E', "FA00007100000;"},
        {'V', "FB00007100000;"},  // split on: the working frequency goes to VFO B
        {keyF(7), "FA00007100000;"}, {'I', "FA00007100000;"},
        {kKeyHome, "FA00007100000;"}, {kKeyEnter, "FA00007100000;"},  // no frequency typed
        {kKeyUp, "FA00007101000;"}, {kKeyDown, "FA00007099000;"},
    };
    for (const auto& c : goingOn) {
        SCOPED_TRACE(c.vk);
        SetUp();
        radioState.mode = 2;
        press(c.vk);
        const auto commands = sent();
        ASSERT_FALSE(commands.empty());
        EXPECT_EQ(commands.back(), c.last);
        EXPECT_EQ(std::count(commands.begin(), commands.end(), c.last), 1);
    }
}

// H, then any key: that key's help, and the key does nothing, with or
// without a radio, whatever entry waits; H twice: the whole help. Help
// plays without waiting, so the next key cuts it short.
TEST_F(DispatcherTest, HelpThenAKeyExplainsItWithoutRunningIt) {
    sessionState.connected = 0;
    ASSERT_GE(keyHelpTable().size(), 45u);
    for (const KeyHelp& k : keyHelpTable()) {
        SCOPED_TRACE(k.keyCode);
        press('H');
        press(k.keyCode);
        // H twice is the whole help, which holds H's own sentence too.
        EXPECT_EQ(spoken(), (Prompts{"helpkey", k.keyCode == 'H' ? "help" : k.prompt}));
        EXPECT_TRUE(sent().empty());
    }
    EXPECT_EQ(keysState.running, 1);
    EXPECT_EQ(radioState.txState, 0);

    // The keypad and bracket keys are explained as the keys they stand
    // for; Shift between H and the key does not count; a key without a
    // command says so.
    press('H');
    press(kKeyPad0 + 5);
    down(kKeyShift);
    press('H');
    press(kKeyCloseBracket);
    press('H');
    press(kKeyHome);
    EXPECT_EQ(spoken(), (Prompts{"helpkey", "keydigits", "helpkey", "keyequalskey", "helpkey", "keynone"}));

    // A channel store waiting for its digit still waits after the help.
    sessionState.connected = 1;
    press('C');
    forget();
    press('H');
    press('5');
    EXPECT_EQ(memoryState.channelAction, 1);
    EXPECT_EQ(spoken(), (Prompts{"helpkey", "keydigits"}));

    // H twice: "help", then every key's help in the table's order, each
    // once the one before has sounded, while ticks and keys go on; any key
    // ends it and acts again.
    fake::state().wavMs["wave/keyf.wav"] = 120;
    type("hh");
    for (int tick = 0; tick < 4; ++tick) {
        fake::pushTick();
        run();
        fake::advance(50);
    }
    EXPECT_EQ(spoken(), (Prompts{"helpkey", "help", keyHelpSentence(0), keyHelpSentence(1)}));
    EXPECT_STREQ(keyHelpSentence(0), "keyf");
    type("a");
    fake::pushTick();
    run();
    EXPECT_EQ(spoken(), (Prompts{"ag"}));
    EXPECT_EQ(keysState.adjustTarget, kTargetAfGain);
}

// A key stops the readout sounding and what waits behind it, as a screen
// reader does, and runs at once: its command goes out and its own answer
// begins without waiting. Shift alone stops nothing; what never began is
// never in the speech log.
TEST_F(DispatcherTest, AKeyStopsTheReadoutAndRunsAtOnce) {
    auto& F = fake::state();
    F.env["RIGVOX_SPEECH_LOG"] = "speech.log";
    for (const char* name : {"lsb", "usb", "cw", "am", "fm", "nar"}) F.wavMs["wave/" + std::string(name) + ".wav"] = 400;
    radioState.mode = kModeLsb;
    press('M');
    EXPECT_EQ(fake::fileContent("speech.log"), "usb\n");
    fake::advance(100);
    press(kKeyShift);
    EXPECT_EQ(F.soundStops, 0);
    forget();
    press('M');
    EXPECT_EQ(F.soundStops, 1);
    EXPECT_EQ(sentStarting("MD"), (std::vector<std::string>{"MD3;"}));
    EXPECT_EQ(fake::fileContent("speech.log"), "usb\ncw\n");
    EXPECT_EQ(F.nowMs, 100);
    // Two keys in a row: the first key's answer is dropped before it began.
    playPrompt("preamp");
    playPrompt("on");
    press('M');
    EXPECT_EQ(fake::fileContent("speech.log"), "usb\ncw\nam\n");
    closeSpeechLog();
}

// Every key the program acts on has a row of the key table (tools/keys.txt),
// so the help, the key card and the README cover it. A key acts when,
// pressed at rest with a radio connected, it does anything but what a key
// without a command does: send the frequency again. Checked in USB and in
// FM narrow, where I has its meaning.
TEST_F(DispatcherTest, EveryKeyTheProgramActsOnHasARowOfTheKeyTable) {
    auto effect = [&](int vk, int mode) {
        SetUp();
        radioState.mode = mode;
        press(vk);
        return std::pair{sent(), spoken()};
    };
    // The key chain sees the keypad's digits and point and the bracket keys
    // as the keys they stand for.
    auto asSeen = [](int vk) {
        if (vk >= kKeyPad0 && vk <= kKeyPad9) return vk - kKeyPad0 + kKey0;
        if (vk == kKeyPadPoint) return int(kKeyPeriod);
        if (vk == kKeyOpenBracket) return int(kKeyMinus);
        if (vk == kKeyCloseBracket) return int(kKeyEquals);
        return vk;
    };
    int acting = 0;
    for (int mode : {int(kModeUsb), int(kModeFmNarrow)}) {
        const auto idle = effect(kKeyUnknown, mode);  // a key with no name of its own
        for (int vk = 1; vk < kKeyUnknown; ++vk) {
            if (vk == kKeyShift || vk == kKeyCtrl || vk == kKeyInsert || vk == kKeyLeftWin) continue;
            if (effect(vk, mode) == idle) continue;
            ++acting;
            EXPECT_NE(keyHelpPrompt(asSeen(vk)), nullptr) << "key code " << vk << " acts but has no row";
        }
    }
    EXPECT_GE(acting, 2 * 60);
}

TEST_F(DispatcherTest, KeysWithoutACommandResendTheFrequencyOnlyWhileTuning) {
    for (int vk : {kKeyHome, kKeyEnd, kKeyTab}) press(vk);
    EXPECT_EQ(sent(), (std::vector<std::string>(3, "FA00007100000;")));
    keysState.adjustTarget = 2;
    press(kKeyHome);
    EXPECT_EQ(sent(), (std::vector<std::string>{"FA00007100000;"}));
    keysState.adjustTarget = 3;
    press(kKeyHome);
    EXPECT_TRUE(sent().empty());
    EXPECT_TRUE(spoken().empty());
}

// --- changes nobody asked about ---------------------------------------------

// What the end-to-end test cannot time: a value seen once is not spoken
// even when the program was held longer than the settle time; a key cancels
// what waits; a readout the operator asked for is never interrupted, and the
// change is spoken after it as it stands then; the answer to a mode query
// sent before the mode key is no change at the radio.
TEST_F(DispatcherTest, ChangesAtTheRadioWaitToSettleForKeysAndForReadouts) {
    cattest::ScriptedRadio radio;
    radio.install();
    radio.answers = {{"FA;", "FA00007100000;"}, {"SM0;", "SM00014;"}, {"MD;", "MD1;"}};
    auto tick = [&](int ticks) {
        for (int i = 0; i < ticks; ++i) {
            fake::pushTick();
            run();
            fake::advance(50);
        }
    };
    // Ticks until the poll has just asked query (and the answer waits).
    auto tickUntilAsked = [&](const std::string& query) {
        for (int i = 0; i < 20; ++i) {
            tick(1);
            if (sent().back() == query) return;
        }
        FAIL() << query << " never asked";
    };
    sessionState.connected = 0;
    tick(4);  // connected: what the radio has is heard
    ASSERT_EQ(sessionState.connected, 1);
    forget();

    // Turned through 14.05 MHz, seen once, then held for 0.7 s; at 14.074
    // it stands.
    radio.answers["FA;"] = "FA00014050000;";
    tickUntilAsked("FA;");
    tick(1);
    fake::advance(700);
    radio.answers["FA;"] = "FA00014074000;";
    tick(6);
    EXPECT_TRUE(spoken().empty());
    tick(10);
    EXPECT_EQ(spoken(), (Prompts{"20", "metres", "1", "4", "point", "0", "7", "4", "mhz"}));
    EXPECT_EQ(radioState.band, 6);
    tick(20);
    EXPECT_TRUE(spoken().empty());

    // A key before the change has settled: never spoken. (This one sends
    // the frequency again, which the radio then reports.)
    radio.answers["FA;"] = "FA00014080000;";
    tickUntilAsked("FA;");
    tick(2);
    press(kKeyHome);
    EXPECT_EQ(sent().back(), "FA00014080000;");
    tick(20);
    EXPECT_TRUE(spoken().empty());
    EXPECT_EQ(radioState.freqHz, 14080000);

    // During the whole help (H twice) the radio moves twice: after its last
    // sentence the frequency it has then.
    fake::state().wavMs["wave/help.wav"] = 1000;
    type("hh");
    radio.answers["FA;"] = "FA00014090000;";
    tick(10);
    radio.answers["FA;"] = "FA00014100000;";
    for (int i = 0; i < 200 && keysState.wholeHelpNext >= 0; ++i) tick(1);
    ASSERT_EQ(keysState.wholeHelpNext, -1);
    int sentences = 0;
    while (keyHelpSentence(sentences) != nullptr) ++sentences;
    const Prompts said = spoken();
    ASSERT_GE(said.size(), 6u);
    EXPECT_EQ(Prompts(said.end() - 6, said.end()),
              (Prompts{keyHelpSentence(sentences - 1), "1", "4", "point", "1", "mhz"}));
    EXPECT_EQ(std::count(said.begin(), said.end(), "mhz"), 1);

    // Back at the radio, in one step, to the frequency the key sent: the
    // radio's own change all the same.
    radio.answers["FA;"] = "FA00014080000;";
    tick(16);
    EXPECT_EQ(spoken(), (Prompts{"1", "4", "point", "0", "8", "mhz"}));

    // M while the poll's mode query is on its way: its answer names the old
    // mode and is passed over. Then the mode switched at the radio is heard.
    tickUntilAsked("MD;");
    press('M');
    EXPECT_EQ(spoken(), (Prompts{"usb"}));
    radio.answers["MD;"] = "MD2;";
    tick(1);
    EXPECT_EQ(radioState.mode, kModeUsb);
    tick(20);
    EXPECT_EQ(radioState.mode, kModeUsb);
    EXPECT_TRUE(spoken().empty());
    radio.answers["MD;"] = "MD3;";
    tick(20);
    EXPECT_EQ(radioState.mode, kModeCw);
    EXPECT_EQ(spoken(), (Prompts{"cw"}));
}

// --- modes -------------------------------------------------------------------

TEST_F(DispatcherTest, ModeCycleReachesFmOnlyFrom10mUpOrFrom27MHzOutsideTheBands) {
    const struct {
        int rigModel, band, mode, freqHz, next;
    } cases[] = {
        {23, 10, 1, 28500000, 2}, {23, 10, 2, 28500000, 3}, {23, 10, 3, 28500000, 4},
        {23, 10, 4, 28500000, 5}, {23, 10, 5, 28500000, 1},  // FM narrow back to LSB
        {23, 6, 4, 14200000, 1},                             // no FM below 10 m
        {23, 12, 7, 145000000, 1},                           // from FM wide to LSB
        {23, 99, 4, 26999999, 1}, {23, 99, 4, 27000000, 5},  // outside the bands: by frequency
        {100, 12, 1, 145000000, 2}, {100, 12, 2, 145000000, 3},
        {100, 12, 3, 145000000, 1},  // the reduced radio stops after CW
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "model " << c.rigModel << " band " << c.band << " mode " << c.mode);
        radioState.rigModel = c.rigModel;
        EXPECT_EQ(modeAfterM(c.band, c.mode, c.freqHz), c.next);
    }
    forget();

    radioState.rigModel = 23;
    modeAfterM(12, 7, 145000000);
    EXPECT_EQ(sent().front(), "MD1;");
    EXPECT_EQ(spoken().back(), "lsb");
    modeAfterM(99, 4, 27000000);
    EXPECT_EQ(spoken(), (Prompts{"delay", "delay", "fm", "nar"}));
}

TEST_F(DispatcherTest, ExtendedStateSwapsFmWidthsOrRepeatsTheMode) {
    press('X');
    EXPECT_EQ(spoken(), (Prompts{"extcm", "on"}));
    EXPECT_EQ(keysState.adjustTarget, 14);
    press('X');
    EXPECT_EQ(spoken(), (Prompts{"extcm", "off"}));
    EXPECT_EQ(keysState.adjustTarget, 0);

    radioState.band = 12;
    radioState.mode = 5;
    press('X');
    press('M');
    EXPECT_EQ(radioState.mode, 7);
    EXPECT_EQ(keysState.adjustTarget, 0);
    press('X');
    forget();
    press('M');
    EXPECT_EQ(radioState.mode, 5);
    EXPECT_TRUE(contains(sent(), "FW0001;"));

    // Any other key only sends and speaks the current mode again.
    press('X');
    forget();
    press(kKeyHome);
    EXPECT_EQ(radioState.mode, 5);
    auto commands = sent();
    EXPECT_EQ(commands.front(), "MD4;");
    EXPECT_EQ(indexOf(commands, "FA00007100000;"), -1);
    auto prompts = spoken();
    EXPECT_EQ(Prompts(prompts.end() - 2, prompts.end()), (Prompts{"fm", "nar"}));
    EXPECT_EQ(keysState.adjustTarget, 0);
}

}  // namespace
