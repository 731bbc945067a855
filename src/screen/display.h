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
// Shows an accepted frequency answer from replyText; on the first answer
// after a (re)connection runs the state query and speaks "connected".
void updateFrequencyDisplay();
// Redraws the row of switched functions at y 250.
void updateStatusRow();
