// The poll cycle: alternate queries, collection and the link watchdog.
#include <string>
#include <vector>

#include "link/exchange.h"
#include "link/serial_port.h"
#include "session/poll.h"
#include "test_cat_radio.h"

namespace {

using cattest::kRadioPort;
using cattest::takeCommands;
using Commands = std::vector<std::string>;

class PollTest : public cattest::ScriptedRadioTest {
protected:
    void SetUp() override {
        ScriptedRadioTest::SetUp();
        sessionState.connected = 1;
        radio.answers["FA;"] = "FA00007100000;";
        radio.answers["FB;"] = "FB00007150000;";
        radio.answers["SM0;"] = "SM00014;";
        radio.answers["SM;"] = "SM048;";
        radio.answers["RM;"] = "RM10003;";
    }
    static std::string waiting() { return fake::state().ports[kRadioPort].incoming; }
    // Asks for the frequency and collects the answer the radio gives.
    void collectFrequency(const std::string& answer) {
        radio.answers["FA;"] = answer;
        catState.pollSelect = 0;
        catState.pollAwaitingReply = 0;
        pollTick();
        pollTick();
    }
};

// 1. The first ticks: ask, then collect and ask the other kind.
TEST_F(PollTest, FirstTicksAlternateFrequencyAndMeter) {
    pollTick();
    EXPECT_EQ(takeCommands(), Commands({"FA;"}));
    EXPECT_EQ(catState.pollAwaitingReply, 1);
    EXPECT_EQ(waiting(), "FA00007100000;");

    pollTick();
    EXPECT_EQ(waiting(), "SM00014;");  // the frequency answer was collected; the meter's waits
    EXPECT_EQ(takeCommands(), Commands({"SM0;"}));

    pollTick();
    EXPECT_EQ(waiting(), "FA00007100000;");
    EXPECT_EQ(takeCommands(), Commands({"FA;"}));
    EXPECT_EQ(sessionState.silentPolls, 0);
}

TEST_F(PollTest, ReducedFeatureRadioAsksTheShortSMeter) {
    radioState.rigModel = 100;
    pollTick();
    pollTick();
    EXPECT_EQ(takeCommands(), Commands({"FA;", "SM;"}));
}

TEST_F(PollTest, CollectedAnswersAreLogged) {
    catState.debugLog = 1;
    openDebugLog();
    pollTick();
    pollTick();
    const std::string log = fake::fileContent("debug.dat");
    EXPECT_NE(log.find("TX=FA;\r\nRX=FA00007100000;\r\nTX=SM0;\r\n"), std::string::npos) << log;
}

// Waits on the keys area (meters): the collected S-meter answer is taken apart.
TEST_F(PollTest, MeterAnswerReachesTheMeterHandling) {
    catState.pollSelect = 1;
    pollTick();
    pollTick();
    EXPECT_EQ(radioState.sMeter, 14);
}

// 2. Split asks VFO B.
TEST_F(PollTest, SplitAsksVfoB) {
    radioState.splitState = 1;
    radioState.splitAnnounced = 1;
    pollTick();
    EXPECT_EQ(takeCommands(), Commands({"FB;"}));
    EXPECT_EQ(waiting(), "FB00007150000;");
    pollTick();
    EXPECT_EQ(waiting(), "SM00014;");
    EXPECT_EQ(takeCommands(), Commands({"SM0;"}));
}

// 3. Meter queries while tuning and during the ALC watch.
TEST_F(PollTest, MeterQueryFollowsTuningAndAlcWatch) {
    struct Case {
        int model, tuning, alc;
        const char* query;
    } cases[] = {
        {23, 1, 0, "RM;"}, {100, 1, 0, "SW;"}, {23, 0, 1, "RM;"}, {23, 1, 2, "RM;"}, {100, 1, 1, "RM;"},
        {100, 0, 1, "RM;"}, {23, 0, -1, "SM0;"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.query);
        radioState.rigModel = c.model;
        radioState.tuning = c.tuning;
        radioState.alcAnnounce = c.alc;
        catState.pollSelect = 1;
        catState.pollAwaitingReply = 0;
        pollTick();
        EXPECT_EQ(takeCommands(), Commands({c.query}));
        EXPECT_EQ(catState.pollSelect, 0);
    }
}

// 4. A silent radio: asked on every second tick, lost after 20 collections;
// the mode is asked only of a radio that answers.
TEST_F(PollTest, SilentRadioLosesTheLink) {
    radio.answering = false;
    Commands sent;
    for (int tick = 1; tick <= 39; ++tick) {
        pollTick();
        const Commands now = takeCommands();
        EXPECT_EQ(now.size(), tick % 2 == 1 ? 1u : 0u) << "tick " << tick;
        sent.insert(sent.end(), now.begin(), now.end());
    }
    EXPECT_EQ(sessionState.silentPolls, 19);
    EXPECT_EQ(sessionState.connected, 1);
    pollTick();  // the 20th silent collection
    EXPECT_EQ(sessionState.connected, 0);
    EXPECT_EQ(sessionState.silentPolls, 19);
    EXPECT_EQ(takeCommands(), Commands{});
    ASSERT_EQ(sent.size(), 20u);
    // While changes are announced every fourth meter query asks the mode.
    for (std::size_t i = 0; i < sent.size(); ++i)
        EXPECT_EQ(sent[i], i % 2 == 0 ? "FA;" : i % 8 == 7 ? "MD;" : "SM0;") << i;

    pollTick();  // still asking while the link is lost
    EXPECT_EQ(takeCommands(), Commands({"FA;"}));
    pollTick();
    EXPECT_EQ(sessionState.silentPolls, 19);
}

TEST_F(PollTest, AnAnswerEndsTheSilentCount) {
    radio.answering = false;
    for (int tick = 0; tick < 10; ++tick) pollTick();
    EXPECT_EQ(sessionState.silentPolls, 5);
    radio.answering = true;
    pollTick();  // asks
    pollTick();  // collects
    EXPECT_EQ(sessionState.silentPolls, 0);
    EXPECT_EQ(sessionState.connected, 1);
}

// The first frequency answer after the loss runs the model check (when the
// radio has not yet told its model: here it was off since the start, and
// comes as the reduced-feature radio), the state query for that model, and
// speaks "connected". A later return asks the state only.
TEST_F(PollTest, ReturningRadioBringsTheStateQueryAgain) {
    radio.answers["ID;"] = "ID020;";
    radio.answers["OM;"] = "OMQC;";
    radio.answers["AG0;"] = "AG0040;";
    for (int round = 0; round < 2; ++round) {
        radio.answering = false;
        for (int tick = 0; tick < 40; ++tick) pollTick();
        ASSERT_EQ(sessionState.connected, 0);
        takeCommands();
        fake::takePrompts();
        radio.answering = true;
        catState.pollSelect = 0;
        pollTick();  // asks for the frequency
        EXPECT_EQ(takeCommands(), Commands({"FA;"}));
        pollTick();  // collects it: model check, state query, then the next query
        const Commands query = round == 0 ? Commands{"ID;", "OM;", "AG0;", "RG054;", "SM;"}
                                          : Commands{"AG0;", "RG054;", "SM;"};
        EXPECT_EQ(takeCommands(), query) << "round " << round;
        EXPECT_EQ(radioState.rigModel, kReducedModel);
        EXPECT_EQ(sessionState.connected, 1);
        const Prompts prompts = fake::takePrompts();
        ASSERT_FALSE(prompts.empty());
        EXPECT_EQ(prompts.back(), "connected");
    }
}

// The radio comes back on another band: the band follows the frequency it
// reports before anything is spoken, so the announcement before "connected"
// names the radio's frequency, not the band record the program had.
TEST_F(PollTest, ReconnectionAnnouncesTheFrequencyTheRadioReports) {
    sessionState.connected = 0;  // on 40 m, whose record holds 7.1 MHz
    sessionState.modelAnswered = 1;
    collectFrequency("FA00014074000;");
    const Prompts spoken = fake::takePrompts();
    ASSERT_GE(spoken.size(), 8u);
    EXPECT_EQ(Prompts(spoken.begin(), spoken.begin() + 7), (Prompts{"1", "4", "point", "0", "7", "4", "mhz"}));
    EXPECT_EQ(spoken.back(), "connected");
    EXPECT_EQ(radioState.band, 6);
    EXPECT_EQ(fake::textAt(285, 150), "   14.074000" + std::string(13, ' '));
    EXPECT_EQ(sessionState.connected, 1);
}

// 5. Following the frequency: a whole answer is stored in the band record
// and drawn; anything else changes nothing; a split just switched on is
// announced once.
TEST_F(PollTest, WholeFrequencyAnswerIsStoredAndShown) {
    collectFrequency("FA00007074000;");
    EXPECT_EQ(radioState.freqHz, 7074000);
    EXPECT_EQ(catState.lastFreqReply, "FA00007074000");
    EXPECT_EQ(radioState.bandTable[4], "01A00007074000B000071000009990");
    EXPECT_EQ(fake::textAt(285, 150), "    7.074000" + std::string(13, ' '));
    EXPECT_EQ(fake::textAt(80, 150), "    ");
    EXPECT_TRUE(fake::takePrompts().empty());

    // Frequency rows drawn so far.
    auto drawn = [] {
        std::size_t n = 0;
        for (const auto& t : fake::state().texts) n += t.y == 150 ? 1 : 0;
        return n;
    };
    const auto before = drawn();
    for (const char* reply : {"FA0000710000;", "FA000071000000;", "FA00007100000", "FA;", "FA0000710x000;"}) {
        collectFrequency(reply);
        EXPECT_EQ(drawn(), before) << reply;
        EXPECT_EQ(catState.lastFreqReply, "FA00007074000") << reply;
    }
    EXPECT_EQ(radioState.bandTable[4], "01A00007074000B000071000009990");
}

TEST_F(PollTest, SplitJustSwitchedOnIsAnnouncedOnce) {
    radioState.splitState = 1;
    pollTick();
    pollTick();
    EXPECT_EQ(fake::textAt(80, 150), "B   ");
    EXPECT_EQ(radioState.splitState, 1);
    EXPECT_EQ(radioState.splitAnnounced, 1);
    EXPECT_EQ(fake::takePrompts(), (Prompts{"split"}));
    pollTick();
    pollTick();
    EXPECT_EQ(catState.lastFreqReply, "FB00007150000");
    EXPECT_TRUE(fake::takePrompts().empty());
}

TEST_F(PollTest, QuietTicksHeldAtTwenty) {
    radioState.quietTicks = 18;
    pollTick();
    pollTick();
    EXPECT_EQ(radioState.quietTicks, 20);
    pollTick();
    EXPECT_EQ(radioState.quietTicks, 20);
}

// 7. A key command that wants a fresh answer clears pollAwaitingReply: no collection, a new query.
TEST_F(PollTest, ClearedAwaitingSendsAFreshQuery) {
    pollTick();
    takeCommands();
    catState.pollAwaitingReply = 0;
    pollTick();
    EXPECT_EQ(takeCommands(), Commands({"SM0;"}));
    EXPECT_EQ(waiting(), "FA00007100000;SM00014;");
}

}  // namespace
