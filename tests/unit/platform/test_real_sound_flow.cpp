// What the real WAV player actually sends to the sound device, recorded by
// SDL's "disk" audio driver: every prompt of a sentence whole, to its last
// sample, and the help text cut off by a stop; after a while without
// a prompt the device rests (no audio thread left running) and the next
// prompt opens it again and still arrives whole. (How short the seams
// between prompts are and how soon the first sound comes are matters of
// timing: tools/bench.sh measures them.)
#include <gtest/gtest.h>

#include <stdlib.h>
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "test_wav.h"

namespace fs = std::filesystem;

namespace {

constexpr int kRate = 22050;
constexpr int kDeviceRate = 44100;  // the rate the player asks the device for

// A mono 16-bit WAV holding one constant level: its samples are easy to tell
// apart from silence and from the other prompts' in the recorded stream.
void writeLevelWav(const std::string& path, int frames, std::int16_t level) {
    wavtest::writeWav(path, static_cast<std::uint32_t>(frames), kRate, 1, 16,
                      static_cast<std::uint16_t>(level));
}

struct Recorded {
    long long high = 0, low = 0, mid = 0;  // frames near +12000, near -6000, near +6000
};

// Frames of the recorded stereo 16-bit stream by level (left channel).
Recorded classify(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    Recorded r;
    for (std::size_t i = 0; i + 3 < bytes.size(); i += 4) {
        const auto left = static_cast<std::int16_t>(static_cast<std::uint8_t>(bytes[i]) |
                                                    (static_cast<std::uint8_t>(bytes[i + 1]) << 8));
        if (left > 9000) ++r.high;
        else if (left > 3000) ++r.mid;
        else if (left < -3000) ++r.low;
    }
    return r;
}

// Threads of this process.
int threadCount() {
    int n = 0;
    for ([[maybe_unused]] const auto& entry : fs::directory_iterator("/proc/self/task")) ++n;
    return n;
}

// Plays in a fresh process with the disk driver; exits with the number of
// the first failed check.
void playAndCheck() {
    const fs::path home = wavtest::enterTempHome("/tmp/rigvox-flow-XXXXXX");
    setenv("SDL_AUDIODRIVER", "disk", 1);
    setenv("SDL_DISKAUDIOFILE", (home / "out.raw").c_str(), 1);

    // Lengths that are no whole number of device buffers.
    writeLevelWav("wave/first.wav", 7025, 6000);
    writeLevelWav("wave/second.wav", 8837, -6000);
    writeLevelWav("wave/third.wav", 5513, 6000);
    writeLevelWav("wave/help.wav", 3 * kRate, 12000);

    int kind = 0, param = 0;
    auto untilQuiet = [&] {
        const std::int64_t from = platTickMs();
        while (platSoundBusy() && platTickMs() - from < 10000) platWaitEvent(kind, param);
    };
    platSoundQueue("wave/first.wav");
    platSoundQueue("wave/second.wav");
    platSoundQueue("wave/third.wav");
    untilQuiet();
    // The help text sounds on while the program goes on, until a key
    // stops it and the key's prompt follows.
    platSoundQueue("wave/help.wav");
    const std::int64_t start = platTickMs();
    while (platTickMs() - start < 300) {
    }
    platSoundStop();
    platSoundQueue("wave/first.wav");
    untilQuiet();
    const std::int64_t end = platTickMs();
    while (platTickMs() - end < 200) {
    }

    const Recorded r = classify("out.raw");
    const long long factor = kDeviceRate / kRate;
    // Every prompt whole: first twice, third once at the mid level.
    const long long mid = (2 * 7025 + 5513) * factor;
    if (r.mid < mid - 16 || r.mid > mid + 16) exit(10);
    if (r.low < 8837 * factor - 16 || r.low > 8837 * factor + 16) exit(11);
    // The help text was cut off: about 300 ms of its 3 s were heard.
    if (r.high < kDeviceRate / 10 || r.high > kDeviceRate) exit(20);

    // Polling without a prompt for a while: the device rests, its thread
    // ends (the disk driver starts a new file when it is opened again).
    const int playing = threadCount();
    platTimerStart(50);
    const std::int64_t idle = platTickMs();
    while (platTickMs() - idle < 5300) platWaitEvent(kind, param);
    if (threadCount() != playing - 1) exit(30);
    platSoundQueue("wave/third.wav");
    if (threadCount() != playing) exit(31);
    untilQuiet();
    const std::int64_t after = platTickMs();
    while (platTickMs() - after < 200) {
    }
    const Recorded again = classify("out.raw");
    if (again.mid < 5513 * factor - 16 || again.mid > 5513 * factor + 16) exit(32);
    if (again.high != 0 || again.low != 0) exit(33);
    exit(0);
}

TEST(RealSoundFlow, EveryPromptReachesTheDeviceWholeAndTheHelpTextIsCutOff) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(playAndCheck(), ::testing::ExitedWithCode(0), "");
}

}  // namespace
