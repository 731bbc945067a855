// The window's texts: banner and help lines, the frequency display, the status row, fonts.
#include "screen/display.h"

#include "platform/platform.h"
#include "shell/program_state.h"
#include "shell/records.h"
#include "shell/text.h"

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
constexpr int kStatusRow = 250;

// One field of the status row: label when on, else a blank of the width
// that covers every label ever printed there.
void statusField(int x, bool on, const std::string& label, int blankWidth) {
    printAt(x, kStatusRow, on ? label : std::string(blankWidth, ' '));
}

}  // namespace

void showBannerAndHelp() {
    const auto& S = shellState;
    platTextFont("", 0, 0);  // the window's default font
    printAt(300, 10, S.bannerText + "  " + S.workText);
    printAt(190, 355, kHelpLine1);
    printAt(155, 380, kHelpLine2);
    printAt(155, 405, kHelpLine3);
}

void selectBigFont() { platTextFont(kFontFace, 50, 700); }

void selectSmallFont() { platTextFont(kFontFace, 20, 20); }

void printAt(int x, int y, const std::string& text) { platTextAt(x, y, text); }

void updateFrequencyDisplay() {
    auto& R = radioState;
    const std::string digits = midText(catState.lastFreqReply, 3, kFreqDigits);
    if (static_cast<int>(digits.size()) != kFreqDigits || !allDigits(digits)) return;

    // 12 characters, MHz right-aligned: leading zeros become spaces.
    std::string text = leftText(digits, 5) + "." + rightText(digits, 6);
    for (char& c : text) {
        if (c != '0') break;
        c = ' ';
    }
    printAt(kSplitMarkerX, kFreqRow, R.splitState > 0 ? "B   " : "    ");
    printAt(kFreqX, kFreqRow, text + std::string(13, ' '));
    putText(R.freqDisplayText, text);
}

void updateStatusRow() {
    const auto& R = radioState;
    selectSmallFont();
    const bool ssb = R.mode == kModeLsb || R.mode == kModeUsb;
    const bool cw = R.mode == kModeCw;
    // Only state 1 shows a label: the state 2 of the switches means "off,
    // not yet spoken" or "not known".
    statusField(40, R.preampOn == 1, "preamp ", 12);
    statusField(170, R.attOn == 1, "att", 5);
    statusField(240, R.nbOn == 1, "nb", 4);
    statusField(310, R.nrState == 1, "nr", 3);
    statusField(360, R.notchOn == 1, "notch", 9);
    statusField(460, R.procState == 1 && ssb, "spc", 5);
    statusField(550, cw ? R.breakInState == 1 : R.voxState == 1, cw ? "bin " : "vox", 5);
    statusField(620, R.monitorOn == 1, "mon", 8);
    statusField(780, R.toneCode != kNoTone, "ctcss=" + toneNumberText(R.toneCode), 16);
    selectBigFont();
}
