// What the real sound tests share: a PCM WAV of one constant sample, and a
// fresh working folder for the prompt files, removed when the process ends.
#pragma once

#include <stdlib.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>

namespace wavtest {

// frames of `channels` samples of `bits` bits at `rate`, every sample
// `sample` (8-bit samples take its low byte).
inline void writeWav(const std::string& path, std::uint32_t frames, int rate, int channels, int bits,
                     std::uint16_t sample) {
    const std::uint32_t dataBytes = frames * channels * (bits / 8);
    std::ofstream out(path, std::ios::binary);
    auto u32 = [&](std::uint32_t v) {
        for (int i = 0; i < 4; ++i) out.put(static_cast<char>((v >> (8 * i)) & 0xFF));
    };
    auto u16 = [&](std::uint16_t v) {
        out.put(static_cast<char>(v & 0xFF));
        out.put(static_cast<char>(v >> 8));
    };
    out.write("RIFF", 4);
    u32(36 + dataBytes);
    out.write("WAVEfmt ", 8);
    u32(16);
    u16(1);  // PCM
    u16(static_cast<std::uint16_t>(channels));
    u32(static_cast<std::uint32_t>(rate));
    u32(static_cast<std::uint32_t>(rate * channels * bits / 8));
    u16(static_cast<std::uint16_t>(channels * bits / 8));
    u16(static_cast<std::uint16_t>(bits));
    out.write("data", 4);
    u32(dataBytes);
    for (std::uint32_t i = 0; i < frames * channels; ++i) {
        if (bits == 8) out.put(static_cast<char>(sample & 0xFF));
        else u16(sample);
    }
}

inline std::filesystem::path tempHome;
inline void removeTempHome() {
    std::error_code ec;
    std::filesystem::remove_all(tempHome, ec);
}

// Makes a folder from the mkdtemp pattern (exit 90 if it cannot), makes it
// the working directory with a "wave" folder in it, and returns its path.
inline std::filesystem::path enterTempHome(std::string pattern) {
    if (!mkdtemp(pattern.data())) exit(90);
    tempHome = pattern;
    atexit(removeTempHome);
    std::filesystem::current_path(tempHome);
    std::filesystem::create_directory("wave");
    return tempHome;
}

}  // namespace wavtest
