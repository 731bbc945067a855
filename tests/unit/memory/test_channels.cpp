// Channel store, recall and step, and the digit-key router: banks and slots,
// the record stored, what a recall sends and speaks and in which order
// (split, tone, preamp), the U step, and records that must be refused.
#include "test_support.h"

#include <algorithm>

#include "base/records.h"
#include "keys/dispatcher.h"
#include "link/serial_port.h"
#include "memory/channels.h"

namespace {

constexpr int kRadioPort = 1;

// Channels as stored: 40 m LSB simplex; 2 m FM split with tone 12; 20 m USB
// with the preamp on.
const std::string k40m = "0104A00007100000B000071000009990";
const std::string k2mSplitTone = "1512A00145000000B001456000000120";
const std::string k20mPreamp = "0206A00014200000B000142000009991";

class ChannelTest : public RigvoxTest {
protected:
    // Each command sent, with the number of prompts played before it went out.
    struct Sent {
        std::string command;
        std::size_t promptsBefore;
    };
    std::vector<Sent> sent;

    void SetUp() override {
        RigvoxTest::SetUp();
        catState.comPort = kRadioPort;
        catState.baudRate = 9600;
        openPortSequence(kRadioPort);
        fake::state().responder = [this](int port, const std::string& bytes) {
            if (port == kRadioPort) sent.push_back({bytes, fake::state().prompts.size()});
        };
        fake::takeWritten(kRadioPort);
    }
    void TearDown() override { closeAllPorts(); }

