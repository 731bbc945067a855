// The names of serial ports, shared by the backends: the name Windows gives
// port number n, and the number in a "COMn" name. Kept apart from the Win32
// backend so that the naming is tested on every system.
#pragma once

#include <string>

#include "platform/platform.h"

// "COM9", or "\\.\COM10" from 10 on: from COM10 on, Windows reaches the port
// only through the device namespace. "" outside 1..kPlatSerialPorts.
inline std::string portPlatformName(int number) {
    if (number < 1 || number > kPlatSerialPorts) return {};
    if (number < 10) return "COM" + std::to_string(number);
    return "\\\\.\\COM" + std::to_string(number);
}

// The port number after the three letters of a "COMn" name (whose letters
// the caller has checked): 1..kPlatSerialPorts written without a leading zero; else 0.
inline int comNameDigits(const std::string& name) {
    if (name.size() < 4 || name.size() > 6) return 0;
    int n = 0;
    for (std::size_t i = 3; i < name.size(); ++i) {
        if (name[i] < '0' || name[i] > '9') return 0;
        n = n * 10 + (name[i] - '0');
    }
    return n >= 1 && n <= kPlatSerialPorts && name[3] != '0' ? n : 0;
}
