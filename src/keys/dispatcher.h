// The key-down and key-up procedures and the key chain.
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

// A key-down (eventParam): Shift followed, a held key's repeat ignored,
// what sounds stopped, then the key explained after H or run down the key
// chain. Speaks, sends and changes state through the key's command.
void keyDown();
// A key-up: the next key-down runs again; Shift is released.
void keyUp();
// The whole help goes on: once the sentence before has sounded, the next
// key's help is queued, until the last (wholeHelpNext -1 then).
void readWholeHelp();
// Every digit key (keyCode '0'..'9'), when something is pending, goes to
// the first entry that takes it: the bank digit, menu digits, channel store
// or recall, typed frequency, band number (adjustTarget 1: 1..9 bands 1..9,
// 0 band 10, then recallBand), CTCSS tone. Clears cmdText first. Speaks,
// sends and changes state through the branch that takes the digit.
void onDigitKey();
