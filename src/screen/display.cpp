// The window's texts: banner and help lines, the frequency display, the status row, fonts.
#include "screen/display.h"

#include "base/records.h"
#include "base/text.h"
#include "platform/platform.h"

namespace {

// The help lines keep their leading blanks and double spaces: they line up
// under each other in the window's default font.
constexpr const char* kHelpLine1 =
    "b=Band  f=Freq  e=Entry m=Mode  s=Meter/SWR  Z=Zero frequency  w=Filter width p=Power";
constexpr const char* kHelpLine2 =
    "         v=VFO B/Split/Repeater  c=channel save  g=goto channel  a=af gain  r=rfgain  n=Menu Nr.";
constexpr const char* kHelpLine3 =
    "        F1=Preamp F2=Attenuator F3=Noise Blanker F4=Noise Reduction F5=Notch  h=help  q=quit";

constexpr int kFreqRow = 150;
constexpr int kSplitMarkerX = 80;
constexpr int kFreqX = 285;
constexpr std::size_t kFreqTextWidth = kFreqDigits + 1;  // the MHz digits and the point
constexpr int kStatusRow = 250;

// One field of the status row: label when on, else a blank of the width
// that covers every label ever printed there.
void statusField(int x, bool on, const std::string& label, int blankWidth) {
    printAt(x, kStatusRow, on ? label : std::string(blankWidth, ' '));
}

}  // namespace

void showBannerAndHelp(const std::string& titleLine) {
    platTextFont("", 0, 0);  // the window's default font
    printAt(300, 10, titleLine);
    printAt(190, 355, kHelpLine1);
    printAt(155, 380, kHelpLine2);
    printAt(155, 405, kHelpLine3);
}

void selectBigFont() { platTextFont(kFontFace, 50, 700); }

void selectSmallFont() { platTextFont(kFontFace, 20, 20); }

void printAt(int x, int y, const std::string& text) { platTextAt(x, y, text); }

void showFrequency(std::string_view hzDigits, bool split) {
    const std::string digits(hzDigits);
    if (static_cast<int>(digits.size()) != kFreqDigits || !allDigits(digits)) return;

    // 12 characters, MHz right-aligned: leading zeros become spaces.
    const std::string shown = displayFrequency(digits);
    const std::string text = std::string(kFreqTextWidth - shown.size(), ' ') + shown;
    printAt(kSplitMarkerX, kFreqRow, split ? "B   " : "    ");
    printAt(kFreqX, kFreqRow, text + std::string(13, ' '));
}

void showStatusRow(const StatusRow& row) {
    selectSmallFont();
    statusField(40, row.preamp, "preamp ", 12);
    statusField(170, row.attenuator, "att", 5);
    statusField(240, row.noiseBlanker, "nb", 4);
    statusField(310, row.noiseReduction, "nr", 3);
    statusField(360, row.notch, "notch", 9);
    statusField(460, row.processor, "spc", 5);
    statusField(550, row.cw ? row.breakIn : row.vox, row.cw ? "bin " : "vox", 5);
    statusField(620, row.monitor, "mon", 8);
    statusField(780, !row.toneNumber.empty(), "ctcss=" + row.toneNumber, 16);
    selectBigFont();
}