    static void digit(char d) {
        keysState.keyCode = d;
        onDigitKey();
    }
    // A key pressed and released through the event handler, as the operator does.
    static void press(int key) {
        keysState.eventKind = kEventKeyDown;
        keysState.eventParam = key;
        handleEvent();
        keysState.eventKind = kEventKeyUp;
        handleEvent();
    }
    // G (and B with a bank digit): recall pending from that bank.
    static void recallFrom(int bank) {
        memoryState.channelBank = bank;
        memoryState.channelAction = 2;
    }
    static void storeInto(int bank) {
        memoryState.channelBank = bank;
        memoryState.channelAction = 1;
    }
    std::vector<std::string> commands() {
        std::vector<std::string> c;
        for (const auto& s : sent) c.push_back(s.command);
        sent.clear();
        fake::takeWritten(kRadioPort);
        return c;
    }
    static bool has(const std::vector<std::string>& list, const std::string& item) {
        return std::find(list.begin(), list.end(), item) != list.end();
    }
    static std::ptrdiff_t indexOf(const std::vector<std::string>& list, const std::string& item) {
        auto it = std::find(list.begin(), list.end(), item);
        return it == list.end() ? -1 : it - list.begin();
    }
    // True when the pieces appear in this order (others may come between).
    static bool inOrder(const std::vector<std::string>& list, std::initializer_list<std::string> pieces) {
        auto at = list.begin();
        for (const auto& p : pieces) {
            at = std::find(at, list.end(), p);
            if (at == list.end()) return false;
            ++at;
        }
        return true;
    }
};

// --- banks and slots ------------------------------------------------------------

TEST_F(ChannelTest, RecallTakesTheSlotFromBankZeroOrFromThePickedBank) {
    auto& M = memoryState;
    M.memoryChannels[5] = k40m;
    M.memoryChannels[35] = k20mPreamp;

    recallFrom(0);
    digit('5');
    EXPECT_TRUE(has(commands(), "FA00007100000;"));
    EXPECT_EQ(M.recalledBank, 0);
    EXPECT_EQ(M.recalledSlot, 5);
    EXPECT_EQ(M.channelAction, 0);
    fake::takePrompts();

    recallFrom(0);
    M.channelBank = -1;  // B: the next digit is the bank
    digit('3');
    EXPECT_EQ(fake::takePrompts(), (Prompts{"3", "channel"}));
    EXPECT_EQ(M.channelAction, 2);  // still pending after the bank digit
    EXPECT_TRUE(commands().empty());
    digit('5');
    EXPECT_TRUE(has(commands(), "FA00014200000;"));
    EXPECT_EQ(fake::takePrompts().front(), "5");
    EXPECT_EQ(M.recalledBank, 3);
    EXPECT_EQ(M.channelBank, 3);  // kept for the next C
}

TEST_F(ChannelTest, StoreUsesTheBankOfTheLastChannelCommand) {
    auto& M = memoryState;
    sessionState.connected = 1;
    M.memoryChannels[38] = k40m;
    for (int key : {'G', 'B', '3', '8'}) press(key);  // recall bank 3 slot 8
    EXPECT_EQ(M.recalledBank, 3);
    for (int key : {'C', '5'}) press(key);  // C keeps the bank of the recall
    EXPECT_TRUE(isChannelRecord(M.memoryChannels[35]));
    EXPECT_EQ(M.memoryChannels[5], "9");

    for (int key : {'C', 'A'}) press(key);  // another key cancels: back to bank 0
    EXPECT_EQ(M.channelAction, 0);
    for (int key : {'C', '6'}) press(key);
    EXPECT_TRUE(isChannelRecord(M.memoryChannels[6]));
    EXPECT_EQ(M.memoryChannels[36], "9");

    for (int key : {'G', 'B', '3', '8', 'G', 'C', '7'}) press(key);  // G, too, goes back to bank 0
    EXPECT_TRUE(isChannelRecord(M.memoryChannels[7]));
    EXPECT_EQ(M.memoryChannels[37], "9");
}

// --- store --------------------------------------------------------------------

TEST_F(ChannelTest, StoreBuildsTheRecordFromTheCurrentBandAndSavesIt) {
    auto& R = radioState;
    auto& M = memoryState;
    R.band = 4;
    R.mode = 1;
    storeInto(0);
    digit('3');
    EXPECT_EQ(M.memoryChannels[3], k40m);
    EXPECT_EQ(M.channelAction, 0);
    EXPECT_EQ(fake::takePrompts(), (Prompts{"3", "ok"}));
    EXPECT_NE(fake::fileContent("savmem.dat").find("\r\n9\r\n9\r\n9\r\n" + k40m + "\r\n"), std::string::npos);
    EXPECT_NE(fake::fileContent("memory.txt").find("Bank0\r\nSlot 3 A=7.1  B=7.1  LSB"), std::string::npos);
    EXPECT_TRUE(commands().empty());

    // Split and mode come from the radio's state; the rest from the band record.
    R.band = 12;
    R.mode = 5;
    R.splitState = 1;
    R.splitAnnounced = 1;
    R.bandTable[12] = "05A00145000000B001456000000120";
    storeInto(1);
    digit('0');
    EXPECT_EQ(M.memoryChannels[10], k2mSplitTone);
}

TEST_F(ChannelTest, StoringIntoAnOccupiedSlotReplacesItWithoutWarning) {
    auto& R = radioState;
    auto& M = memoryState;
    M.memoryChannels[7] = k2mSplitTone;
    R.band = 6;
    R.mode = 2;
    storeInto(0);
    digit('7');
    EXPECT_EQ(M.memoryChannels[7], k20mPreamp);
    EXPECT_EQ(fake::takePrompts(), (Prompts{"7", "ok"}));
}

TEST_F(ChannelTest, StoreOutsideEveryBandIsRefused) {
    auto& R = radioState;
    R.band = 99;
    storeInto(0);
    digit('4');
    EXPECT_EQ(fake::takePrompts(), (Prompts{"4", "invalid"}));
    EXPECT_EQ(memoryState.memoryChannels[4], "9");
    EXPECT_EQ(memoryState.channelAction, 0);
    EXPECT_FALSE(fake::hasFile("savmem.dat"));
}

TEST_F(ChannelTest, StoreWhoseSaveFailsSaysInvalidAndChangesNothing) {
    memoryState.memoryChannels[2] = k20mPreamp;
    fake::state().failRename = true;
    storeInto(0);
    digit('2');
    EXPECT_EQ(fake::takePrompts(), (Prompts{"2", "invalid"}));
    EXPECT_EQ(memoryState.memoryChannels[2], k20mPreamp);
    EXPECT_FALSE(fake::hasFile("savmem.dat"));
    EXPECT_FALSE(fake::hasFile("memory.txt"));
}

// --- recall ---------------------------------------------------------------------

TEST_F(ChannelTest, RecallOfAnEmptyChannelSpeaksInvalidAndSendsNothing) {
    recallFrom(2);
    digit('9');
    EXPECT_EQ(fake::takePrompts(), (Prompts{"9", "invalid"}));
    EXPECT_TRUE(commands().empty());
    EXPECT_EQ(memoryState.recalledBank, 99);
    EXPECT_EQ(memoryState.channelAction, 0);
}

TEST_F(ChannelTest, RecallOfAChannelOutsideTheBandsOrDamagedIsRefused) {
    auto& M = memoryState;
    M.memoryChannels[1] = "0199A00007100000B000071000009990";  // stored outside every band
    M.memoryChannels[2] = "0115A00007100000B000071000009990";  // no band 15
    M.memoryChannels[3] = "";                                  // not a record at all
    M.memoryChannels[4] = k40m.substr(0, 20);
    for (char slot : {'1', '2', '3', '4'}) {
        recallFrom(0);
        digit(slot);
        EXPECT_EQ(fake::takePrompts(), (Prompts{std::string(1, slot), "invalid"}));
        EXPECT_TRUE(commands().empty());
        EXPECT_EQ(M.recalledBank, 99);
    }
    EXPECT_EQ(radioState.band, 4);
    for (int b = 1; b <= 14; ++b) EXPECT_EQ(radioState.bandTable[b], kFactoryBandRecords[b]);
}

TEST_F(ChannelTest, RecallRebuildsTheBandRecordAndTunesVfoA) {
    auto& R = radioState;
    memoryState.memoryChannels[0] = "0306A00014025000B000140600009990";
    recallFrom(0);
    digit('0');
    EXPECT_EQ(R.band, 6);
    EXPECT_EQ(R.mode, 3);
    EXPECT_EQ(R.bandTable[6], "03A00014025000B000140600009990");
    EXPECT_EQ(R.splitState, 0);
    const auto c = commands();
    EXPECT_TRUE(inOrder(c, {"FA00014025000;", "CT0;", "RX0;", "PA0;"}));
    EXPECT_FALSE(has(c, "FB00014060000;"));
}

TEST_F(ChannelTest, ToneIsKeptOnlyInFmNarrow) {
    auto& R = radioState;
    memoryState.memoryChannels[0] = "0412A00029600000B000296000000120";  // AM with tone 012
    recallFrom(0);
    digit('0');
    auto c = commands();
    EXPECT_TRUE(has(c, "CT0;"));
    EXPECT_FALSE(has(c, "CT1;"));
    EXPECT_EQ(R.toneCode, "999");
    EXPECT_EQ(R.ctcssOn, 0);
    fake::takePrompts();

    memoryState.memoryChannels[1] = "0512A00145000000B001450000000120";  // FM narrow, tone 012
    recallFrom(0);
    digit('1');
    c = commands();
    EXPECT_TRUE(inOrder(c, {"FA00145000000;", "TN12;", "CN12;", "CT1;", "RX0;"}));
    EXPECT_TRUE(inOrder(fake::takePrompts(), {"1", "ctcss", "1", "2", "preamp", "off"}));
    EXPECT_EQ(R.toneCode, "012");
    EXPECT_EQ(R.ctcssOn, 1);
}

TEST_F(ChannelTest, LeavingATonedChannelForOneWithoutToneSaysCtcssOff) {
    auto& R = radioState;
    R.toneCode = "012";
    R.ctcssOn = 1;
    R.mode = 5;
    memoryState.memoryChannels[0] = k40m;
    recallFrom(0);
    digit('0');
    EXPECT_TRUE(inOrder(fake::takePrompts(), {"0", "ctcss", "off"}));
    EXPECT_EQ(R.toneCode, "999");
}

TEST_F(ChannelTest, SplitOffIsSpokenBeforeAnythingIsSent) {
    auto& R = radioState;
    R.splitState = 1;
    R.splitAnnounced = 1;
    memoryState.memoryChannels[4] = k40m;
    recallFrom(0);
    digit('4');
    const Prompts p = fake::takePrompts();
    ASSERT_GE(p.size(), 3u);
    EXPECT_EQ(Prompts(p.begin(), p.begin() + 3), (Prompts{"4", "split", "off"}));
    ASSERT_FALSE(sent.empty());
    EXPECT_GE(sent.front().promptsBefore, 3u);
    const auto c = commands();
    EXPECT_TRUE(has(c, "RX0;"));
    EXPECT_FALSE(has(c, "FT1;"));
    EXPECT_EQ(R.splitState, 0);
}

TEST_F(ChannelTest, SplitChannelSetsVfoBThenTransmitsOnIt) {
    auto& R = radioState;
    memoryState.memoryChannels[9] = k2mSplitTone;
    recallFrom(0);
    digit('9');
    const auto c = commands();
    EXPECT_TRUE(inOrder(c, {"FA00145000000;", "TN12;", "CN12;", "CT1;", "FB00145600000;", "FT1;"}));
    EXPECT_FALSE(has(c, "RX0;"));
    EXPECT_EQ(R.splitState, 1);
    // No "split off" when split was already off.
    const Prompts p = fake::takePrompts();
    EXPECT_EQ(std::count(p.begin(), p.end(), "split"), 0);
}

TEST_F(ChannelTest, EveryRecallSetsThePreampFromTheChannel) {
    auto& R = radioState;
    memoryState.memoryChannels[0] = k20mPreamp;
    memoryState.memoryChannels[1] = k40m;
    for (int round = 0; round < 2; ++round) {  // the second round finds the state already right
        recallFrom(0);
        digit('0');
        EXPECT_TRUE(inOrder(fake::takePrompts(), {"preamp", "on"}));
        EXPECT_TRUE(has(commands(), "PA1;"));
        EXPECT_EQ(R.preampOn, 1);
        EXPECT_EQ(R.bandTable[6].back(), '1');
    }
    for (int round = 0; round < 2; ++round) {
        recallFrom(0);
        digit('1');
        EXPECT_TRUE(inOrder(fake::takePrompts(), {"preamp", "off"}));
        EXPECT_TRUE(has(commands(), "PA0;"));
        EXPECT_EQ(R.preampOn, 0);
    }
}

// --- the U step -------------------------------------------------------------------

TEST_F(ChannelTest, StepWrapsPastNineToTheNextStoredChannel) {
    auto& M = memoryState;
    M.memoryChannels[32] = k20mPreamp;
    M.memoryChannels[38] = k40m;
    M.memoryChannels[45] = k2mSplitTone;  // another bank: never reached
    recallFrom(3);
    digit('8');
    commands();
    fake::takePrompts();

    channelStep();
    EXPECT_EQ(M.recalledSlot, 2);
    EXPECT_EQ(M.recalledBank, 3);
    EXPECT_TRUE(has(commands(), "FA00014200000;"));
    const Prompts p = fake::takePrompts();
    EXPECT_EQ(Prompts(p.begin(), p.begin() + 2), (Prompts{"channel", "2"}));

    channelStep();
    EXPECT_EQ(M.recalledSlot, 8);
    EXPECT_TRUE(has(commands(), "FA00007100000;"));
}

TEST_F(ChannelTest, StepWithOnlyTheRecalledChannelRecallsItAgain) {
    auto& M = memoryState;
    M.memoryChannels[90] = k40m;
    M.memoryChannels[91] = "0199A00007100000B000071000009990";  // cannot be recalled: skipped
    recallFrom(9);
    digit('0');
    commands();
    channelStep();
    EXPECT_EQ(M.recalledSlot, 0);
    EXPECT_EQ(M.recalledBank, 9);
    EXPECT_TRUE(has(commands(), "FA00007100000;"));
}

TEST_F(ChannelTest, StepWithoutARecalledChannelDoesNothing) {
    memoryState.memoryChannels[0] = k40m;
    channelStep();
    EXPECT_TRUE(fake::takePrompts().empty());
    EXPECT_TRUE(commands().empty());
    EXPECT_EQ(memoryState.channelAction, 0);
}

// --- the digit router -----------------------------------------------------------

TEST_F(ChannelTest, DigitWithNothingPendingOrANonDigitKeyDoesNothing) {
    digit('5');
    keysState.keyCode = 'A';
    memoryState.channelAction = 1;
    onDigitKey();
    EXPECT_TRUE(commands().empty());
    EXPECT_TRUE(fake::takePrompts().empty());
    EXPECT_EQ(memoryState.memoryChannels[5], "9");
}

TEST_F(ChannelTest, BandDigitsPickBandsOneToNineAndZeroPicksTen) {
    auto& R = radioState;
    keysState.adjustTarget = 1;
    digit('0');
    EXPECT_EQ(R.band, 10);
    EXPECT_TRUE(has(commands(), "FA00028500000;"));
    keysState.adjustTarget = 1;
    digit('3');
    EXPECT_EQ(R.band, 3);
    EXPECT_TRUE(has(commands(), "FA00005400000;"));
}

TEST_F(ChannelTest, DigitsReachTheTypedFrequencyAndTheToneEntry) {
    keysState.entryActive = 1;
    radioState.freqMHz = 0;
    digit('1');
    digit('4');
    EXPECT_EQ(radioState.freqMHz, 14);

    keysState.entryActive = 0;
    radioState.ctcssOn = 1;
    radioState.toneCode = "999";
    digit('0');
    digit('7');
    EXPECT_EQ(radioState.toneCode, "07");

    // A pending channel command comes before both.
    keysState.entryActive = 1;
    memoryState.memoryChannels[7] = k40m;
    recallFrom(0);
    digit('7');
    EXPECT_EQ(radioState.freqMHz, 14);
    EXPECT_EQ(memoryState.recalledSlot, 7);
}

}  // namespace
