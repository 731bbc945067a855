// The index from each key to the prompt that says what it does.
#include "keys/key_help.h"

#include <cstring>

namespace {

constexpr KeyHelp kKeyHelp[] = {
#include "keys/key_help_table.inc"
};

}  // namespace

std::span<const KeyHelp> keyHelpTable() { return kKeyHelp; }

const char* keyHelpSentence(int n) {
    // A row with several keys stands in the index once per key, together.
    const char* last = nullptr;
    int count = 0;
    for (const KeyHelp& k : kKeyHelp) {
        if (last != nullptr && std::strcmp(last, k.prompt) == 0) continue;
        last = k.prompt;
        if (count++ == n) return k.prompt;
    }
    return nullptr;
}

const char* keyHelpPrompt(int keyCode) {
    for (const KeyHelp& k : kKeyHelp)
        if (k.keyCode == keyCode) return k.prompt;
    return nullptr;
}
