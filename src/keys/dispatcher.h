// The one event handler and the key chain.
#pragma once

// Virtual-key codes of the keys the program uses.
enum VirtualKey {
    kVkEnter = 13, kVkShift = 16, kVkCtrl = 17, kVkEscape = 27, kVkSpace = 32, kVkPageUp = 33,
    kVkPageDown = 34, kVkLeft = 37, kVkUp = 38, kVkRight = 39, kVkDown = 40, kVkInsert = 45, kVk0 = 48,
    kVk9 = 57, kVkA = 65, kVkZ = 90, kVkLeftWin = 91, kVkPad0 = 96, kVkPad9 = 105, kVkPadPlus = 107,
    kVkPadMinus = 109, kVkPadPoint = 110, kVkF1 = 112, kVkF12 = 123, kVkEquals = 187, kVkComma = 188,
    kVkMinus = 189, kVkPeriod = 190, kVkSlash = 191, kVkOpenBracket = 219, kVkCloseBracket = 221,
};
constexpr int vkLetter(char c) { return c; }
constexpr int vkF(int n) { return kVkF1 + n - 1; }

// The window's one event handler, for eventKind/eventParam: close
// (running 0), key down (the key chain), key up (keyHeld 0), timer tick
// (pollTick, the network answers written, the whole help read on), network
// input (serveNetClients). Never re-entered.
void handleEvent();
// Every digit key (keyCode '0'..'9'), when something is pending, goes to
// the first entry that takes it: the bank digit, menu digits, channel store
// or recall, typed frequency, band number (adjustTarget 1: 1..9 bands 1..9,
// 0 band 10, then recallBand), CTCSS tone. Speaks,
// sends and changes state through the branch that takes the digit.
void onDigitKey();
