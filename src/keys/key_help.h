// The spoken help of the keys: the index from a key to its help prompt,
// made from the key table tools/keys.txt.
#pragma once

#include <span>

#include "platform/platform.h"

struct KeyHelp {
    Key keyCode;          // the key, as the key chain sees it
    const char* prompt;   // the prompt that says what the key does
};

// Every key with a row of the key table, and its help prompt.
std::span<const KeyHelp> keyHelpTable();
// The n-th sentence of the whole help (0 first): the help prompts of the
// key table's rows in their order; nullptr past the last.
const char* keyHelpSentence(int n);
// The help prompt of keyCode (the keypad's digits and point and the bracket
// keys already read as the keys they stand for); nullptr when the key has
// no command.
const char* keyHelpPrompt(int keyCode);
