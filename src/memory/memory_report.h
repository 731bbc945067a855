// The printable memory-bank report memory.txt.
#pragma once

#include <string>
#include <string_view>

// Rewrites memory.txt from memoryChannels: title, banks with stored channels,
// or "Empty". A file that cannot be created is skipped silently.
void writeMemoryReport();

// The listing line of a stored channel record in the given slot.
std::string channelReportLine(int slot, std::string_view record);
// "A=" style frequency text from 11 Hz digits: whole MHz, ".", the six
// fraction digits with trailing zeros dropped (at least one kept).
std::string reportFrequency(std::string_view hzDigits);
