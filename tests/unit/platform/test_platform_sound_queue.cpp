// The sound queue as every real backend keeps it, built for Linux and for
// Windows (run under Wine), with whatever sound device the machine has or
// none: sounds begin in order, each no sooner than the ones before it have
// had their length, a missing file is a sound of no length, the wait wakes
// for the changes and not over and over, and a stop drops everything at
// once. (How soon a sound begins is a benchmark's matter.)
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace fs = std::filesystem;

namespace {

// A PCM WAV of `ms` milliseconds of one quiet level.
std::string writeWav(const std::string& name, int ms, int rate, int channels, int bits) {
    const std::string path = (fs::temp_directory_path() / name).string();
    const std::uint32_t frames = static_cast<std::uint32_t>(rate) * ms / 1000;
    const std::uint32_t bytes = frames * channels * (bits / 8);
    std::ofstream out(path, std::ios::binary);
    auto put = [&](std::uint32_t v, int n) {
        for (int i = 0; i < n; ++i) out.put(static_cast<char>((v >> (8 * i)) & 0xFF));
    };
    out.write("RIFF", 4);
    put(36 + bytes, 4);
    out.write("WAVEfmt ", 8);
    put(16, 4);
    put(1, 2);  // PCM
    put(channels, 2);
    put(rate, 4);
    put(rate * channels * bits / 8, 4);
    put(channels * bits / 8, 2);
    put(bits, 2);
    out.write("data", 4);
    put(bytes, 4);
    for (std::uint32_t i = 0; i < frames * channels; ++i) put(bits == 8 ? 0x90 : 0x0400, bits / 8);
    return path;
}

// Waits for the next sound event, the ticks of a 50 ms timer standing watch
// (false after 10 s without one).
bool waitSoundEvent() {
    for (int ticks = 0; ticks < 200;) {
        int kind = 0, param = 0;
        if (!platWaitEvent(kind, param)) return false;
        if (kind == kEventSound) return true;
        if (kind == kEventTick) ++ticks;
    }
    return false;
}

TEST(SoundQueue, SoundsBeginInOrderEachAfterTheLengthsBeforeIt) {
    // The third changes the format while the first two sound; the missing
    // file and the empty path take no time.
    const std::vector<std::string> paths = {writeWav("rigvox_q1.wav", 200, 22050, 1, 16),
                                            writeWav("rigvox_q2.wav", 100, 22050, 1, 16),
                                            writeWav("rigvox_q3.wav", 150, 44100, 2, 8),
                                            (fs::temp_directory_path() / "rigvox_none.wav").string(), ""};
    const std::vector<int> lengths = {200, 100, 150, 0, 0};
    platTimerStart(50);
    const std::int64_t before = platSoundStarted();
    const std::int64_t queued = platTickMs();
    for (std::size_t i = 0; i < paths.size(); ++i) EXPECT_EQ(platSoundQueue(paths[i]), lengths[i]) << i;
    EXPECT_TRUE(platSoundBusy());

    // At most one event for each sound begun and one for the end (changes
    // that come together share one).
    int events = 0;
    while (platSoundBusy()) {
        ASSERT_TRUE(waitSoundEvent()) << "stuck at " << platSoundStarted() - before << " begun";
        ++events;
        const std::int64_t begun = platSoundStarted() - before;
        const std::int64_t elapsed = platTickMs() - queued;
        ASSERT_LE(begun, 5);
        ASSERT_LE(events, 6);
        int soonest = 0;  // when the last one begun may begin, at the soonest
        for (std::int64_t i = 0; i + 1 < begun; ++i) soonest += lengths[static_cast<std::size_t>(i)];
        EXPECT_GE(elapsed, soonest - 1) << begun << " begun";
    }
    EXPECT_EQ(platSoundStarted() - before, 5);
    EXPECT_GE(platTickMs() - queued, 450 - 1);
    platTimerStop();
    for (const std::string& path : paths) fs::remove(path);
}

TEST(SoundQueue, StopDropsEverythingQueuedAsBegunAndSaysSo) {
    const std::string path = writeWav("rigvox_long.wav", 2000, 22050, 1, 16);
    platTimerStart(50);
    const std::int64_t before = platSoundStarted();
    for (int i = 0; i < 3; ++i) EXPECT_EQ(platSoundQueue(path), 2000);
    platSoundStop();
    EXPECT_FALSE(platSoundBusy());
    EXPECT_EQ(platSoundStarted() - before, 3);
    EXPECT_TRUE(waitSoundEvent());
    // The queue starts afresh: a sound queued now is not held behind the
    // dropped ones' lengths.
    const std::string shortOne = writeWav("rigvox_short.wav", 100, 22050, 1, 16);
    const std::int64_t queued = platTickMs();
    EXPECT_EQ(platSoundQueue(shortOne), 100);
    while (platSoundBusy()) ASSERT_TRUE(waitSoundEvent());
    EXPECT_EQ(platSoundStarted() - before, 4);
    EXPECT_LT(platTickMs() - queued, 2000);
    platTimerStop();
    fs::remove(path);
    fs::remove(shortOne);
}

}  // namespace
