// The bookkeeping of the sound queue, shared by the real backends: which
// queued sounds have begun and ended, and when the event wait should look
// again. A sound is judged by two clocks at once: the schedule (each sound
// takes its length, from when it was queued or from the end of the one
// before) and what the device has taken of the queue ("units": bytes or
// buffers, counted from the first sound ever queued). A device that lags
// holds a sound back; a device that swallows its queue at once (SDL's dummy
// driver), or none at all, leaves the schedule to decide.
#pragma once

#include <algorithm>
#include <cstdint>
#include <deque>
#include <limits>

class SoundQueue {
public:
    // What the device has taken when there is no device: everything.
    static constexpr std::uint64_t kNoDevice = std::numeric_limits<std::uint64_t>::max();
    // How soon a sound due by the schedule, but not yet taken by the device,
    // is looked at again.
    static constexpr std::int64_t kRecheckMs = 3;

    // Adds a sound of durationMs that the device will take as `units`.
    void add(std::int64_t nowMs, std::int64_t durationMs, std::uint64_t units) {
        Sound s;
        s.startMs = std::max(nowMs, endMs_);
        s.endMs = s.startMs + std::max<std::int64_t>(durationMs, 0);
        s.firstUnit = unitsAdded_;
        unitsAdded_ += units;
        s.lastUnit = unitsAdded_;
        endMs_ = s.endMs;
        sounds_.push_back(s);
    }

    // Counts the sounds that have begun and drops those that have ended.
    // taken: the units the device has taken, of all ever added (kNoDevice
    // when there is none).
    void update(std::int64_t nowMs, std::uint64_t taken) {
        for (std::size_t i = begun_; i < sounds_.size(); ++i) {
            const Sound& s = sounds_[i];
            if (nowMs < s.startMs || taken < s.firstUnit) break;
            ++begun_;
            ++started_;
            changed_ = true;
        }
        while (begun_ > 0 && nowMs >= sounds_.front().endMs && taken >= sounds_.front().lastUnit) {
            sounds_.pop_front();
            --begun_;
            if (sounds_.empty()) changed_ = true;
        }
    }

    // Everything queued is dropped and counts as begun.
    void stop(std::int64_t nowMs) {
        started_ += static_cast<std::int64_t>(sounds_.size() - begun_);
        if (!sounds_.empty()) changed_ = true;
        sounds_.clear();
        begun_ = 0;
        endMs_ = nowMs;
    }

    std::int64_t started() const { return started_; }
    bool busy() const { return !sounds_.empty(); }
    std::uint64_t unitsAdded() const { return unitsAdded_; }
    // When the last sound queued ends by the schedule.
    std::int64_t endsMs() const { return endMs_; }

    // When, by the schedule, the next sound is due to begin or the last to
    // end; -1 when nothing is queued. After update, a time already past means
    // the device holds the change back.
    std::int64_t dueMs() const {
        if (sounds_.empty()) return -1;
        return begun_ < sounds_.size() ? sounds_[begun_].startMs : sounds_.back().endMs;
    }

    // Milliseconds until a sound is due to begin or the last to end, -1 when
    // nothing is queued (call update first).
    std::int64_t msUntilChange(std::int64_t nowMs) const {
        if (sounds_.empty()) return -1;
        const std::int64_t due = dueMs();
        return due > nowMs ? due - nowMs : kRecheckMs;
    }

    // True once for each round of changes (a sound begun, the queue ended or
    // dropped) since the last call.
    bool takeChange() {
        const bool was = changed_;
        changed_ = false;
        return was;
    }

private:
    struct Sound {
        std::int64_t startMs = 0, endMs = 0;  // by the schedule
        std::uint64_t firstUnit = 0, lastUnit = 0;
    };
    std::deque<Sound> sounds_;  // not yet ended, in order; the first begun_ have begun
    std::size_t begun_ = 0;
    std::int64_t started_ = 0;
    std::uint64_t unitsAdded_ = 0;
    std::int64_t endMs_ = 0;
    bool changed_ = false;
};
