// A small scripted radio behind the fake serial port for the CAT link tests:
// it answers listed commands and splits what was written into commands.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "link/exchange.h"
#include "link/serial_port.h"
#include "platform/platform_fake.h"
#include "program/program_state.h"
#include "test_support.h"

namespace cattest {

constexpr int kRadioPort = 1;
constexpr int kBridgePort = 2;

// Answers a command written to the radio port (with its ";") by feeding the
// listed text back; unlisted commands get no answer. answering = false is a
// radio switched off.
struct ScriptedRadio {
    std::map<std::string, std::string> answers;
    bool answering = true;

    void install() {
        fake::state().responder = [this](int port, const std::string& bytes) {
            if (port != kRadioPort || !answering) return;
            auto it = answers.find(bytes);
            if (it != answers.end()) fake::feed(port, it->second);
        };
    }
};

// A test that starts with every port slot empty and leaves it so, with the
// debug log closed. The slots outlive the fake emptied by RigvoxTest, so an
// earlier test's handles are closed first and the fake is emptied again.
class PortsClosedTest : public RigvoxTest {
protected:
    void SetUp() override {
        RigvoxTest::SetUp();
        closeAllPorts();
        fake::reset();
    }
    void TearDown() override {
        closeDebugLog();
        closeAllPorts();
    }
};

// A test with the radio port opened as the program opens it (9600 baud,
// 8 data bits, no parity, two stop bits) and the scripted radio answering on
// it; a test fills radio.answers, which are looked up as each command goes out.
class ScriptedRadioTest : public PortsClosedTest {
protected:
    ScriptedRadio radio;

    void SetUp() override {
        PortsClosedTest::SetUp();
        catState.comPort = kRadioPort;
        catState.baudRate = 9600;
        openPortSequence(kRadioPort);
        radio.install();
    }
};

// The commands written to port since the last call, each with its ";".
inline std::vector<std::string> takeCommands(int port = kRadioPort) {
    std::vector<std::string> commands;
    std::string current;
    for (char c : fake::takeWritten(port)) {
        current += c;
        if (c == ';') {
            commands.push_back(current);
            current.clear();
        }
    }
    if (!current.empty()) commands.push_back(current);
    return commands;
}

// commands without those beginning with one of the given prefixes (commands
// another area adds in between, such as the preamp's "PA").
inline std::vector<std::string> without(const std::vector<std::string>& commands,
                                        const std::vector<std::string>& prefixes) {
    std::vector<std::string> kept;
    for (const std::string& command : commands) {
        bool drop = false;
        for (const std::string& prefix : prefixes)
            if (command.rfind(prefix, 0) == 0) drop = true;
        if (!drop) kept.push_back(command);
    }
    return kept;
}

}  // namespace cattest
