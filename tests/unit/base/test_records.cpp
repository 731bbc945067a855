// The record checks: which texts are a usable band record, a stored channel,
// a channel that can be recalled, and what the memory file's load keeps of
// each as a band line and as a channel line.
#include <string>

#include "base/records.h"
#include "memory/memory_file.h"
#include "test_support.h"

namespace {

class RecordCheckTest : public RigvoxTest {};

// A memory file for band 4 whose band-4 line and channel-0 line are line;
// every other line is the factory table's.
std::string memoryFileWith(const std::string& line) {
    std::string text = "RIGVOX v3.2b   3.4a 4\r\n";
    for (int b = 1; b <= 14; ++b) text += (b == 4 ? line : std::string(kFactoryBandRecords[b])) + "\r\n";
    text += line + "\r\n";
    for (int c = 1; c < 100; ++c) text += "9\r\n";
    return text;
}

}  // namespace

TEST_F(RecordCheckTest, EdgeValuesOfEveryFieldThroughTheChecksAndTheLoad) {
    struct Row {
        const char* text;
        bool band;        // bandRecordUsable
        bool channel;     // isChannelRecord
        bool recallable;  // isRecallableChannel
    };
    const Row rows[] = {
        // Band records, 30 characters.
        {"01A00007100000B000071000009990", true, false, false},
        {"03A00007100000B000071000000121", true, false, false},   // CW, tone 012, preamp on
        {"27A00007100000B000071000009990", true, false, false},   // split 2, FM
        {"00A00007100000B000071000009990", false, false, false},  // mode 0
        {"05A00007100000B000071000009990", true, false, false},   // FM narrow
        {"06A00007100000B000071000009990", false, false, false},  // mode 6: no mode sends it
        {"08A00007100000B000071000009990", false, false, false},  // mode 8
        {"0 A00007100000B000071000009990", false, false, false},
        {"X1A00007100000B000071000009990", false, false, false},
        {"01B00007100000B000071000009990", false, false, false},  // letters swapped
        {"01A0000710000XB000071000009990", false, false, false},
        {"01A00007100000A000071000009990", false, false, false},
        {"01A00007100000B00007100000-990", false, false, false},
        {"01A00007100000B00007100000999X", false, false, false},
        {"01A00007100000B00007100000999", false, false, false},   // 29 characters
        {"01A00007100000B0000710000099900", false, false, false}, // 31
        // Channel records, 32 characters.
        {"0104A00007100000B000071000009990", false, true, true},
        {"1707A00007100000B000071000009990", false, true, true},  // split, FM
        {"0512A00145000000B001450000000120", false, true, true},
        {"0114A00009600000B000096000009990", false, true, true},  // general coverage
        {"0199A00007100000B000071000009990", false, true, false}, // outside every band: kept, never recalled
        {"0100A00007100000B000071000009990", false, false, false},
        {"0115A00007100000B000071000009990", false, false, false},
        {"0604A00007100000B000071000009990", false, false, false}, // mode 6
        {"0004A00007100000B000071000009990", false, false, false},
        {"0804A00007100000B000071000009990", false, false, false},
        {"2104A00007100000B000071000009990", false, false, false}, // split flag 2
        {"01 4A00007100000B000071000009990", false, false, false},
        {"0104A00007100000B00007100000999", false, false, false},  // 31
        {"0104A00007100000B0000710000099900", false, false, false}, // 33
        {"0104A0000710000XB000071000009990", false, false, false},
        // Neither.
        {"9", false, false, false},
        {"", false, false, false},
    };
    for (const Row& row : rows) {
        const std::string text = row.text;
        EXPECT_EQ(bandRecordUsable(text), row.band) << '"' << text << '"';
        EXPECT_EQ(isChannelRecord(text), row.channel) << '"' << text << '"';
        EXPECT_EQ(isRecallableChannel(text), row.recallable) << '"' << text << '"';

        // The load keeps what its check takes; a band line it refuses leaves
        // the factory record, a channel line an empty slot.
        fake::reset();
        resetState();
        fake::setFile("savmem.dat", memoryFileWith(text));
        loadMemoryFile();
        EXPECT_EQ(radioState.bandTable[4], row.band ? text : std::string(kFactoryBandRecords[4])) << '"' << text << '"';
        EXPECT_EQ(memoryState.memoryChannels[0], row.channel ? text : std::string("9")) << '"' << text << '"';
        EXPECT_EQ(radioState.band, 4);
    }
}
