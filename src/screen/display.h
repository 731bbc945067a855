// The window's texts: banner and help lines, the frequency display, the status row, fonts.
#pragma once

#include <string>

constexpr const char* kFontFace = "Ariel";

// Prints the banner and the three help lines in the default font.
void showBannerAndHelp();
// Selects the big font ("Ariel" 50 bold) / the small font ("Ariel" 20).
void selectBigFont();
void selectSmallFont();
// Prints text at x,y in the current font.
void printAt(int x, int y, const std::string& text);
// Draws the frequency of lastFreqReply at 285,150 (MHz right-aligned in 12
// characters, thirteen blanks after) and the split marker at 80,150 ("B   "
// while splitState > 0, else four blanks); keeps the text in freqDisplayText.
void updateFrequencyDisplay();
// Redraws the row of switched functions at y 250.
void updateStatusRow();
