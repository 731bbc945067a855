// The printable memory-bank report memory.txt: every stored channel, grouped
// by bank, rewritten whole after each save of the memory file.
#include "memory/memory_report.h"

#include "base/records.h"
#include "base/text.h"
#include "memory/memory_state.h"
#include "memory/whole_file.h"
#include "platform/platform.h"

namespace {

constexpr const char* kReportFileName = "memory.txt";

// Report text by mode digit; index 0 and 8, 9 add nothing. "C4FM" (6) is
// never set by the program but may come from a channel written elsewhere.
constexpr const char* kModeColumn[10] = {"",       "  LSB",  "  USB", "  CW", "  AM",
                                         "  FMN",  "  C4FM", "  FMW", "",     ""};

}  // namespace

std::string reportFrequency(std::string_view hzDigits) {
    const std::string text = mhzText(hzDigits);
    std::string fraction = midText(text, kMHzDigits + 2);
    while (fraction.size() > 1 && fraction.back() == '0') fraction.pop_back();
    if (fraction.empty()) fraction = "0";
    return plainNumber(textInt(leftText(text, kMHzDigits))) + "." + fraction;
}

std::string channelReportLine(int slot, std::string_view record) {
    std::string line = "Slot " + plainNumber(slot) + " ";
    line += "A=" + reportFrequency(recordDigits(record, kChannelVfoAAt));
    line += "  B=" + reportFrequency(recordDigits(record, kChannelVfoBAt));
    const std::string modeDigit = midText(record, kChannelModeAt, 1);
    if (allDigits(modeDigit)) line += kModeColumn[modeDigit[0] - '0'];
    line += midText(record, kChannelSplitAt, 1) == "1" ? "    split  " : std::string(11, ' ');
    const std::string tone = toneNumberText(midText(record, kChannelToneAt, kToneWidth));
    if (tone != "99") line += "CTSS=" + tone;
    return line;
}

void writeMemoryReport() {
    const auto& M = memoryState;
    platFileDelete(kReportFileName);
    const int file = platFileOpenWrite(kReportFileName);
    if (file <= 0) return;  // the report is a convenience; the memory file does not depend on it

    // Stop writing at the first failure (a full disk); the file is rewritten
    // whole at the next save anyway.
    bool ok = writeLine(file, "Memory Bank Information") && writeLine(file, "  ");
    bool anyStored = false;
    for (int bank = 0; bank < kChannelBanks && ok; ++bank) {
        bool headed = false;
        for (int slot = 0; slot < kChannelsPerBank && ok; ++slot) {
            const std::string& record = M.memoryChannels[channelIndex(bank, slot)];
            if (isEmptyChannel(record)) continue;
            if (!headed) {
                ok = writeLine(file, "  ") && writeLine(file, "Bank" + plainNumber(bank));
                headed = true;
            }
            ok = ok && writeLine(file, channelReportLine(slot, record));
        }
        anyStored = anyStored || headed;
    }
    if (ok && !anyStored) writeLine(file, "Empty");
    platFileClose(file);
}
