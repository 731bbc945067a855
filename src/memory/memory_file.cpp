// The memory file savmem.dat: the current band, the 14 band records and the
// 100 memory channels, read once at start and rewritten whole on every save.
#include "memory/memory_file.h"

#include <string>
#include <vector>

#include "base/named_values.h"
#include "base/records.h"
#include "base/text.h"
#include "memory/memory_report.h"
#include "memory/memory_state.h"
#include "memory/whole_file.h"
#include "platform/platform.h"
#include "radio/radio_state.h"
#include "speech/prompts.h"

namespace {

constexpr const char* kMemoryFileName = "savmem.dat";
// The save writes here first, syncs, then renames over savmem.dat, so a
// crash or a full disk mid-save leaves the previous file intact.
constexpr const char* kSaveTempName = "savemem.dat";
// A file of an older program generation; deleted when savmem.dat is missing.
constexpr const char* kOldMemoryName = "memory.dat";
// Unrecognised or damaged files are moved here, whole, before being replaced.
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

// Reads one line cut to the record capacity; end of file gives "".
void readRecordLine(int handle, std::string& line) {
    if (!platFileReadLine(handle, line)) line.clear();
    capText(line, kLineCapacity);
}

// The first kept-file name not yet in use; nullptr when all are taken.
const char* freeKeptName() {
    for (const char* name : kKeptFileNames)
        if (!platFileExists(name)) return name;
    return nullptr;
}

// Writes the tables to the working copy savemem.dat and pushes it to the
// disk. True when the whole file got there; otherwise nothing is left.
bool writeWorkingCopy() {
    const auto& R = radioState;
    const auto& M = memoryState;
    std::vector<std::string> lines;
    lines.push_back(memoryFileHeader());
    for (int b = kFirstBand; b <= kLastBand; ++b) lines.push_back(R.bandTable[b]);
    for (int c = 0; c < kChannelCount; ++c) lines.push_back(M.memoryChannels[c]);
    return writeLinesFile(kSaveTempName, lines);
}

// Replaces savmem.dat, which holds something the load could not take whole,
// by a file written from the tables, after moving the old file to the first
// free kept-file name: the kept file is the old one itself, byte for byte.
// The new file is complete on the disk before the old one moves, so only
// the instant between the two renames has no savmem.dat. False, with
// savmem.dat untouched, when no name is free or the new file cannot be
// written.
bool replaceKeepingTheOld() {
    auto& M = memoryState;
    const char* kept = freeKeptName();
    if (kept == nullptr) return false;  // never overwrite an earlier kept file
    if (!writeWorkingCopy() || !moveIntoPlace(kSaveTempName, kMemoryFileName, kept)) return false;
    M.saveFailed = 0;
    writeMemoryReport();
    return true;
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
    if (!bandHasRecord(band)) band = 0;  // start-up turns 0 into the default band

    std::string bands[kBandSlots];
    for (int b = kFirstBand; b <= kLastBand; ++b) {
        readRecordLine(handle, line);
        if (bandRecordUsable(line)) {
            bands[b] = line;
        } else {
            bands[b] = R.bandTable[b];
            ++rejected;
        }
    }
    std::string channels[kChannelCount];
    for (int c = 0; c < kChannelCount; ++c) {
        readRecordLine(handle, line);
        if (!line.empty() && isEmptyChannel(line)) {
            channels[c] = kEmptyChannel;
        } else if (isChannelRecord(line)) {
            channels[c] = line;
        } else {
            channels[c] = kEmptyChannel;
            ++rejected;
        }
    }

    R.band = band;
    for (int b = kFirstBand; b <= kLastBand; ++b) R.bandTable[b] = bands[b];
    for (int c = 0; c < kChannelCount; ++c) M.memoryChannels[c] = channels[c];
    return rejected;
}

}  // namespace

std::string memoryFileHeader() {
    const auto& R = radioState;
    std::string header(kFileMark);
    header += "   " + std::string(kVersionText);
    if (bandHasRecord(R.band)) {
        header += ' ';
        header += static_cast<char>('0' + R.band);
    }
    return header;
}

void writeMemoryFile() {
    auto& M = memoryState;
    M.saveFailed = 1;
    if (M.saveRefused == 0 && writeWorkingCopy() && moveIntoPlace(kSaveTempName, kMemoryFileName, nullptr))
        M.saveFailed = 0;
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
    bool oldKept = false;  // one kept file of an unrecognised one is enough
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
            if (oldKept) {
                writeMemoryFile();
                continue;
            }
            if (!replaceKeepingTheOld()) {
                M.saveRefused = 1;
                break;
            }
            oldKept = true;
            continue;
        }
        const int rejected = readMemoryRecords(file, header);
        platFileClose(file);
        // Damaged or missing records were replaced in memory. The file is
        // rewritten without them only once it is kept elsewhere; otherwise
        // it stays as it is for the whole run, like an unrecognised one, so
        // no save can drop what the damaged lines held.
        if (rejected == 0 || replaceKeepingTheOld()) return;
        M.saveRefused = 1;
        break;
    }
    // Working from the tables in memory; say so once.
    playPrompt("invalid");
}
