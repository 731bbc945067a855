// The periodic timer's arithmetic, shared by both backends: when the next
// tick is due, and how ticks missed while a handler ran merge into one.
#pragma once

#include <cstdint>

struct TickTimer {
    std::int64_t periodMs = 0;  // 0 = stopped
    std::int64_t nextDueMs = 0; // platform clock time of the next tick

    void start(std::int64_t nowMs, std::int64_t period) {
        periodMs = period > 0 ? period : 0;
        nextDueMs = nowMs + periodMs;
    }
    void stop() { periodMs = 0; }
    bool running() const { return periodMs > 0; }

    // Milliseconds to sleep before the next tick: 0 when one is due now,
    // -1 when the timer is stopped (sleep until another event).
    std::int64_t msUntilDue(std::int64_t nowMs) const {
        if (!running()) return -1;
        return nextDueMs > nowMs ? nextDueMs - nowMs : 0;
    }

    // Takes the tick due at nowMs, if any. However many periods have passed
    // (a long spoken answer), only one tick is given and the next one is
    // scheduled on the regular grid after now, so the poll never builds a
    // backlog.
    bool takeTick(std::int64_t nowMs) {
        if (!running() || nowMs < nextDueMs) return false;
        nextDueMs += periodMs;
        if (nextDueMs <= nowMs) {
            std::int64_t behind = nowMs - nextDueMs;
            nextDueMs += (behind / periodMs + 1) * periodMs;
        }
        return true;
    }
};
