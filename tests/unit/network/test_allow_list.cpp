// The network port's allow-list: which client addresses it lets in.
#include <gtest/gtest.h>

#include "network/allow_list.h"

// One table: a list, a client's address, and whether it is let in. Loopback
// always is; an IPv4 client of an IPv6 listener matches IPv4 entries; the
// network's length counts bit by bit; text that is no address lets nobody in.
TEST(AllowList, ClientsLetInByTheList) {
    struct Case { const char* list; const char* peer; bool allowed; };
    for (const Case& c : {
             Case{"", "127.0.0.1", true},
             Case{"", "127.8.9.10", true},
             Case{"", "::1", true},
             Case{"", "::ffff:127.0.0.1", true},
             Case{"", "192.168.1.20", false},
             Case{"", "::", false},
             Case{"192.168.1.0/24", "192.168.1.20", true},
             Case{"192.168.1.0/24", "192.168.2.20", false},
             Case{"192.168.1.0/24", "::ffff:192.168.1.255", true},
             Case{"192.168.1.0/24", "::ffff:c0a8:0114", true},  // the same, in hex groups
             Case{"192.168.1.20", "192.168.1.20", true},
             Case{"192.168.1.20", "192.168.1.21", false},
             Case{"10.0.0.0/8,192.168.1.20", "192.168.1.20", true},
             Case{"10.0.0.0/8 , 172.16.0.0/12", "172.31.255.1", true},
             Case{"10.0.0.0/8\t172.16.0.0/12", "172.32.0.1", false},
             Case{"192.168.1.128/25", "192.168.1.127", false},
             Case{"192.168.1.128/25", "192.168.1.128", true},
             Case{"0.0.0.0/0", "203.0.113.9", true},
             Case{"0.0.0.0/0", "2001:db8::1", false},  // IPv4's every address is not IPv6's
             Case{"fd00::/8", "fd12:3456::1", true},
             Case{"fd00::/8", "fe80::1", false},
             Case{"fe80::/10", "fe80::1%eth0", true},
             Case{"[2001:db8::]/32", "2001:db8:ffff::7", true},
             Case{"2001:db8::7", "2001:0db8:0000:0000:0000:0000:0000:0007", true},
             Case{"2001:db8::7", "2001:db8::8", false},
             Case{"bad 192.168.1.0/24", "192.168.1.5", true},  // an entry that does not read is skipped
             Case{"192.168.1.0/24", "", false},
             Case{"192.168.1.0/24", "192.168.1", false},
             Case{"192.168.1.0/24", "192.168.1.5.6", false},
             Case{"192.168.1.0/24", "192.168.1.256", false},
             Case{"::/0", "1:2:3:4:5:6:7:8:9", false},
             Case{"::/0", "1::2::3", false},
         }) {
        EXPECT_EQ(addressAllowed(c.list, c.peer), c.allowed) << '"' << c.list << "\" \"" << c.peer << '"';
    }

    // A list is valid when every entry reads.
    for (const char* good : {"192.168.1.0/24", "10.0.0.1, fd00::/8", "  ::1  ", "[::1]", "1.2.3.4/32", "::/128",
                             "1:2:3:4:5:6:1.2.3.4"})
        EXPECT_TRUE(allowListValid(good)) << good;
    for (const char* bad : {"", " , ", "192.168.1.0/33", "::/129", "192.168.1.0/", "192.168.1.0/x", "example.org",
                            "10.0.0.1 10.0.0", "1:2:3:4:5:6:7:8/200", "12345::", ":1", "1:"})
        EXPECT_FALSE(allowListValid(bad)) << bad;
}
