// A save of the memory file that does not reach the disk must not leave a
// memory-bank report that lists channels as stored which the file lacks.
#include "test_support.h"

#include "memory/memory_file.h"

namespace {

const std::string kChannel1 = "0104A00007100000B000071000009990";
const std::string kChannel2 = "0107A00014200000B000142000009990";

class FailedSaveReportTest : public RigvoxTest {
protected:
    void SetUp() override {
        RigvoxTest::SetUp();
        memoryState.memoryChannels[1] = kChannel1;
        saveMemoryFile();
        ASSERT_EQ(memoryState.saveFailed, 0);
        reportBefore = fake::fileContent("memory.txt");
        fileBefore = fake::fileContent("savmem.dat");
        ASSERT_NE(reportBefore.find("Slot 1 "), std::string::npos);
        memoryState.memoryChannels[2] = kChannel2;
        fake::takePrompts();
    }

    // The failed save said so, and file and report still agree.
    void expectOldReport() {
        EXPECT_EQ(memoryState.saveFailed, 1);
        EXPECT_EQ(fake::takePrompts(), (std::vector<std::string>{"invalid"}));
        EXPECT_EQ(fake::fileContent("savmem.dat"), fileBefore);
        EXPECT_EQ(fake::fileContent("memory.txt"), reportBefore);
        EXPECT_EQ(fake::fileContent("memory.txt").find("Slot 2 "), std::string::npos);
    }

    std::string reportBefore, fileBefore;
};

TEST_F(FailedSaveReportTest, RenameThatFails) {
    fake::state().failRename = true;
    saveMemoryFile();
    expectOldReport();
}

TEST_F(FailedSaveReportTest, DiskFullPartWay) {
    fake::state().diskSpace = 300;
    saveMemoryFile();
    expectOldReport();
}

TEST_F(FailedSaveReportTest, AfterwardsASaveThatWorksReportsEveryChannel) {
    fake::state().failSync = true;
    saveMemoryFile();
    expectOldReport();
    fake::state().failSync = false;
    saveMemoryFile();
    EXPECT_EQ(memoryState.saveFailed, 0);
    const std::string report = fake::fileContent("memory.txt");
    EXPECT_NE(report.find("Slot 1 "), std::string::npos);
    EXPECT_NE(report.find("Slot 2 "), std::string::npos);
    EXPECT_NE(fake::fileContent("savmem.dat").find(kChannel2), std::string::npos);
}

}  // namespace
