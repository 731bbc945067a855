// The memory file savmem.dat: the current band, the 14 band records and the
// 100 memory channels, read once at start and rewritten whole on every save.
#include "memory/memory_file.h"

#include "memory/channels.h"
#include "memory/memory_report.h"
#include "platform/platform.h"
#include "shell/program_state.h"
#include "shell/text.h"
#include "speech/prompts.h"

namespace {

constexpr const char* kMemoryFileName = "savmem.dat";
// The save writes here first, syncs, then renames over savmem.dat, so a
// crash or a full disk mid-save leaves the previous file intact.
constexpr const char* kSaveTempName = "savemem.dat";
// A file of an older program generation; deleted when savmem.dat is missing.
constexpr const char* kOldMemoryName = "memory.dat";
// Unrecognised or damaged files are copied here before being replaced.
constexpr const char* kKeptFileNames[] = {"savmem.bad",  "savmem1.bad", "savmem2.bad", "savmem3.bad",
                                          "savmem4.bad", "savmem5.bad", "savmem6.bad", "savmem7.bad",
                                          "savmem8.bad", "savmem9.bad"};
// Only the mark decides whether a file is ours; the version after it may differ.
constexpr std::string_view kFileMark = "RIGVOX v3.2b";
constexpr int kBandCharPosition = 21;  // header character holding 48 + band
constexpr int kLineCapacity = 254;     // longest line kept; longer lines are cut
// The load writes a fresh file and reads it back; a directory that cannot be
// written must not keep it trying.
constexpr int kLoadAttempts = 3;

bool writeLine(int handle, std::string_view text) {
    std::string line(text);
    line += "\r\n";
    return platFileWrite(handle, line);
}

// Reads one line cut to the record capacity; end of file gives "".
void readRecordLine(int handle, std::string& line) {
    if (!platFileReadLine(handle, line)) line.clear();
    capText(line, kLineCapacity);
}

// Copies savmem.dat line by line (lines end in CR LF in the copy) to the first
// unused kept-file name. True when the whole copy reached the disk.
bool keepMemoryFileCopy() {
    const char* target = nullptr;
    for (const char* name : kKeptFileNames)
        if (!platFileExists(name)) {
            target = name;
            break;
        }
    if (target == nullptr) return false;  // never overwrite an earlier kept copy

    const int source = platFileOpenRead(kMemoryFileName);
    if (source <= 0) return false;
    const int copy = platFileOpenWrite(target);
    bool ok = copy > 0;
    std::string line;
    while (ok && platFileReadLine(source, line)) ok = writeLine(copy, line);
    ok = ok && platFileSync(copy);
    platFileClose(source);
    if (copy > 0) platFileClose(copy);
    if (!ok && copy > 0) platFileDelete(target);
    return ok;
}

// Reads the records after an accepted header into the tables. A record that
// fails its check leaves the table's value (the default at start) and counts
// as rejected.
int readMemoryRecords(int handle, const std::string& header) {
    auto& R = radioState;
    auto& M = memoryState;
    int rejected = 0;
    std::string line;

    const std::string bandChar = midText(header, kBandCharPosition, 1);
    int band = bandChar.empty() ? 0 : static_cast<unsigned char>(bandChar[0]) - 48;
    if (band < 1 || band > 14) band = 0;  // start-up turns 0 into band 4

    std::string bands[15];
    for (int b = 1; b <= 14; ++b) {
        readRecordLine(handle, line);
        if (isBandRecord(line)) {
            bands[b] = line;
        } else {
            bands[b] = R.bandTable[b];
            ++rejected;
        }
    }
    std::string channels[100];
    for (int c = 0; c < 100; ++c) {
        readRecordLine(handle, line);
        if (!line.empty() && line[0] == '9') {
            channels[c] = "9";
        } else if (isChannelRecord(line)) {
            channels[c] = line;
        } else {
            channels[c] = "9";
            ++rejected;
        }
    }

    R.band = band;
    for (int b = 1; b <= 14; ++b) R.bandTable[b] = bands[b];
    for (int c = 0; c < 100; ++c) M.memoryChannels[c] = channels[c];
    return rejected;
}

}  // namespace

std::string memoryFileHeader() {
    const auto& R = radioState;
    std::string header(kFileMark);
    header += "   " + shellState.versionText;
    if (R.band > 0 && R.band < 15) {
        header += ' ';
        header += static_cast<char>('0' + R.band);
    }
    return header;
}

void writeMemoryFile() {
    const auto& R = radioState;
    auto& M = memoryState;
    M.saveFailed = 1;
    if (M.saveRefused == 0) {
        platFileDelete(kSaveTempName);  // a leftover of an interrupted save
        const int file = platFileOpenWrite(kSaveTempName);
        if (file > 0) {
            bool ok = writeLine(file, memoryFileHeader());
            for (int b = 1; b <= 14 && ok; ++b) ok = writeLine(file, R.bandTable[b]);
            for (int c = 0; c < 100 && ok; ++c) ok = writeLine(file, M.memoryChannels[c]);
            ok = ok && platFileSync(file);
            platFileClose(file);
            if (ok && platFileRename(kSaveTempName, kMemoryFileName)) M.saveFailed = 0;
            else platFileDelete(kSaveTempName);
        }
    }
    // The report lists what the memory file holds: after a save that did not
    // reach the disk it would show channels as stored that are not, so the
    // last report stays as it was.
    if (M.saveFailed == 0) writeMemoryReport();
}

void saveMemoryFile() {
    writeMemoryFile();
    if (memoryState.saveFailed) playPrompt("invalid");
}

void loadMemoryFile() {
    auto& M = memoryState;
    bool copyKept = false;  // one copy of an unrecognised file is enough
    for (int attempt = 0; attempt < kLoadAttempts; ++attempt) {
        const int file = platFileOpenRead(kMemoryFileName);
        if (file <= 0) {
            if (platFileExists(kMemoryFileName)) {
                // There but unreadable: replacing it could destroy the only copy.
                M.saveRefused = 1;
                break;
            }
            platFileDelete(kOldMemoryName);
            writeMemoryFile();
            continue;
        }
        std::string header;
        readRecordLine(file, header);
        if (!startsWith(header, kFileMark)) {
            platFileClose(file);
            if (!copyKept && !keepMemoryFileCopy()) {
                M.saveRefused = 1;
                break;
            }
            copyKept = true;
            writeMemoryFile();
            continue;
        }
        const int rejected = readMemoryRecords(file, header);
        platFileClose(file);
        // Damaged or missing records were replaced in memory; keep what the
        // file held, then write the repaired file. Without a copy the file is
        // left as it is until the next save.
        if (rejected > 0 && keepMemoryFileCopy()) writeMemoryFile();
        return;
    }
    // Working from the tables in memory; say so once.
    playPrompt("invalid");
}
