// The name Windows gives serial port number n. Kept apart from the Win32
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
