// Fuzz target: the memory file savmem.dat. The input is the file as found at
// start. It is loaded, start-up's band rule applied, saved (with its report
// memory.txt), and loaded again: the second load must give the same tables
// without rejecting anything, so whatever the program keeps it can read back.
// Then every stored channel and every band record is recalled, and the
// commands they send must be well formed.
#include <cstdint>
#include <string>

#include "fuzz_support.h"
#include "memory/memory_file.h"
#include "memory/memory_report.h"
#include "radio/band_table.h"

namespace {

constexpr const char* kMemoryFile = "savmem.dat";

struct Tables {
    int band = 0;
    std::string bands[15];
    std::string channels[100];
};

Tables currentTables() {
    Tables t;
    t.band = radioState.band;
    for (int b = 1; b <= 14; ++b) t.bands[b] = radioState.bandTable[b];
    for (int c = 0; c < 100; ++c) t.channels[c] = memoryState.memoryChannels[c];
    return t;
}

int countKeptCopies() {
    int n = 0;
    for (const auto& [path, file] : fake::state().files)
        if (path.size() > 4 && path.substr(path.size() - 4) == ".bad") ++n;
    return n;
}

// The file as the save writes it: the header, 14 band records and 100
// channels, each line ended by CR LF.
void checkSavedFile() {
    const std::string content = fake::fileContent(kMemoryFile);
    int lines = 0;
    std::size_t from = 0;
    while (from < content.size()) {
        const std::size_t end = content.find("\r\n", from);
        FUZZ_CHECK(end != std::string::npos, "saved memory file line without CR LF", content.substr(from));
        const std::string line = content.substr(from, end - from);
        FUZZ_CHECK(line.find_first_of("\r\n") == std::string::npos, "line end inside a saved line", line);
        FUZZ_CHECK(line.size() <= 254, "saved line longer than a record", line);
        if (lines == 0) FUZZ_CHECK(startsWith(line, "RIGVOX v3.2b"), "saved header without the file mark", line);
        ++lines;
        from = end + 2;
    }
    FUZZ_CHECK(lines == 115, "saved memory file not 115 lines", std::to_string(lines));
    const std::string report = fake::fileContent("memory.txt");
    FUZZ_CHECK(!report.empty(), "memory.txt missing after a save", report);
    FUZZ_CHECK(report.size() < 100 * 120, "memory.txt larger than 100 channel lines", report);
}

void recallEverything() {
    auto& R = radioState;
    auto& M = memoryState;
    fuzz::openRadioPort();
    sessionState.connected = 1;
    // Only what came from the file: the factory records are the unit tests' business.
    for (int c = 0; c < 100; ++c) {
        if (M.memoryChannels[c] == "9") continue;
        // G, B and the bank digit, then the slot digit.
        fuzz::pressKey('G');
        fuzz::pressKey('B');
        fuzz::pressKey('0' + c / 10);
        fuzz::pressKey('0' + c % 10);
        fuzz::checkState(false);
        fuzz::checkRadioCommands(fake::takeWritten(fuzz::kRadioPort));
        fuzz::checkPrompts();
    }
    for (int b = 1; b <= 14; ++b) {
        if (R.bandTable[b] == kFactoryBandRecords[b]) continue;
        R.band = b;
        recallBand();
        fuzz::checkState(false);
        fuzz::checkRadioCommands(fake::takeWritten(fuzz::kRadioPort));
        fuzz::checkPrompts();
    }
    fuzz::checkState(true, false, true);
    fuzz::checkTexts();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::resetAll();
    fake::setFile(kMemoryFile, std::string(reinterpret_cast<const char*>(data), size));

    loadMemoryFile();
    fuzz::checkState(true, true, true);
    fuzz::checkPrompts();

    // Start-up's rule: a band the file could not give is band 4.
    auto& R = radioState;
    if (R.band < 1 || R.band > 14) R.band = 4;
    const Tables loaded = currentTables();

    saveMemoryFile();
    checkSavedFile();
    FUZZ_CHECK(fake::state().prompts.empty(), "save of loaded tables failed", "");
    writeMemoryReport();

    // Read back what was written: nothing rejected, nothing kept aside, the
    // same tables.
    const int keptBefore = countKeptCopies();
    resetState();
    loadMemoryFile();
    fuzz::checkState(true, true, true);
    FUZZ_CHECK(fake::state().prompts.empty(), "reload of a saved file spoke", "");
    FUZZ_CHECK(countKeptCopies() == keptBefore, "reload of a saved file rejected a record", "");
    const Tables reread = currentTables();
    FUZZ_CHECK(reread.band == loaded.band, "band lost in save and load", std::to_string(reread.band));
    for (int b = 1; b <= 14; ++b)
        FUZZ_CHECK(reread.bands[b] == loaded.bands[b], "band record changed by save and load", reread.bands[b]);
    for (int c = 0; c < 100; ++c)
        FUZZ_CHECK(reread.channels[c] == loaded.channels[c], "channel changed by save and load", reread.channels[c]);

    recallEverything();
    return 0;
}
