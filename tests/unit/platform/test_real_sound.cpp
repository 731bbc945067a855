// The real WAV player: waiting prompts last as long as their sound, with or
// without a sound device; a new prompt cuts off the one sounding; missing and
// broken files take no time; names are found whatever their letter case.
// Each case runs in a fresh process, since the sound device is opened once.
#include <gtest/gtest.h>

#include <stdlib.h>
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>

#include "platform/platform.h"
#include "platform/platform_real.h"
#include "test_wav.h"

namespace fs = std::filesystem;

namespace {

// A PCM WAV of silence, ms long.
void writeSilentWav(const std::string& path, int ms, int rate = 22050, int channels = 1,
                    int bits = 16) {
    const auto frames = static_cast<std::uint32_t>(static_cast<long long>(rate) * ms / 1000);
    wavtest::writeWav(path, frames, rate, channels, bits, bits == 8 ? 0x80 : 0);
}

// A prompt folder in a fresh working directory, removed at exit.
void makePromptFolder() {
    wavtest::enterTempHome("/tmp/rigvox-sound-XXXXXX");
    writeSilentWav("wave/short.wav", 200);
    writeSilentWav("wave/Power.wav", 300);
    writeSilentWav("wave/help.wav", 3000);
    writeSilentWav("wave/odd.wav", 400, 11025, 2, 8);  // another format: converted
    writeSilentWav("wave/empty.wav", 0);
    std::ofstream("wave/text.wav") << "this is not a WAV file, just text";
    std::ofstream("wave/broken.wav") << "RIFF\x10\0\0\0WAVEfmt ";
}

std::int64_t msToPlay(const std::string& path, bool wait) {
    const std::int64_t start = platTickMs();
    platPlayWav(path, wait);
    return platTickMs() - start;
}

// The behaviour every sound set-up shares. Exits with the number of the
// first failed check, 0 when all held.
void checkPlayback() {
    makePromptFolder();
    // Durations read from the files.
    if (platreal::wavDurationMs("wave/power.wav") != 300) exit(1);
    if (platreal::wavDurationMs("wave/odd.wav") != 400) exit(2);
    if (platreal::wavDurationMs("wave/text.wav") != -1) exit(3);
    if (platreal::wavDurationMs("wave/absent.wav") != -1) exit(4);
    // The platform's answer, found whatever the case of the name; 0 for nothing playable.
    if (platWavDurationMs("WAVE/Power.wav") != 300 || platWavDurationMs("wave/text.wav") != 0 ||
        platWavDurationMs("wave/absent.wav") != 0)
        exit(5);

    // Missing, unreadable or non-WAV files: no sound, no time.
    for (const char* path : {"wave/absent.wav", "wave/text.wav", "wave/broken.wav",
                             "nowhere/short.wav", "wave/empty.wav", ""})
        if (msToPlay(path, true) > 60) exit(10);

    // A waiting prompt lasts as long as its sound, found whatever the case
    // of the name, with either separator.
    std::int64_t ms = msToPlay("wave/power.wav", true);
    if (ms < 230 || ms > 1000) exit(20);
    ms = msToPlay("WAVE\\POWER.WAV", true);
    if (ms < 230 || ms > 1000) exit(21);
    ms = msToPlay("wave/odd.wav", true);
    if (ms < 330 || ms > 1200) exit(22);

    // A sentence of prompts has no gaps to speak of.
    const std::int64_t start = platTickMs();
    for (int i = 0; i < 4; ++i) platPlayWav("wave/short.wav", true);
    ms = platTickMs() - start;
    if (ms < 700 || ms > 1400) exit(30);  // an extra pause per prompt would make 1600

    // The one prompt that does not wait returns at once; the next prompt
    // cuts it off instead of waiting behind it.
    if (msToPlay("wave/help.wav", false) > 60) exit(40);
    ms = msToPlay("wave/short.wav", true);
    if (ms > 1000) exit(41);
    exit(0);
}

class RealSoundTest : public ::testing::Test {
protected:
    void SetUp() override { GTEST_FLAG_SET(death_test_style, "threadsafe"); }
};

TEST_F(RealSoundTest, DummyDeviceKeepsEveryPromptsLength) {
    EXPECT_EXIT(
        {
            setenv("SDL_AUDIODRIVER", "dummy", 1);
            checkPlayback();
        },
        ::testing::ExitedWithCode(0), "");
}

TEST_F(RealSoundTest, NoSoundDeviceStillTakesThePromptsLength) {
    EXPECT_EXIT(
        {
            setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
            checkPlayback();
        },
        ::testing::ExitedWithCode(0), "");
}

}  // namespace
