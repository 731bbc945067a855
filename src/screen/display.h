// The window's texts: banner and help lines, the frequency display, the status row, fonts.
#pragma once

#include <string>
#include <string_view>

constexpr const char* kFontFace = "Ariel";

// What the status row shows: each switch that is on, and the tone.
struct StatusRow {
    bool preamp = false, attenuator = false, noiseBlanker = false, noiseReduction = false, notch = false;
    bool processor = false;   // shown in SSB only: the caller says
    bool cw = false;          // the VX field reads "bin" (break-in) in CW, "vox" otherwise
    bool breakIn = false, vox = false, monitor = false;
    std::string toneNumber;   // two digits of the CTCSS tone, "" = none
};

// Prints titleLine, then the three help lines, in the default font.
void showBannerAndHelp(const std::string& titleLine);
// Selects the big font ("Ariel" 50 bold) / the small font ("Ariel" 20).
void selectBigFont();
void selectSmallFont();
// Prints text at x,y in the current font.
void printAt(int x, int y, const std::string& text);
// Draws 11 Hz digits at 285,150 (MHz right-aligned in 12 characters,
// thirteen blanks after) and the split marker at 80,150 ("B   " when split,
// else four blanks). Anything but 11 digits draws nothing.
void showFrequency(std::string_view hzDigits, bool split);
// Redraws the row of switched functions at y 250 (labels of those on,
// blanks over the others), in the small font, then back to the big font.
void showStatusRow(const StatusRow& row);
