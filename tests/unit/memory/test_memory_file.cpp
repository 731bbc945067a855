// The memory file savmem.dat: the first run, the header and its band
// character, unrecognised and damaged files (kept under another name before
// they are replaced), line endings, and saves that fail part-way.
#include "test_support.h"

#include "memory/memory_file.h"

namespace {

const std::string kMark = "RIGVOX v3.2b";
const std::string kChannel = "0104A00007100000B000071000009990";
const std::string kSplitChannel = "1512A00145000000B001456000000120";
const std::string kEmptyReport = "Memory Bank Information\r\n  \r\nEmpty\r\n";

std::vector<std::string> splitLines(const std::string& text, const std::string& end) {
    std::vector<std::string> lines;
    std::size_t at = 0;
    while (at < text.size()) {
        const std::size_t next = text.find(end, at);
        if (next == std::string::npos) {
            lines.push_back(text.substr(at));
            break;
        }
        lines.push_back(text.substr(at, next - at));
        at = next + end.size();
    }
    return lines;
}

// The lines of a complete file: header, the given band records, channels.
std::vector<std::string> fileLines(const std::string& header, const std::string (&bands)[15],
                                   const std::string (&channels)[100]) {
    std::vector<std::string> lines{header};
    for (int b = 1; b <= 14; ++b) lines.push_back(bands[b]);
    for (int c = 0; c < 100; ++c) lines.push_back(channels[c]);
    return lines;
}

std::string joined(const std::vector<std::string>& lines, const std::string& end) {
    std::string text;
    for (const auto& line : lines) text += line + end;
    return text;
}

class MemoryFileTest : public RigvoxTest {
protected:
    // A file as the program writes it for the factory tables, with changes.
    static std::vector<std::string> factoryLines(const std::string& header) {
        RadioState r;
        MemoryState m;
        return fileLines(header, r.bandTable, m.memoryChannels);
    }
    static std::vector<std::string> savedLines() { return splitLines(fake::fileContent("savmem.dat"), "\r\n"); }
};

// --- first run and the written form -----------------------------------------

TEST_F(MemoryFileTest, FirstRunInAnEmptyDirectoryWritesTheFactoryFileAndAnEmptyReport) {
    fake::setFile("memory.dat", "from an older program");
    loadMemoryFile();

    const std::string content = fake::fileContent("savmem.dat");
    EXPECT_EQ(content, joined(factoryLines(kMark + "   3.4a 4"), "\r\n"));
    EXPECT_EQ(savedLines().size(), 115u);
    EXPECT_EQ(fake::fileContent("memory.txt"), kEmptyReport);
    EXPECT_FALSE(fake::hasFile("memory.dat"));
    EXPECT_FALSE(fake::hasFile("savemem.dat"));  // the save's working copy is gone
    EXPECT_EQ(radioState.band, 4);
    EXPECT_TRUE(fake::takePrompts().empty());
}

TEST_F(MemoryFileTest, HeaderCarriesTheBandCharacterOnlyForBandsOneToFourteen) {
    auto& R = radioState;
    const std::pair<int, std::string> cases[] = {
        {1, kMark + "   3.4a 1"}, {9, kMark + "   3.4a 9"}, {10, kMark + "   3.4a :"},
        {14, kMark + "   3.4a >"}, {99, kMark + "   3.4a"}, {0, kMark + "   3.4a"},
    };
    for (const auto& [band, header] : cases) {
        R.band = band;
        saveMemoryFile();
        EXPECT_EQ(savedLines().at(0), header) << "band " << band;
        EXPECT_EQ(savedLines().size(), 115u);
    }
    EXPECT_EQ(savedLines().at(0).size(), 19u);
}

TEST_F(MemoryFileTest, SaveThenLoadGivesBackBandRecordsAndChannels) {
    auto& R = radioState;
    R.band = 12;
    R.bandTable[12] = "15A00145500000B001449000000121";
    memoryState.memoryChannels[0] = kChannel;
    memoryState.memoryChannels[99] = kSplitChannel;
    saveMemoryFile();
    EXPECT_EQ(memoryState.saveFailed, 0);

    resetState();
    loadMemoryFile();
    EXPECT_EQ(R.band, 12);
    EXPECT_EQ(R.bandTable[12], "15A00145500000B001449000000121");
    EXPECT_EQ(memoryState.memoryChannels[0], kChannel);
    EXPECT_EQ(memoryState.memoryChannels[99], kSplitChannel);
    EXPECT_EQ(memoryState.memoryChannels[50], "9");
    EXPECT_EQ(fake::state().renames["savmem.dat"], 1);  // a clean file is not rewritten at load
}

// --- the header when read ----------------------------------------------------

TEST_F(MemoryFileTest, BandCharacterSelectsTheBandAndAnythingElseGivesZero) {
    const std::pair<std::string, int> cases[] = {
        {kMark + "   3.4a >", 14}, {kMark + "   3.4a :", 10}, {kMark + "   3.4a 1", 1},
        {kMark + "   3.4a", 0},    {kMark + "   3.4a 0", 0},  {kMark + "   3.4a ?", 0},
        {kMark + "   3.4a ~", 0},  {kMark + "   3.4a \xC3", 0},
    };
    for (const auto& [header, band] : cases) {
        resetState();
        fake::setFile("savmem.dat", joined(factoryLines(header), "\r\n"));
        loadMemoryFile();
        EXPECT_EQ(radioState.band, band) << header;
    }
}

TEST_F(MemoryFileTest, AnotherVersionTextBehindTheRightMarkIsAccepted) {
    auto lines = factoryLines(kMark + "   9.9z 6");
    lines[15 + 42] = kChannel;
    fake::setFile("savmem.dat", joined(lines, "\r\n"));
    loadMemoryFile();
    EXPECT_EQ(radioState.band, 6);
    EXPECT_EQ(memoryState.memoryChannels[42], kChannel);
    EXPECT_FALSE(fake::hasFile("savmem.bad"));
}

TEST_F(MemoryFileTest, LfOnlyAndCrOnlyFilesReadLikeCrLf) {
    auto lines = factoryLines(kMark + "   3.4a 7");
    lines[2] = "02A00003700000B000037000009991";
    lines[15 + 7] = kSplitChannel;
    for (const std::string end : {"\n", "\r", "\r\n"}) {
        resetState();
        fake::reset();
        fake::setFile("savmem.dat", joined(lines, end));
        loadMemoryFile();
        EXPECT_EQ(radioState.band, 7);
        EXPECT_EQ(radioState.bandTable[2], "02A00003700000B000037000009991");
        EXPECT_EQ(memoryState.memoryChannels[7], kSplitChannel);
        EXPECT_EQ(memoryState.memoryChannels[8], "9");
        EXPECT_FALSE(fake::hasFile("savmem.bad"));
    }
}

// --- unrecognised and damaged files -------------------------------------------

TEST_F(MemoryFileTest, WrongMarkIsReplacedAndItsContentKeptUnderAnotherName) {
    auto lines = factoryLines("RIGVOX v3.2c   3.4a 6");
    lines[15 + 3] = kChannel;
    const std::string old = joined(lines, "\r\n");
    fake::setFile("savmem.dat", old);
    loadMemoryFile();

    EXPECT_EQ(fake::fileContent("savmem.bad"), old);
    EXPECT_EQ(fake::fileContent("savmem.dat"), joined(factoryLines(kMark + "   3.4a 4"), "\r\n"));
    EXPECT_EQ(radioState.band, 4);
    EXPECT_EQ(memoryState.memoryChannels[3], "9");
    EXPECT_TRUE(fake::takePrompts().empty());

    // A second unrecognised file does not overwrite the first copy.
    fake::setFile("savmem.dat", "not ours\r\n");
    resetState();
    loadMemoryFile();
    EXPECT_EQ(fake::fileContent("savmem.bad"), old);
    EXPECT_EQ(fake::fileContent("savmem1.bad"), "not ours\r\n");
}

TEST_F(MemoryFileTest, AFileThatCannotBeKeptIsNeverOverwritten) {
    // Unrecognised, damaged (a letter in a frequency, lone LF endings), and
    // cut short: with every kept-file name taken, or a directory that takes
    // no new file, each stays byte for byte as it was.
    auto damaged = factoryLines(kMark + "   3.4a 6");
    damaged[4] = "01A0000710000XB000071000009990";
    damaged[15 + 2] = kChannel;
    auto cut = factoryLines(kMark + "   3.4a 6");
    cut[15 + 2] = kChannel;
    cut.resize(40);
    const std::string files[] = {"precious\r\n", joined(damaged, "\n"), joined(cut, "\r\n")};
    for (const std::string& file : files) {
        for (bool namesTaken : {true, false}) {
            resetState();
            fake::reset();
            fake::setFile("savmem.dat", file);
            if (namesTaken) {
                fake::setFile("savmem.bad", "older");
                for (int n = 1; n <= 9; ++n) fake::setFile("savmem" + std::to_string(n) + ".bad", "older");
            } else {
                fake::state().readOnlyDirectory = true;
            }
            loadMemoryFile();
            EXPECT_EQ(fake::fileContent("savmem.dat"), file);
            EXPECT_EQ(fake::takePrompts(), (Prompts{"invalid"}));
            EXPECT_EQ(memoryState.saveRefused, 1);

            // Later saves in this run leave it alone too, and say so.
            memoryState.memoryChannels[0] = kChannel;
            saveMemoryFile();
            EXPECT_EQ(fake::fileContent("savmem.dat"), file);
            EXPECT_EQ(fake::takePrompts(), (Prompts{"invalid"}));
            EXPECT_EQ(fake::fileContent("savmem.bad"), namesTaken ? "older" : "");
        }
    }
}

TEST_F(MemoryFileTest, ShortFileKeepsDefaultsForMissingRecordsAndIsRepaired) {
    auto lines = factoryLines(kMark + "   3.4a 2");
    lines[1] = "03A00001830000B000018300009990";
    lines.resize(6);  // header and bands 1..5 only
    const std::string old = joined(lines, "\r\n");
    fake::setFile("savmem.dat", old);
    loadMemoryFile();

    auto& R = radioState;
    EXPECT_EQ(R.band, 2);
    EXPECT_EQ(R.bandTable[1], "03A00001830000B000018300009990");
    EXPECT_EQ(R.bandTable[6], kFactoryBandRecords[6]);
    EXPECT_EQ(R.bandTable[14], kFactoryBandRecords[14]);
    for (const auto& c : memoryState.memoryChannels) EXPECT_EQ(c, "9");
    EXPECT_EQ(fake::fileContent("savmem.bad"), old);
    EXPECT_EQ(savedLines().size(), 115u);
    EXPECT_EQ(savedLines().at(1), "03A00001830000B000018300009990");
}

TEST_F(MemoryFileTest, DamagedRecordsAreDroppedOneByOne) {
    auto lines = factoryLines(kMark + "   3.4a 4");
    lines[4] = "01A0000710000XB000071000009990";        // band 4: a letter in VFO A
    lines[5] = "03A00010100000B00010100000999";         // band 5: 29 characters
    lines[15 + 0] = kChannel;                           // kept
    lines[15 + 1] = kChannel.substr(0, 31);             // too short
    lines[15 + 2] = "0115A00007100000B000071000009990";   // band 15 does not exist
    lines[15 + 3] = "2104A00007100000B000071000009990";   // split flag 2
    lines[15 + 4] = "0804A00007100000B000071000009990";   // mode 8
    lines[15 + 5] = std::string(400, '1');              // longer than a record can hold
    lines[15 + 6] = "";                                 // an empty text is not an empty channel
    lines[15 + 7] = "0199A00007100000B000071000009990";   // stored outside every band: kept
    lines[15 + 8] = "9 left from an older file";        // a leading 9 marks an empty slot
    const std::string old = joined(lines, "\n");  // the kept file is the very file, LF endings and all
    fake::setFile("savmem.dat", old);
    fake::setFile("savmem.bad", "an earlier one");
    loadMemoryFile();

    auto& R = radioState;
    auto& M = memoryState;
    EXPECT_EQ(fake::fileContent("savmem.bad"), "an earlier one");
    EXPECT_EQ(fake::fileContent("savmem1.bad"), old);
    EXPECT_EQ(M.saveRefused, 0);
    EXPECT_EQ(R.bandTable[4], kFactoryBandRecords[4]);
    EXPECT_EQ(R.bandTable[5], kFactoryBandRecords[5]);
    EXPECT_EQ(M.memoryChannels[0], kChannel);
    for (int c = 1; c <= 6; ++c) EXPECT_EQ(M.memoryChannels[c], "9") << "channel " << c;
    EXPECT_EQ(M.memoryChannels[7], "0199A00007100000B000071000009990");
    EXPECT_EQ(M.memoryChannels[8], "9");
    EXPECT_EQ(savedLines().at(15 + 1), "9");
}

// --- saves that fail ----------------------------------------------------------

class FailingSaveTest : public MemoryFileTest {
protected:
    std::string old;
    void SetUp() override {
        MemoryFileTest::SetUp();
        auto lines = factoryLines(kMark + "   3.4a 4");
        lines[15 + 5] = kChannel;
        old = joined(lines, "\r\n");
        fake::setFile("savmem.dat", old);
        loadMemoryFile();
        memoryState.memoryChannels[6] = kSplitChannel;
    }
    // The old file is whole and loads with its channel; the tables in memory
    // kept the change; no working copy is left; the operator heard a warning.
    void expectOldFileIntact() {
        EXPECT_EQ(memoryState.saveFailed, 1);
        EXPECT_EQ(fake::takePrompts(), (Prompts{"invalid"}));
        EXPECT_EQ(memoryState.memoryChannels[6], kSplitChannel);
        EXPECT_EQ(fake::fileContent("savmem.dat"), old);
        EXPECT_FALSE(fake::hasFile("savemem.dat"));
        fake::state() = fake::State{};
        fake::setFile("savmem.dat", old);
        resetState();
        loadMemoryFile();
        EXPECT_EQ(memoryState.memoryChannels[5], kChannel);
        EXPECT_EQ(memoryState.memoryChannels[6], "9");
    }
};

TEST_F(FailingSaveTest, CrashBetweenWritingAndRenaming) {
    fake::state().failRename = true;
    saveMemoryFile();
    expectOldFileIntact();
}

TEST_F(FailingSaveTest, DiskFullPartWayThroughTheFile) {
    fake::state().diskSpace = 300;
    saveMemoryFile();
    expectOldFileIntact();
}

TEST_F(FailingSaveTest, WorkingCopyCannotBeCreated) {
    fake::state().unwritablePaths.insert("savemem.dat");
    saveMemoryFile();
    expectOldFileIntact();
}

TEST_F(FailingSaveTest, DataDoesNotReachTheDisk) {
    fake::state().failSync = true;
    saveMemoryFile();
    expectOldFileIntact();
}

TEST_F(MemoryFileTest, LeftoverWorkingCopyIsDeletedByTheNextSave) {
    fake::setFile("savemem.dat", "half a file");
    saveMemoryFile();
    EXPECT_FALSE(fake::hasFile("savemem.dat"));
    EXPECT_EQ(savedLines().size(), 115u);
}

TEST_F(MemoryFileTest, UnwritableDirectoryStartsWithTheTablesAndWarnsOnce) {
    fake::state().readOnlyDirectory = true;
    loadMemoryFile();
    EXPECT_EQ(fake::takePrompts(), (Prompts{"invalid"}));
    EXPECT_FALSE(fake::hasFile("savmem.dat"));
    EXPECT_EQ(radioState.band, 4);
    EXPECT_EQ(radioState.bandTable[6], kFactoryBandRecords[6]);
    EXPECT_EQ(memoryState.memoryChannels[0], "9");
}

TEST_F(MemoryFileTest, UnwritableDirectoryStillReadsAnExistingFile) {
    auto lines = factoryLines(kMark + "   3.4a 8");
    lines[15 + 11] = kChannel;
    fake::setFile("savmem.dat", joined(lines, "\r\n"));
    fake::state().readOnlyDirectory = true;
    loadMemoryFile();
    EXPECT_TRUE(fake::takePrompts().empty());
    EXPECT_EQ(radioState.band, 8);
    EXPECT_EQ(memoryState.memoryChannels[11], kChannel);
}

}  // namespace
