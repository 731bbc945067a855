// Shared start of every unit test: the fake platform emptied and every
// area's state back to its start values. Tests set and read the states of
// every area, so this one header brings them all.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "keys/keys_state.h"
#include "link/cat_state.h"
#include "memory/memory_state.h"
#include "network/net_clients.h"
#include "network/net_commands.h"
#include "network/net_state.h"
#include "platform/platform.h"
#include "platform/platform_fake.h"
#include "program/program_state.h"
#include "radio/radio_state.h"
#include "session/session_state.h"
#include "speech/prompts.h"
#include "speech/speech_state.h"

class RigvoxTest : public ::testing::Test {
protected:
    void SetUp() override {
        closeSpeechLog();  // its handle belonged to the fake files just emptied
        fake::reset();
        resetState();
    }
};

using Prompts = std::vector<std::string>;
