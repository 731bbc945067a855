// The names serial port numbers go by: Windows's COMn and our comN links.
// Kept apart from the backends so that the naming is tested on every system.
#pragma once

#include <algorithm>
#include <string>
#include <vector>

#include "platform/platform.h"

// "COM9", or "\\.\COM10" from 10 on: from COM10 on, Windows reaches the port
// only through the device namespace. "" outside 1..kPlatSerialPorts.
inline std::string portPlatformName(int number) {
    if (number < 1 || number > kPlatSerialPorts) return {};
    if (number < 10) return "COM" + std::to_string(number);
    return "\\\\.\\COM" + std::to_string(number);
}

// The port number of a "COMn" name in any letter case (a comN link, a Windows
// port), 1..kPlatSerialPorts without a leading zero; else 0.
inline int comNameNumber(const std::string& name) {
    if (name.size() < 4 || name.size() > 6) return 0;
    for (std::size_t i = 0; i < 3; ++i)
        if ((name[i] | 0x20) != "com"[i]) return 0;
    if (name[3] == '0') return 0;
    int n = 0;
    for (std::size_t i = 3; i < name.size(); ++i) {
        if (name[i] < '0' || name[i] > '9') return 0;
        n = n * 10 + (name[i] - '0');
    }
    return n <= kPlatSerialPorts ? n : 0;
}

// Sorts devices by port number and keeps one device per number: of the
// names one number goes by, "com1" before "COM1", as the port is opened.
inline void keepOnePerNumber(std::vector<PlatSerialDevice>& devices) {
    std::sort(devices.begin(), devices.end(), [](const PlatSerialDevice& a, const PlatSerialDevice& b) {
        return a.number != b.number ? a.number < b.number : a.path > b.path;
    });
    devices.erase(std::unique(devices.begin(), devices.end(),
                              [](const PlatSerialDevice& a, const PlatSerialDevice& b) { return a.number == b.number; }),
                  devices.end());
}
