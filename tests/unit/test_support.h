// Shared start of every unit test: the fake platform emptied and the program
// state back to its start values.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/platform.h"
#include "platform/platform_fake.h"
#include "shell/program_state.h"
#include "speech/prompts.h"

class RigvoxTest : public ::testing::Test {
protected:
    void SetUp() override {
        closeSpeechLog();  // its handle belonged to the fake files just emptied
        fake::reset();
        resetState();
    }
};

using Prompts = std::vector<std::string>;
