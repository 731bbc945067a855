// The extended menu: opening it, the number length per model, the read-back
// spoken from the radio's answer, the set command and its bound.
#include "test_support.h"

#include <map>

#include "keys/dispatcher.h"
#include "keys/menu.h"
#include "link/serial_port.h"

namespace {

constexpr int kRadioPort = 1;

class MenuTest : public RigvoxTest {
protected:
    std::map<std::string, std::string> answers;  // command written -> reply fed back

    void SetUp() override {
        RigvoxTest::SetUp();
        catState.comPort = kRadioPort;
        catState.baudRate = 9600;
        openPortSequence(kRadioPort);
        fake::takeWritten(kRadioPort);
        fake::state().responder = [this](int port, const std::string& bytes) {
            if (port != kRadioPort) return;
            auto it = answers.find(bytes);
            if (it != answers.end()) fake::feed(port, it->second);
        };
    }
    void TearDown() override { closeAllPorts(); }

    // N, the digits through the router, Enter.
    static void openWithNumber(const std::string& number) {
        startMenuEntry();
        typeDigits(number);
        menuNumberEntered();
    }
    static void typeDigits(const std::string& digits) {
        for (char d : digits) {
            keysState.keyCode = d;
            onDigitKey();
        }
    }
    static std::string sent() { return fake::takeWritten(kRadioPort); }
};

TEST_F(MenuTest, ReducedFeatureRadioHasNoMenu) {
    radioState.rigModel = 100;
    keysState.adjustTarget = 3;
    startMenuEntry();
    EXPECT_EQ(fake::takePrompts(), (Prompts{"na"}));
    EXPECT_EQ(keysState.adjustTarget, 3);
}

TEST_F(MenuTest, NumberLengthFollowsTheModel) {
    auto& K = keysState;
    openWithNumber("12");
    EXPECT_EQ(fake::takePrompts(), (Prompts{"mn", "1", "2", "invalid"}));
    EXPECT_EQ(K.adjustTarget, 0);

    openWithNumber("012");
    EXPECT_EQ(fake::takePrompts(), (Prompts{"mn", "0", "1", "2", "mp"}));
    EXPECT_EQ(K.adjustTarget, 9);
    EXPECT_EQ(K.menuNumber, "012");
    EXPECT_TRUE(K.menuValue.empty());

    openWithNumber("0123");
    EXPECT_EQ(fake::takePrompts().back(), "invalid");

    radioState.rigModel = 24;
    openWithNumber("012");
    EXPECT_EQ(fake::takePrompts().back(), "invalid");
    openWithNumber("00101");
    EXPECT_EQ(fake::takePrompts().back(), "mp");
    EXPECT_EQ(K.adjustTarget, 9);
    EXPECT_TRUE(sent().empty());
}

TEST_F(MenuTest, SetSendsTheValueAndSaysOk) {
    openWithNumber("012");
    typeDigits("1");
    menuValueEntered();
    EXPECT_EQ(sent(), "EX01200001;");
    EXPECT_EQ(fake::takePrompts(), (Prompts{"mn", "0", "1", "2", "mp", "1", "ok"}));
    EXPECT_EQ(keysState.adjustTarget, 0);

    radioState.rigModel = 24;
    openWithNumber("00101");
    typeDigits("3");
    menuValueEntered();
    EXPECT_EQ(sent(), "EX00101 3;");
}

TEST_F(MenuTest, ValuesLongerThanTheBoundAreRefusedUnsent) {
    openWithNumber("012");
    typeDigits(std::string(kMenuValueMaxDigits, '9'));
    menuValueEntered();
    EXPECT_EQ(sent(), "EX0120000" + std::string(kMenuValueMaxDigits, '9') + ";");

    openWithNumber("012");
    typeDigits(std::string(kMenuValueMaxDigits + 1, '9'));
    fake::takePrompts();
    menuValueEntered();
    EXPECT_TRUE(sent().empty());
    EXPECT_EQ(fake::takePrompts(), (Prompts{"invalid"}));
    EXPECT_EQ(keysState.adjustTarget, 0);
}

TEST_F(MenuTest, ReadBackSpeaksDigitsAndPointAndSkipsLetters) {
    answers["EX0120000;"] = "EX01200001.5A3;";
    openWithNumber("012");
    fake::feed(kRadioPort, "FA00007100000;");  // a poll answer still waiting is not the value
    fake::takePrompts();
    menuValueEntered();
    EXPECT_EQ(sent(), "EX0120000;");
    EXPECT_EQ(fake::takePrompts(), (Prompts{"delay", "delay", "1", "point", "5", "3"}));
    EXPECT_EQ(keysState.adjustTarget, 0);
}

TEST_F(MenuTest, ReadBackOnTheFiveDigitModel) {
    radioState.rigModel = 24;
    answers["EX00101 ;"] = "xxEX00101 3;";  // noise before the answer is dropped
    openWithNumber("00101");
    fake::takePrompts();
    menuValueEntered();
    EXPECT_EQ(sent(), "EX00101 ;");
    EXPECT_EQ(fake::takePrompts(), (Prompts{"delay", "delay", "3"}));
}

TEST_F(MenuTest, ReadBackWithoutAnAnswerEndsQuietly) {
    answers["EX0120000;"] = "EX0120000";  // no ";"
    for (int round = 0; round < 2; ++round) {
        openWithNumber("012");
        fake::takePrompts();
        menuValueEntered();
        EXPECT_EQ(fake::takePrompts(), (Prompts{"delay", "delay"}));
        EXPECT_EQ(keysState.adjustTarget, 0);
        answers.clear();  // second round: the radio does not answer at all
    }
}

}  // namespace
