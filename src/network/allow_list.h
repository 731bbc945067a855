// Which client addresses may use the network port: the list of the optional
// rigvox.cfg line "RIGCTLD_ALLOW=". Pure functions over text.
//
// The list holds single addresses and networks, IPv4 or IPv6
// ("192.168.1.20", "192.168.1.0/24", "fd00::/8", "2001:db8::7"), separated
// by commas, blanks or both. A client on a loopback address (127.0.0.0/8,
// ::1) is always allowed: it is a program on this computer, the port's
// normal client, which could reach the radio's port anyway.
#pragma once

#include <string_view>

// True when every entry of list reads as an address or a network and there
// is at least one.
bool allowListValid(std::string_view list);
// True when peer (an address as text, as the platform gives it; an IPv4
// client of an IPv6 listener may come as "::ffff:a.b.c.d") is a loopback
// address or lies in a network of list. A peer that does not read as an
// address is not allowed; entries that do not read are skipped.
bool addressAllowed(std::string_view list, std::string_view peer);
// True when address (text, no brackets) reads as an IPv4 or IPv6 address.
bool addressValid(std::string_view address);
// True for an address (text, no brackets) on the loopback: 127.0.0.0/8 and ::1.
bool loopbackAddress(std::string_view address);
