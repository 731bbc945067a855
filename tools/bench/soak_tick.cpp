// rigvox-soak only: the timer start, wrapped at link time, takes its period
// from RIGVOX_TEST_TICK_MS (1 to 50 ms), so a day of 50 ms poll ticks runs in
// minutes. Everything else is the product's own code.
#ifndef RIGVOX_TEST_TICK
#error "soak_tick.cpp belongs to the rigvox-soak test build only"
#endif

#include <string>

#include "base/text.h"
#include "platform/platform.h"

extern "C" void __real__Z14platTimerStarti(int periodMs);

extern "C" void __wrap__Z14platTimerStarti(int periodMs) {
    const std::string wanted = platEnv("RIGVOX_TEST_TICK_MS");
    const int shortened = textInt(wanted);
    if (periodMs > 0 && allDigits(wanted) && shortened >= 1 && shortened <= 50) periodMs = shortened;
    __real__Z14platTimerStarti(periodMs);
}
