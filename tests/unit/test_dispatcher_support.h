// Shared start of the key tests: a connected radio on the fake port 1, keys
// typed through the event handler as the window would deliver them.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "keys/dispatcher.h"
#include "program/event_handler.h"
#include "link/serial_port.h"
#include "platform/platform.h"
#include "platform/platform_fake.h"
#include "program/program_state.h"
#include "test_cat_radio.h"
#include "test_support.h"

namespace keytest {

constexpr int kRadioPort = 1;

// The Key of a typed character: letters and digits as
// themselves, "." the point key, "\n" Enter, " " Space.
inline int keyOf(char c) {
    if (c >= 'a' && c <= 'z') return c - 'a' + 'A';
    if (c == '.') return kKeyPeriod;
    if (c == '\n') return kKeyEnter;
    return c;
}

class KeyTest : public RigvoxTest {
protected:
    void SetUp() override {
        RigvoxTest::SetUp();
        closeAllPorts();
        catState.comPort = kRadioPort;
        portOpen(kRadioPort, 9600);
        radioState.bandCoverage = "7";
        sessionState.connected = 1;
    }
    void TearDown() override { closeAllPorts(); }

    // Hands every queued event to the handler, as the message loop does.
    void run() {
        int kind = 0, param = 0;
        while (platWaitEvent(kind, param)) {
            keysState.eventKind = kind;
            keysState.eventParam = param;
            handleEvent();
        }
    }
    void press(int vk) {
        fake::pushKey(vk);
        run();
    }
    void down(int vk) {
        fake::pushEvent(kEventKeyDown, vk);
        run();
    }
    void up(int vk) {
        fake::pushEvent(kEventKeyUp, vk);
        run();
    }
    void type(std::string_view keys) {
        for (char c : keys) fake::pushKey(keyOf(c));
        run();
    }

    // Commands written to the radio since the last call, each with its ";".
    std::vector<std::string> sent() { return cattest::takeCommands(kRadioPort); }
    // Only the commands beginning with prefix.
    std::vector<std::string> sentStarting(std::string_view prefix) {
        std::vector<std::string> kept;
        for (const std::string& c : sent())
            if (c.rfind(prefix, 0) == 0) kept.push_back(c);
        return kept;
    }
    Prompts spoken() { return fake::takePrompts(); }
    void forget() {
        sent();
        spoken();
    }
};

// Position of what in list, -1 when absent.
inline int indexOf(const std::vector<std::string>& list, std::string_view what) {
    for (std::size_t i = 0; i < list.size(); ++i)
        if (list[i] == what) return static_cast<int>(i);
    return -1;
}
inline bool contains(const std::vector<std::string>& list, std::string_view what) {
    return indexOf(list, what) >= 0;
}

}  // namespace keytest
