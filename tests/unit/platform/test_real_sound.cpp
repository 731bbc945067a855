// The real WAV player's queue: queuing returns at once; each sound begins
// when the one before has ended and lasts as long as its file, with or
// without a sound device, and the event wait wakes for it; a stop silences
// everything queued; missing and broken files take no time; names are found
// whatever their letter case.
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

// Waits in the event wait until the queue has sounded; the time it took.
std::int64_t msUntilQuiet() {
    const std::int64_t start = platTickMs();
    int kind = 0, param = 0;
    while (platSoundBusy() && platTickMs() - start < 5000) platWaitEvent(kind, param);
    return platTickMs() - start;
}

// Queues path; exits with code when that took time.
void queueAtOnce(const std::string& path, int code) {
    const std::int64_t start = platTickMs();
    platSoundQueue(path);
    if (platTickMs() - start > 60) exit(code);
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

    // Missing, unreadable or non-WAV files: no sound, no time, but each
    // still counts as begun, in its turn.
    std::int64_t begun = platSoundStarted();
    for (const char* path : {"wave/absent.wav", "wave/text.wav", "wave/broken.wav",
                             "nowhere/short.wav", "wave/empty.wav", ""})
        if (platSoundQueue(path) != 0) exit(10);
    if (msUntilQuiet() > 60 || platSoundStarted() != begun + 6) exit(11);

    // A queued prompt sounds as long as its file, found whatever the case
    // of the name, with either separator.
    for (const char* path : {"wave/power.wav", "WAVE\\POWER.WAV"}) {
        queueAtOnce(path, 20);
        const std::int64_t ms = msUntilQuiet();
        if (ms < 230 || ms > 1000) exit(21);
    }
    queueAtOnce("wave/odd.wav", 22);
    std::int64_t ms = msUntilQuiet();
    if (ms < 330 || ms > 1200) exit(23);

    // A sentence of prompts: queued at once, each begun in turn when the
    // one before has ended, with no gaps to speak of.
    begun = platSoundStarted();
    const std::int64_t start = platTickMs();
    for (int i = 0; i < 4; ++i) queueAtOnce("wave/short.wav", 30);
    if (platSoundStarted() != begun + 1) exit(31);
    int kind = 0, param = 0;
    while (platSoundStarted() < begun + 4 && platTickMs() - start < 5000) platWaitEvent(kind, param);
    ms = platTickMs() - start;
    if (ms < 530 || ms > 1100) exit(32);  // the fourth begins after three lengths
    ms = platTickMs() - start + msUntilQuiet();
    if (ms < 700 || ms > 1400) exit(33);  // an extra pause per prompt would make 1600

    // A stop silences the long help at once and drops what waits behind it.
    begun = platSoundStarted();
    queueAtOnce("wave/help.wav", 40);
    queueAtOnce("wave/short.wav", 41);
    platSoundStop();
    if (platSoundBusy() || platSoundStarted() != begun + 2) exit(42);
    queueAtOnce("wave/short.wav", 43);
    ms = msUntilQuiet();
    if (ms > 1000) exit(44);
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
