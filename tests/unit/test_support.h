// Shared start of every unit test: the fake platform emptied and the program
// state back to its start values.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/platform.h"
#include "platform/platform_fake.h"
#include "shell/program_state.h"

class RigvoxTest : public ::testing::Test {
protected:
    void SetUp() override {
        fake::reset();
        resetState();
    }
};

using Prompts = std::vector<std::string>;
