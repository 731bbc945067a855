// The words each prompt says, for the system's speech: the prompt maker's
// word list, built into the program, so what is said matches the recordings.
#include <string_view>
#include <unordered_map>

#include "speech/prompts.h"

namespace {

// tools/prompt-words.txt as the program was built with it.
constexpr std::string_view kPromptWordList =
#include "prompt_words.inc"
    ;

// The list read once, as the prompt maker reads it: lines "name|spoken
// text"; blank lines and lines starting with "#" skipped; a CR before the LF
// dropped; the name as promptKey gives it. The first line for a name counts.
std::unordered_map<std::string, std::string_view> readWordList() {
    std::unordered_map<std::string, std::string_view> table;
    std::string_view rest = kPromptWordList;
    while (!rest.empty()) {
        const std::size_t newline = rest.find('\n');
        std::string_view line = rest.substr(0, newline);
        rest = newline == std::string_view::npos ? std::string_view() : rest.substr(newline + 1);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        const std::size_t bar = line.find('|');
        if (line.empty() || line.front() == '#' || bar == std::string_view::npos) continue;
        table.try_emplace(promptKey(line.substr(0, bar)), line.substr(bar + 1));
    }
    return table;
}

}  // namespace

std::string promptWords(std::string_view name) {
    // Built on first use: every prompt said with the system's voice asks.
    static const std::unordered_map<std::string, std::string_view> words = readWordList();
    const auto found = words.find(promptKey(name));
    return found == words.end() ? std::string() : std::string(found->second);
}
