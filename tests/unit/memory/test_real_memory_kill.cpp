// The memory file against a program killed at a random moment of its save,
// a thousand times, on the real file system: savmem.dat must always load,
// holding either the channels of before the save or those of after it,
// never a mixture, a short file or nothing.
#include <gtest/gtest.h>

#include <signal.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "base/records.h"
#include "base/text.h"
#include "memory/memory_file.h"
#include "memory/memory_state.h"
#include "program/program_state.h"
#include "radio/radio_state.h"

namespace fs = std::filesystem;

namespace {

constexpr int kKills = 1000;

// The band, band records and channels of one generation of the tables; each
// generation differs from the one before in every record.
struct Tables {
    int band = 0;
    std::string bands[15];
    std::string channels[100];
};

Tables generation(int g) {
    Tables t;
    t.band = 1 + g % 14;
    for (int b = 1; b <= 14; ++b)
        t.bands[b] = "0" + std::to_string(1 + (g + b) % 3) + "A" + zeroPad(1000000LL * b + g, 11) + "B" +
                     zeroPad(2000000LL * b + g, 11) + "999" + std::to_string(g % 2);
    for (int c = 0; c < 100; ++c)
        t.channels[c] = (c + g) % 3 == 0 ? std::string("9")
                                         : buildChannelRecord(0, 1 + c % 3, 1 + c % 14, t.bands[1 + c % 14]);
    return t;
}

void putTables(const Tables& t) {
    radioState.band = t.band;
    for (int b = 1; b <= 14; ++b) radioState.bandTable[b] = t.bands[b];
    for (int c = 0; c < 100; ++c) memoryState.memoryChannels[c] = t.channels[c];
}

bool tablesHold(const Tables& t) {
    if (radioState.band != t.band) return false;
    for (int b = 1; b <= 14; ++b)
        if (radioState.bandTable[b] != t.bands[b]) return false;
    for (int c = 0; c < 100; ++c)
        if (memoryState.memoryChannels[c] != t.channels[c]) return false;
    return true;
}

// What a fresh start finds in the working directory.
void loadAsAtStart() {
    resetState();
    loadMemoryFile();
}

void spinFor(std::chrono::nanoseconds wait) {
    const auto end = std::chrono::steady_clock::now() + wait;
    while (std::chrono::steady_clock::now() < end) {
    }
}

// A child that fills the tables with generation g, says it is about to
// save, saves and ends. Returns its pid and the read end of its pipe.
pid_t startSavingChild(int g, int& ready) {
    int fds[2];
    if (pipe(fds) != 0) return -1;
    const pid_t pid = fork();
    if (pid == 0) {
        close(fds[0]);
        putTables(generation(g));
        const char go = 1;
        if (write(fds[1], &go, 1) != 1) _exit(2);
        saveMemoryFile();
        _exit(memoryState.saveFailed ? 3 : 0);
    }
    close(fds[1]);
    ready = fds[0];
    return pid;
}

bool waitReady(int ready) {
    char go = 0;
    const bool ok = read(ready, &go, 1) == 1;
    close(ready);
    return ok;
}

class MemoryFileKillTest : public ::testing::Test {
protected:
    void SetUp() override {
        // On the disk the tests run on, not a memory file system: the
        // rename and the sync are the real ones.
        char pattern[] = "rigvox-kill-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir_ = fs::absolute(pattern);
        oldDir_ = fs::current_path();
        fs::current_path(dir_);
    }
    void TearDown() override {
        fs::current_path(oldDir_);
        std::error_code ec;
        fs::remove_all(dir_, ec);
    }

    fs::path dir_, oldDir_;
};

TEST_F(MemoryFileKillTest, KilledAtARandomMomentOfTheSaveTheFileHoldsTheOldOrTheNewTables) {
    resetState();
    putTables(generation(0));
    saveMemoryFile();
    ASSERT_EQ(memoryState.saveFailed, 0);

    // How long a save takes from the child's signal to its end, so the kills
    // fall over the whole of it (and a little past its end).
    std::vector<long long> takes;
    for (int i = 0; i < 15; ++i) {
        int ready = -1;
        const pid_t pid = startSavingChild(0, ready);
        ASSERT_GT(pid, 0);
        ASSERT_TRUE(waitReady(ready));
        const auto start = std::chrono::steady_clock::now();
        int status = 0;
        waitpid(pid, &status, 0);
        takes.push_back(std::chrono::duration_cast<std::chrono::microseconds>(
                            std::chrono::steady_clock::now() - start).count());
        ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    std::nth_element(takes.begin(), takes.begin() + takes.size() / 2, takes.end());
    const long long saveMicros = std::max(50LL, takes[takes.size() / 2]);

    const unsigned seed = std::random_device{}();
    SCOPED_TRACE("seed " + std::to_string(seed) + ", a save takes about " + std::to_string(saveMicros) + " us");
    std::mt19937 rng(seed);
    std::uniform_int_distribution<long long> moment(0, saveMicros * 6 / 5);

    int onDisk = 0;  // the generation savmem.dat holds
    int oldKept = 0, newWhole = 0;
    for (int kill = 0; kill < kKills; ++kill) {
        int ready = -1;
        const pid_t pid = startSavingChild(onDisk + 1, ready);
        ASSERT_GT(pid, 0);
        ASSERT_TRUE(waitReady(ready));
        spinFor(std::chrono::microseconds(moment(rng)));
        ::kill(pid, SIGKILL);
        int status = 0;
        waitpid(pid, &status, 0);

        loadAsAtStart();
        ASSERT_EQ(memoryState.saveRefused, 0) << "kill " << kill;
        if (tablesHold(generation(onDisk + 1))) {
            ++onDisk;
            ++newWhole;
        } else {
            ASSERT_TRUE(tablesHold(generation(onDisk))) << "kill " << kill << ": neither the old nor the new tables";
            ++oldKept;
        }
        // A load that had found a damaged file would have kept it aside.
        ASSERT_FALSE(fs::exists("savmem.bad")) << "kill " << kill;
    }
    // The kills landed before, inside and after the rename alike.
    EXPECT_GT(oldKept, kKills / 20);
    EXPECT_GT(newWhole, kKills / 20);
    RecordProperty("old_kept", oldKept);
    RecordProperty("new_whole", newWhole);
}

}  // namespace
