// The serial wait as every real backend keeps it, built for Linux and for
// Windows (run under Wine): a reply pause is made of this wait, so with no
// device to answer (the radio unplugged, or no port at all, as in the
// simulator) it must still last its whole time.
#include <gtest/gtest.h>

#include <cstdint>

#include "platform/platform.h"

namespace {

TEST(SerialWait, WithoutADeviceSleepsTheWholeTime) {
    const int refused = platSerialOpen(200, 9600);  // no such port on either system
    ASSERT_EQ(refused, 0);
    for (const int handle : {refused, -1, 42}) {
        for (const int ms : {1, 30, 120}) {
            const std::int64_t start = platTickMs();
            EXPECT_FALSE(platSerialWaitInput(handle, ms)) << handle << " " << ms;
            EXPECT_GE(platTickMs() - start, ms) << handle;
        }
        // No time asked, no time taken.
        for (const int ms : {0, -5}) {
            EXPECT_FALSE(platSerialWaitInput(handle, ms)) << handle << " " << ms;
        }
    }
}

}  // namespace
