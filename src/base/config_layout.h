// The configuration file: its name and the labels of the first two lines,
// shared by the reader at start and the first start's writer.
#pragma once

constexpr const char* kConfigFile = "rigvox.cfg";
constexpr int kPortLabelWidth = 4;   // line 1: "COM=" and one or two digits
constexpr int kSpeedLabelWidth = 6;  // line 2: "SPEED=" and the speed
