// The pass-through port under a steady stream of commands from the other
// program: the link watchdog must not take a working radio for a lost one.
#include <string>

#include "link/exchange.h"
#include "link/serial_port.h"
#include "session/poll.h"
#include "test_cat_radio.h"

namespace {

using cattest::kBridgePort;
using cattest::kRadioPort;

// Answers forwarded commands at once, but the poll's own queries only when
// the next command is written: the tick after a reply pause comes at once,
// before a real radio has answered the query sent just before it.
struct LateForPollsRadio {
    std::string held;

    static std::string answerTo(const std::string& command) {
        if (command == "FA;") return "FA00014200000;";
        if (command == "SM0;") return "SM00012;";
        if (command == "ID;") return "ID023;";
        return "?;";
    }

    void install() {
        fake::state().responder = [this](int port, const std::string& bytes) {
            if (port != kRadioPort) return;
            if (!held.empty()) fake::feed(port, held);
            held.clear();
            if (bytes == "FA;" || bytes == "SM0;")
                held = answerTo(bytes);
            else
                fake::feed(port, answerTo(bytes));
        };
    }
};

class PassThroughFloodTest : public RigvoxTest {
protected:
    LateForPollsRadio radio;

    void SetUp() override {
        RigvoxTest::SetUp();
        closeAllPorts();
        fake::reset();
        catState.comPort = kRadioPort;
        catState.bridgePort = kBridgePort;
        catState.baudRate = 9600;
        openPortSequence(kRadioPort);
        openPortSequence(kBridgePort);
        sessionState.connected = 1;
        radio.install();
    }
    void TearDown() override { closeAllPorts(); }
};

TEST_F(PassThroughFloodTest, ACommandOnEveryTickKeepsTheLinkToAnAnsweringRadio) {
    for (int tick = 0; tick < 200; ++tick) {
        fake::feed(kBridgePort, "ID;");
        pollTick();
        ASSERT_EQ(sessionState.connected, 1) << "tick " << tick;
        ASSERT_LT(sessionState.silentPolls, 19) << "tick " << tick;
    }
    // The other program had its answers, and the poll went on asking.
    const std::string back = fake::takeWritten(kBridgePort);
    EXPECT_NE(back.find("ID023;"), std::string::npos);
    const std::string sent = fake::takeWritten(kRadioPort);
    EXPECT_NE(sent.find("FA;"), std::string::npos);
    EXPECT_NE(sent.find("SM0;"), std::string::npos);
    EXPECT_EQ(radioState.freqHz, 14200000);
}

TEST_F(PassThroughFloodTest, ASilentRadioIsStillFoundLostUnderTheStream) {
    fake::state().responder = nullptr;  // switched off: nothing answers
    for (int tick = 0; tick < 200 && sessionState.connected == 1; ++tick) {
        fake::feed(kBridgePort, "ID;");
        pollTick();
    }
    EXPECT_EQ(sessionState.connected, 0);
    EXPECT_EQ(fake::takeWritten(kBridgePort), "");  // nothing made up for the other program
}

}  // namespace
