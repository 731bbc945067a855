// The program's text operations: pieces, search, the number reader and
// fixed-width number fields, all safe on any input.
#include "base/text.h"

#include <cmath>
#include <cstdint>

void putText(std::string& dst, std::string_view src, int capacity) {
    if (capacity < 0) capacity = 0;
    if (src.size() > static_cast<std::size_t>(capacity)) src = src.substr(0, capacity);
    dst.assign(src.data(), src.size());
}

void capText(std::string& text, int capacity) {
    if (capacity < 0) capacity = 0;
    if (text.size() > static_cast<std::size_t>(capacity)) text.resize(capacity);
}

std::string leftText(std::string_view text, int n) {
    if (n <= 0) return {};
    if (static_cast<std::size_t>(n) >= text.size()) return std::string(text);
    return std::string(text.substr(0, n));
}

std::string rightText(std::string_view text, int n) {
    if (n <= 0) return {};
    if (static_cast<std::size_t>(n) >= text.size()) return std::string(text);
    return std::string(text.substr(text.size() - n));
}

std::string midText(std::string_view text, int start, int length) {
    if (start < 1) start = 1;
    const std::size_t from = static_cast<std::size_t>(start) - 1;
    if (from >= text.size()) return {};
    const std::size_t rest = text.size() - from;
    if (length < 0 || static_cast<std::size_t>(length) >= rest) return std::string(text.substr(from));
    return std::string(text.substr(from, length));
}

int findText(std::string_view text, std::string_view what, int start) {
    if (what.empty()) return 0;
    if (start < 1) start = 1;
    const std::size_t from = static_cast<std::size_t>(start) - 1;
    if (from >= text.size()) return 0;
    const std::size_t at = text.find(what, from);
    if (at == std::string_view::npos) return 0;
    return static_cast<int>(at) + 1;
}

bool startsWith(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() && text.substr(0, prefix.size()) == prefix;
}

double textValue(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
    bool negative = false;
    if (i < text.size() && text[i] == '-') {
        negative = true;
        ++i;
    }
    if (i >= text.size() || text[i] < '0' || text[i] > '9') return 0.0;
    double value = 0.0;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9') {
        value = value * 10.0 + (text[i] - '0');
        ++i;
    }
    if (i < text.size() && text[i] == '.') {
        ++i;
        // The fraction is gathered as a whole number and divided once, so
        // "7.1" reads as the double nearest 7.1; digits past the 18th cannot
        // change a double and are skipped.
        std::uint64_t fraction = 0;
        double scale = 1.0;
        int kept = 0;
        while (i < text.size() && text[i] >= '0' && text[i] <= '9') {
            if (kept < 18) {
                fraction = fraction * 10 + static_cast<std::uint64_t>(text[i] - '0');
                scale *= 10.0;
                ++kept;
            }
            ++i;
        }
        value += static_cast<double>(fraction) / scale;
    }
    if (!std::isfinite(value)) value = 1e300;
    return negative ? -value : value;
}

int roundToInt(double value) {
    if (std::isnan(value)) return 0;
    const double r = std::round(value);
    if (r >= 2147483647.0) return INT32_MAX;
    if (r <= -2147483648.0) return INT32_MIN;
    return static_cast<int>(r);
}

int textInt(std::string_view text) { return roundToInt(textValue(text)); }

std::string plainNumber(long long value) { return std::to_string(value); }

std::string numberText(long long value) {
    return value >= 0 ? " " + std::to_string(value) : std::to_string(value);
}

std::string zeroPad(long long value, int width) {
    if (width <= 0) return {};
    if (width > kTextCapacity) width = kTextCapacity;
    if (value < 0) return std::string(width, '0');
    std::string digits = std::to_string(value);
    if (digits.size() > static_cast<std::size_t>(width)) return std::string(width, '9');
    return std::string(width - digits.size(), '0') + digits;
}

std::string lowerText(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return out;
}

std::string upperText(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return out;
}

bool allDigits(std::string_view text) {
    if (text.empty()) return false;
    for (char c : text)
        if (c < '0' || c > '9') return false;
    return true;
}
