// The index from each key to the prompt that says what it does.
#include "keys/key_help.h"

namespace {

constexpr KeyHelp kKeyHelp[] = {
#include "keys/key_help_table.inc"
};

}  // namespace

std::span<const KeyHelp> keyHelpTable() { return kKeyHelp; }

const char* keyHelpPrompt(int keyCode) {
    for (const KeyHelp& k : kKeyHelp)
        if (k.keyCode == keyCode) return k.prompt;
    return nullptr;
}
