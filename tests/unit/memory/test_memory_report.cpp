// The memory-bank report memory.txt: the listing byte for byte, fraction
// trimming, the split, tone and mode columns, and banks without channels.
#include "test_support.h"

#include "memory/memory_file.h"
#include "memory/memory_report.h"

namespace {

class MemoryReportTest : public RigvoxTest {
protected:
    static std::string report() {
        writeMemoryReport();
        return fake::fileContent("memory.txt");
    }
    static void store(int index, const std::string& record) { memoryState.memoryChannels[index] = record; }
};

TEST_F(MemoryReportTest, TwoChannelsInTwoBanksListExactly) {
    store(3, "0104A00007100000B000071000009990");
    store(10, "1512A00145000000B001456000000120");
    EXPECT_EQ(report(),
              "Memory Bank Information\r\n"
              "  \r\n"
              "  \r\n"
              "Bank0\r\n"
              "Slot 3 A=7.1  B=7.1  LSB           \r\n"
              "  \r\n"
              "Bank1\r\n"
              "Slot 0 A=145.0  B=145.6  FMN    split  CTSS=12\r\n");
}

TEST_F(MemoryReportTest, NoStoredChannelGivesThreeLinesEndingInEmpty) {
    EXPECT_EQ(report(), "Memory Bank Information\r\n  \r\nEmpty\r\n");
}

TEST_F(MemoryReportTest, FractionKeepsItsDigitsUpToTheLastNonZero) {
    EXPECT_EQ(reportFrequency("00007000500"), "7.0005");
    EXPECT_EQ(reportFrequency("00014000000"), "14.0");
    EXPECT_EQ(reportFrequency("00007125000"), "7.125");
    EXPECT_EQ(reportFrequency("00007100000"), "7.1");
    EXPECT_EQ(reportFrequency("00000500000"), "0.5");
    EXPECT_EQ(reportFrequency("00432123456"), "432.123456");
}

TEST_F(MemoryReportTest, SplitAndToneColumns) {
    // Simplex without tone: eleven spaces close the line.
    EXPECT_EQ(channelReportLine(4, "0206A00014200000B000142000009991"),
              "Slot 4 A=14.2  B=14.2  USB           ");
    // Split with tone 012: four spaces, split, two spaces, then the tone.
    EXPECT_EQ(channelReportLine(9, "1512A00145500000B001449000000121"),
              "Slot 9 A=145.5  B=144.9  FMN    split  CTSS=12");
    // A tone without split follows the eleven spaces.
    EXPECT_EQ(channelReportLine(0, "0512A00145500000B001455000000070"),
              "Slot 0 A=145.5  B=145.5  FMN           CTSS=07");
}

TEST_F(MemoryReportTest, EveryModeDigitHasItsColumnAndOthersAddNothing) {
    const char* expected[] = {"", "  LSB", "  USB", "  CW", "  AM", "  FMN", "  C4FM", "  FMW", "", ""};
    for (int m = 0; m <= 9; ++m) {
        EXPECT_EQ(channelReportLine(1, "0" + std::to_string(m) + "10A00028500000B000285000009990"),
                  "Slot 1 A=28.5  B=28.5" + std::string(expected[m]) + std::string(11, ' '))
            << "mode " << m;
    }
}

TEST_F(MemoryReportTest, BanksWithoutChannelsGetNeitherSpacerNorHeading) {
    store(57, "0614A00009600000B000096000009990");
    store(50, "0311A00050100000B000501000009990");
    EXPECT_EQ(report(),
              "Memory Bank Information\r\n"
              "  \r\n"
              "  \r\n"
              "Bank5\r\n"
              "Slot 0 A=50.1  B=50.1  CW           \r\n"
              "Slot 7 A=9.6  B=9.6  C4FM           \r\n");
}

TEST_F(MemoryReportTest, AReportThatCannotBeCreatedLeavesTheMemoryFileSaved) {
    fake::state().unwritablePaths.insert("memory.txt");
    store(0, "0104A00007100000B000071000009990");
    saveMemoryFile();
    EXPECT_FALSE(fake::hasFile("memory.txt"));
    EXPECT_EQ(memoryState.saveFailed, 0);
    EXPECT_NE(fake::fileContent("savmem.dat").find("0104A00007100000B000071000009990\r\n"), std::string::npos);
    EXPECT_TRUE(fake::takePrompts().empty());
}

}  // namespace
