// Up/down adjustment: each control's step, its limits, the limit words and
// their place before or after the command, and the targets that step nothing.
#include <string>
#include <vector>

#include "keys/adjust_keys.h"
#include "keys/keys_state.h"
#include "link/serial_port.h"
#include "radio/up_down.h"
#include "test_cat_radio.h"
#include "test_support.h"

namespace {

using Events = std::vector<std::string>;

// Prompts and commands in the order they happened: a command appears as
// written ("PC010;"), a prompt by its name.
class Timeline {
public:
    void install() {
        fake::state().responder = [this](int, const std::string& bytes) {
            takePrompts();
            events_.push_back(bytes);
        };
    }
    Events take() {
        takePrompts();
        Events out;
        out.swap(events_);
        return out;
    }

private:
    void takePrompts() {
        for (const std::string& name : fake::takePrompts()) events_.push_back(name);
    }
    Events events_;
};

class UpDownTest : public RigvoxTest {
protected:
    Timeline timeline;

    void SetUp() override {
        RigvoxTest::SetUp();
        closeAllPorts();
        catState.comPort = cattest::kRadioPort;
        portOpen(cattest::kRadioPort, 9600);
        timeline.install();
    }
    static void target(int t) { keysState.adjustTarget = t; }
};

TEST_F(UpDownTest, PowerRunsFromFiveInTensToTheCeiling) {
    target(3);
    radioState.txPower = 5;
    stepUp();
    EXPECT_EQ(timeline.take(), (Events{"PC010;", "1", "0", "watts"}));
    std::vector<int> powers;
    for (int i = 0; i < 10; ++i) {
        stepUp();
        powers.push_back(radioState.txPower);
    }
    EXPECT_EQ(powers, (std::vector<int>{20, 30, 40, 50, 60, 70, 80, 90, 100, 100}));
    const Events events = timeline.take();
    const Events lastTwo{"max", "PC100;", "1", "0", "0", "watts", "max", "PC100;", "1", "0", "0", "watts"};
    EXPECT_EQ(Events(events.end() - 12, events.end()), lastTwo);

    radioState.powerCeiling = 200;
    radioState.txPower = 190;
    stepUp();
    EXPECT_EQ(radioState.txPower, 200);
    EXPECT_EQ(timeline.take().front(), "max");
}

TEST_F(UpDownTest, PowerDownStopsAtFiveSayingMinEachTime) {
    target(3);
    radioState.txPower = 20;
    stepDown();
    EXPECT_EQ(timeline.take(), (Events{"PC010;", "1", "0", "watts"}));
    stepDown();
    EXPECT_EQ(timeline.take(), (Events{"min", "PC005;", "5", "watts"}));
    stepDown();
    EXPECT_EQ(timeline.take(), (Events{"min", "PC005;", "5", "watts"}));
}

TEST_F(UpDownTest, AmPowerTopsAtAQuarterOfTheCeiling) {
    target(3);
    radioState.mode = 4;
    radioState.txPower = 10;
    stepUp();
    stepUp();
    EXPECT_EQ(radioState.txPower, 25);
    EXPECT_EQ(timeline.take(), (Events{"PC020;", "2", "0", "watts", "max", "PC025;", "2", "5", "watts"}));
    stepUp();
    EXPECT_EQ(timeline.take(), (Events{"max", "PC025;", "2", "5", "watts"}));

    // Full power left from another mode comes down within the AM range.
    radioState.txPower = 100;
    stepDown();
    EXPECT_EQ(radioState.txPower, 25);
    EXPECT_EQ(timeline.take().front(), "PC025;");
    // And at the top a single "max", not one per limit.
    radioState.txPower = 100;
    stepUp();
    EXPECT_EQ(timeline.take(), (Events{"max", "PC025;", "2", "5", "watts"}));
}

TEST_F(UpDownTest, GainLimitsAndTheirWords) {
    target(4);  // RF gain: "max" after the command, nothing at 0
    radioState.rfGain = 250;
    stepUp();
    EXPECT_EQ(timeline.take(), (Events{"RG255;", "max"}));
    radioState.rfGain = 10;
    stepDown();
    EXPECT_EQ(timeline.take(), (Events{"RG000;"}));
    stepDown();
    EXPECT_EQ(timeline.take(), (Events{"RG000;"}));
    radioState.rfGain = 100;
    stepUp();
    EXPECT_EQ(timeline.take(), (Events{"RG120;"}));
    radioState.rigModel = 100;  // finer steps on the reduced-feature radio
    stepUp();
    EXPECT_EQ(timeline.take(), (Events{"RG125;"}));
    stepDown();
    EXPECT_EQ(timeline.take(), (Events{"RG120;"}));

    target(7);  // AF gain: "min" before the command, "max" after it
    radioState.afGain = 250;
    stepUp();
    EXPECT_EQ(timeline.take(), (Events{"AG0255;", "max"}));
    radioState.afGain = 10;
    stepDown();
    EXPECT_EQ(timeline.take(), (Events{"min", "AG0000;"}));
    stepDown();
    EXPECT_EQ(timeline.take(), (Events{"min", "AG0000;"}));
    radioState.afGain = 50;
    stepUp();
    EXPECT_EQ(timeline.take(), (Events{"AG0060;"}));
}

TEST_F(UpDownTest, NoiseLevelLimitsHoldEachInItsOwnDirection) {
    target(10);
    struct Case {
        int levelTarget, start;
        bool up;
        Events events;
        int end;
    };
    const Case cases[] = {
        // Noise blanker: 10 at the top, 0 with "min" below its lowest setting 1.
        {2, 9, true, {"NL010;"}, 10},
        {2, 10, true, {"max", "NL010;"}, 10},
        {2, 6, false, {"NL005;"}, 5},
        {2, 1, false, {"min", "NL000;"}, 0},
        {2, 0, false, {"min", "NL000;"}, 0},
        {2, 0, true, {"NL001;"}, 1},
        // A level the radio reported above 10 comes down a step, without "max".
        {2, 14, false, {"NL013;"}, 13},
        // Noise reduction: down to 0 silently; only a further step says "min".
        {3, 9, true, {"RL10;"}, 10},
        {3, 10, true, {"max", "RL10;"}, 10},
        {3, 6, false, {"RL05;"}, 5},
        {3, 1, false, {"RL00;"}, 0},
        {3, 0, false, {"min", "RL00;"}, 0},
        {3, 12, false, {"RL11;"}, 11},
    };
    for (const Case& c : cases) {
        radioState.levelTarget = c.levelTarget;
        int& level = c.levelTarget == 2 ? radioState.nbLevel : radioState.nrLevel;
        level = c.start;
        if (c.up) stepUp();
        else stepDown();
        EXPECT_EQ(timeline.take(), c.events) << c.levelTarget << " from " << c.start;
        EXPECT_EQ(level, c.end) << c.levelTarget << " from " << c.start;
    }

    // No noise function chosen: nothing to step.
    radioState.levelTarget = 0;
    stepUp();
    stepDown();
    EXPECT_TRUE(timeline.take().empty());
}

TEST_F(UpDownTest, KeyerSpeedStaysWithinFourToSixty) {
    target(11);
    radioState.keyerSpeed = 59;
    stepUp();
    EXPECT_EQ(timeline.take(), (Events{"max", "KS060;"}));
    stepUp();
    EXPECT_EQ(timeline.take(), (Events{"max", "KS060;"}));
    radioState.keyerSpeed = 6;
    stepDown();
    EXPECT_EQ(timeline.take(), (Events{"KS005;"}));
    stepDown();
    EXPECT_EQ(timeline.take(), (Events{"min", "KS004;"}));
    stepDown();
    EXPECT_EQ(timeline.take(), (Events{"min", "KS004;"}));
    EXPECT_EQ(radioState.keyerSpeed, 4);
}

TEST_F(UpDownTest, MicGainStopsAt120AndZero) {
    target(12);
    radioState.micGain = 119;
    radioState.alcValue = 37;  // the peak of the old gain
    stepUp();
    EXPECT_EQ(timeline.take(), (Events{"MG120;"}));
    EXPECT_EQ(radioState.alcValue, 0);
    stepUp();
    EXPECT_EQ(timeline.take(), (Events{"max", "MG120;"}));
    EXPECT_EQ(radioState.micGain, 120);
    radioState.micGain = 0;
    stepDown();
    EXPECT_EQ(timeline.take(), (Events{"min", "MG000;"}));
}

TEST_F(UpDownTest, MenuAndExtendedTargetsStepNothing) {
    const RadioState before = radioState;
    for (int t : {8, 9, 14, 5, 6, 13}) {
        target(t);
        stepUp();
        stepDown();
        EXPECT_TRUE(timeline.take().empty()) << t;
        EXPECT_EQ(keysState.adjustTarget, t);
    }
    EXPECT_EQ(radioState.freqHz, before.freqHz);
    EXPECT_EQ(radioState.txPower, before.txPower);
    EXPECT_EQ(radioState.band, before.band);
    EXPECT_EQ(radioState.filterWidth, before.filterWidth);
}

TEST_F(UpDownTest, TuningMovesTheWorkingFrequencyOnly) {
    // The frequency goes out from the tuning keys' row that the arrows reach next.
    target(0);
    radioState.freqHz = 14200000;
    radioState.mode = 2;
    stepUp();
    EXPECT_EQ(radioState.freqHz, 14201000);
    stepDown();
    stepDown();
    EXPECT_EQ(radioState.freqHz, 14199000);
    radioState.mode = 3;
    stepUp();
    EXPECT_EQ(radioState.freqHz, 14199500);
    EXPECT_TRUE(timeline.take().empty());
}

TEST_F(UpDownTest, BandTargetStepsTheBand) {
    target(1);
    radioState.bandCoverage = "1";
    radioState.band = 10;
    stepUp();
    EXPECT_EQ(radioState.band, 1);
    stepDown();
    EXPECT_EQ(radioState.band, 10);
}

}  // namespace
