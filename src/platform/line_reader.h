// Reading a file line by line, shared by both backends: the read-ahead and
// the line-end rules (CR, LF or CR LF; the ending is not kept).
#pragma once

#include <cstddef>
#include <string>
#include <vector>

struct LineReader {
    // Longest line kept; the rest of a longer line is read and dropped, so a
    // file without line ends cannot exhaust memory. Every caller keeps at
    // most 255 characters anyway.
    static constexpr std::size_t kLineKeep = 65536;
    static constexpr std::size_t kBlock = 8192;

    std::vector<char> buffer;  // read-ahead
    std::size_t pos = 0, end = 0;
    bool eof = false;

    // fill(data, size) reads at most size bytes into data and returns the
    // count, 0 at end of file or on a read error.
    template <typename Fill>
    bool readLine(std::string& line, Fill fill) {
        line.clear();
        bool any = false;
        for (;;) {
            if (pos >= end && !refill(fill)) return any;
            const char c = buffer[pos++];
            any = true;
            if (c == '\n') return true;
            if (c == '\r') {
                // CR LF is one line end, even when the LF sits in the next block.
                if (pos >= end && !refill(fill)) return true;
                if (buffer[pos] == '\n') ++pos;
                return true;
            }
            if (line.size() < kLineKeep) line += c;
        }
    }

private:
    template <typename Fill>
    bool refill(Fill& fill) {
        if (eof) return false;
        if (buffer.empty()) buffer.resize(kBlock);
        pos = 0;
        end = fill(buffer.data(), buffer.size());
        if (end == 0) eof = true;
        return end > 0;
    }
};
