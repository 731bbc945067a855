// The network listen's address, parsed one way for every backend, and a
// client's address as text. Include
// it after the system's socket headers (POSIX <arpa/inet.h>, Winsock's
// <ws2tcpip.h>): it names only what both declare alike.
#pragma once

#include <string>

// Fills where with address (an IPv4 or IPv6 address as text, no brackets)
// and port. The length of the address filled; 0 when the text is neither.
inline int listenAddress(const std::string& address, int port, sockaddr_storage& where) {
    where = sockaddr_storage{};
    auto* v4 = reinterpret_cast<sockaddr_in*>(&where);
    auto* v6 = reinterpret_cast<sockaddr_in6*>(&where);
    if (inet_pton(AF_INET, address.c_str(), &v4->sin_addr) == 1) {
        v4->sin_family = AF_INET;
        v4->sin_port = htons(static_cast<unsigned short>(port));
        return static_cast<int>(sizeof *v4);
    }
    if (inet_pton(AF_INET6, address.c_str(), &v6->sin6_addr) == 1) {
        v6->sin6_family = AF_INET6;
        v6->sin6_port = htons(static_cast<unsigned short>(port));
        return static_cast<int>(sizeof *v6);
    }
    return 0;
}

// A connected peer's address as text without port or brackets; empty for
// an address of another family.
inline std::string peerAddress(const sockaddr_storage& from) {
    char text[INET6_ADDRSTRLEN] = {};
    if (from.ss_family == AF_INET &&
        inet_ntop(AF_INET, &reinterpret_cast<const sockaddr_in*>(&from)->sin_addr, text, sizeof text))
        return text;
    if (from.ss_family == AF_INET6 &&
        inet_ntop(AF_INET6, &reinterpret_cast<const sockaddr_in6*>(&from)->sin6_addr, text, sizeof text))
        return text;
    return std::string();
}
