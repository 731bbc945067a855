// The network port's allow-list: addresses and networks read from text and
// a client's address matched against them.
#include "network/allow_list.h"

#include <array>
#include <string>

#include "base/text.h"

namespace {

// An address as IPv6 bytes, IPv4 held as ::ffff:a.b.c.d, so one comparison
// serves both and an IPv4 client of an IPv6 listener matches an IPv4 entry.
using AddressBytes = std::array<unsigned char, 16>;
constexpr int kAddressBits = 128;
constexpr int kMappedIpv4Bits = 96;  // the ::ffff: part in front of an IPv4 address

int hexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// "a.b.c.d", each part 1 to 3 digits up to 255, and nothing else.
bool readIpv4(std::string_view text, unsigned char out[4]) {
    std::size_t at = 0;
    for (int part = 0; part < 4; ++part) {
        if (part > 0) {
            if (at >= text.size() || text[at] != '.') return false;
            ++at;
        }
        const std::size_t start = at;
        int value = 0;
        while (at < text.size() && at - start < 3 && text[at] >= '0' && text[at] <= '9')
            value = value * 10 + (text[at++] - '0');
        if (at == start || value > 255) return false;
        out[part] = static_cast<unsigned char>(value);
    }
    return at == text.size();
}

// Groups of 1 to 4 hex digits split by ":", at most one "::" standing for
// the zero groups left out, and an IPv4 address as the last two groups.
bool readIpv6(std::string_view text, AddressBytes& out) {
    unsigned groups[2][8] = {};  // before and after the "::"
    int counts[2] = {0, 0};
    bool gap = false;
    std::size_t at = 0;
    if (startsWith(text, "::")) {
        gap = true;
        at = 2;
    }
    while (at < text.size()) {
        const std::size_t colon = text.find(':', at);
        const std::string_view piece = text.substr(at, colon == std::string_view::npos ? std::string_view::npos : colon - at);
        int& count = counts[gap ? 1 : 0];
        if (colon == std::string_view::npos && piece.find('.') != std::string_view::npos) {
            unsigned char v4[4];
            if (!readIpv4(piece, v4) || counts[0] + counts[1] + 2 > 8) return false;
            groups[gap ? 1 : 0][count++] = (v4[0] << 8) | v4[1];
            groups[gap ? 1 : 0][count++] = (v4[2] << 8) | v4[3];
            break;
        }
        if (piece.empty() || piece.size() > 4 || counts[0] + counts[1] >= 8) return false;
        unsigned group = 0;
        for (char c : piece) {
            const int digit = hexDigit(c);
            if (digit < 0) return false;
            group = group * 16 + static_cast<unsigned>(digit);
        }
        groups[gap ? 1 : 0][count++] = group;
        at += piece.size();
        if (at == text.size()) break;
        ++at;  // the ":"
        if (at < text.size() && text[at] == ':') {
            if (gap) return false;
            gap = true;
            ++at;
        } else if (at == text.size()) {
            return false;  // a single ":" at the end
        }
    }
    const int total = counts[0] + counts[1];
    if (gap ? total > 7 : total != 8) return false;
    unsigned all[8] = {};
    for (int i = 0; i < counts[0]; ++i) all[i] = groups[0][i];
    for (int i = 0; i < counts[1]; ++i) all[8 - counts[1] + i] = groups[1][i];
    for (int i = 0; i < 8; ++i) {
        out[2 * i] = static_cast<unsigned char>(all[i] >> 8);
        out[2 * i + 1] = static_cast<unsigned char>(all[i] & 0xff);
    }
    return true;
}

// An address, IPv4 or IPv6, as bytes; a zone ("%eth0") after an IPv6
// address is dropped.
bool readAddress(std::string_view text, AddressBytes& out) {
    out = AddressBytes{};
    unsigned char v4[4];
    if (readIpv4(text, v4)) {
        out[10] = out[11] = 0xff;
        for (int i = 0; i < 4; ++i) out[12 + i] = v4[i];
        return true;
    }
    const std::size_t zone = text.find('%');
    if (zone != std::string_view::npos && zone > 0) text = text.substr(0, zone);
    return readIpv6(text, out);
}

bool isIpv4(const AddressBytes& a) {
    for (int i = 0; i < 10; ++i)
        if (a[i] != 0) return false;
    return a[10] == 0xff && a[11] == 0xff;
}

// An entry: an address, or an address, "/" and the length of its network
// (0 to 32 for IPv4, 0 to 128 for IPv6). Brackets around an IPv6 address
// are allowed, as in RIGCTLD=.
bool readEntry(std::string_view entry, AddressBytes& network, int& bits) {
    std::string_view address = entry;
    std::string_view length;
    const std::size_t slash = entry.find('/');
    if (slash != std::string_view::npos) {
        address = entry.substr(0, slash);
        length = entry.substr(slash + 1);
    }
    if (address.size() >= 2 && address.front() == '[' && address.back() == ']')
        address = address.substr(1, address.size() - 2);
    if (!readAddress(address, network)) return false;
    const bool v4 = address.find(':') == std::string_view::npos;
    if (slash == std::string_view::npos) {
        bits = kAddressBits;
        return true;
    }
    if (!allDigits(length) || length.size() > 3) return false;
    bits = textInt(length);
    if (bits > (v4 ? kAddressBits - kMappedIpv4Bits : kAddressBits)) return false;
    if (v4) bits += kMappedIpv4Bits;
    return true;
}

bool inNetwork(const AddressBytes& address, const AddressBytes& network, int bits) {
    for (int i = 0; i < bits; ++i) {
        const unsigned mask = 0x80u >> (i % 8);
        if ((address[i / 8] & mask) != (network[i / 8] & mask)) return false;
    }
    return true;
}

bool isSeparator(char c) { return c == ',' || c == ' ' || c == '\t'; }

// Calls take(entry) for each entry of list; stops when it returns false.
template <typename Take>
void eachEntry(std::string_view list, Take take) {
    std::size_t at = 0;
    while (at < list.size()) {
        while (at < list.size() && isSeparator(list[at])) ++at;
        const std::size_t start = at;
        while (at < list.size() && !isSeparator(list[at])) ++at;
        if (at > start && !take(list.substr(start, at - start))) return;
    }
}

bool loopbackBytes(const AddressBytes& a) {
    if (isIpv4(a)) return a[12] == 127;
    for (int i = 0; i < 15; ++i)
        if (a[i] != 0) return false;
    return a[15] == 1;
}

}  // namespace

bool allowListValid(std::string_view list) {
    int entries = 0;
    bool valid = true;
    eachEntry(list, [&](std::string_view entry) {
        AddressBytes network;
        int bits = 0;
        valid = readEntry(entry, network, bits);
        ++entries;
        return valid;
    });
    return valid && entries > 0;
}

bool addressAllowed(std::string_view list, std::string_view peer) {
    AddressBytes address;
    if (!readAddress(peer, address)) return false;
    if (loopbackBytes(address)) return true;
    bool allowed = false;
    eachEntry(list, [&](std::string_view entry) {
        AddressBytes network;
        int bits = 0;
        allowed = readEntry(entry, network, bits) && inNetwork(address, network, bits);
        return !allowed;
    });
    return allowed;
}

bool addressValid(std::string_view address) {
    AddressBytes bytes;
    return readAddress(address, bytes);
}

bool loopbackAddress(std::string_view address) {
    AddressBytes bytes;
    return readAddress(address, bytes) && loopbackBytes(bytes);
}
