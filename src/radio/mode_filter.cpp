// Mode and filter: which modes each band takes, the mode commands with their
// side effects (filter, FM width, squelch read, tone off, screen text, band
// record), and the receive filter held inside each mode's range.
#include "radio/mode_filter.h"

#include <cstdlib>
#include <string_view>

#include "base/records.h"
#include "base/text.h"
#include "link/cat_state.h"
#include "link/exchange.h"
#include "radio/gains.h"
#include "radio/panel.h"
#include "radio/radio_state.h"
#include "screen/display.h"
#include "speech/prompts.h"

namespace {

constexpr int kModeFieldX = 50;
constexpr int kModeFieldY = 45;

constexpr int kSsbNarrowest = 0;     // high-cut index 1.0 kHz
constexpr int kSsbWidest = 12;       // high-cut index 3.4 kHz
constexpr int kCwNarrowest = 50;     // Hz
constexpr int kCwWidest = 2500;      // Hz
constexpr int kAmFilter = 2;         // "SH02"
constexpr int kFmFilter = 8;         // "SH08"
constexpr int kDefaultSquelch = 60;  // a squelch read as 0 is taken as this

constexpr int kFirstFmBand = kBand10m;      // FM from 10 m up
constexpr int kFmOutsideBandsHz = 27000000; // and outside the bands from here up

// Passbands in hertz: SSB high-cut index n is 1.0 kHz + n * 200 Hz; AM and
// FM have one filter each.
constexpr int kSsbIndexBaseHz = 1000, kSsbIndexStepHz = 200;
constexpr int kSsbNormalHz = 2400, kCwNormalHz = 600;
constexpr int kAmPassbandHz = 6000, kFmNarrowPassbandHz = 10000, kFmPassbandHz = 15000;
constexpr int kFmWideAboveHz = 12500;  // an FM passband above this asks for FM wide

// The radio's numbering differs from the program's: AM is "MD5" and both FM
// widths are "MD4"; the FM widths differ only in the "FW" sent after them.
struct ModeRow {
    int mode;
    const char* command;
    const char* screenText;  // as wide as the widest name, so it erases it
};
constexpr ModeRow kModes[] = {
    {kModeLsb, "MD1", "LSB "}, {kModeUsb, "MD2", "USB "},     {kModeCw, "MD3", "CW   "},
    {kModeAm, "MD5", "AM   "}, {kModeFmNarrow, "MD4", "FMN  "}, {kModeFm, "MD4", "FM   "},
};

const ModeRow* modeRow(int mode) {
    for (const ModeRow& row : kModes)
        if (row.mode == mode) return &row;
    return nullptr;
}

bool isFm(int mode) { return mode == kModeFmNarrow || mode == kModeFm; }

// CW widths the radio offers in steps of 100 Hz: the rules are applied in
// this order so that 100 Hz steps run 50, 200 ... 600, 1000, 1500, 2000,
// 2500 upwards and 2500, 2000, 1500, 1000, 600, 500 ... 100, 50 downwards.
int snapCwWidth(int width) {
    if (width > kCwWidest) width = kCwWidest;
    if (width == 2400) width = 2000;
    if (width == 1900) width = 1500;
    if (width == 1400) width = 1000;
    if (width == 900) width = 600;
    if (width < 100) width = kCwNarrowest;
    if (width == 150) width = 200;
    if (width == 700) width = 1000;
    if (width == 1100) width = 1500;
    if (width == 1600) width = 2000;
    if (width == 2100) width = 2500;
    return width;
}

// Selecting FM asks for the squelch level, which the FM keys then step.
void readSquelch() {
    auto& R = radioState;
    // Time for the radio to take the mode first.
    waitForReply();
    std::string answer;
    if (!reducedFeatureRadio()) answer = exchangeWithRadio("SQ0").text;
    else waitForReply();  // the radio's time all the same
    const int level = replyValue(answer, "SQ", kSquelchReplyOffset, kLevelDigits, -1);
    if (level < 0) return;  // no answer: keep the last level
    R.squelchLevel = level == 0 ? kDefaultSquelch : level;
}

// The commands of a mode change go out when send; without it (the radio
// already has the mode) only the program's side changes.
void sendIf(bool send, std::string_view command) {
    if (send) sendText(command);
}

void applyFilter(bool send, bool spoken);

void applyMode(bool send, bool spoken) {
    auto& R = radioState;
    const auto& C = catState;

    // CTCSS belongs to FM narrow only.
    if (R.ctcssOn == 1 && R.mode != kModeFmNarrow) {
        if (!reducedFeatureRadio()) sendIf(send, "CT0");
        R.ctcssOn = 0;
        R.toneCode = kNoTone;
    }

    if (const ModeRow* row = modeRow(R.mode)) {
        sendIf(send, row->command);
        if (!isFm(R.mode)) {
            if (isSsb(R.mode)) R.filterWidth = R.ssbWidth;
            else if (R.mode == kModeCw) R.filterWidth = R.cwWidth;
            else R.filterWidth = kAmFilter;
            if (!reducedFeatureRadio()) applyFilter(send, spoken);
        }
        printAt(kModeFieldX, kModeFieldY, row->screenText);
    }

    if (isFm(R.mode)) {
        R.filterWidth = kFmFilter;
        if (!reducedFeatureRadio()) applyFilter(send, spoken);
        if (send) readSquelch();  // a mode the radio already has was not set here: no answer is due
    }

    // Outside every band there is no record to keep the mode in.
    if (R.band == kNoBand) return;
    if (C.bridgeUsed == 0 && bandHasRecord(R.band)) {
        std::string& record = R.bandTable[R.band];
        putText(record, withField(record, kBandSplitAt, splitModeDigits()));
    }
    updateStatusRow();
}

}  // namespace

void setMode(bool spoken) { applyMode(true, spoken); }

void followMode() { applyMode(false, true); }

bool modeAllowedHere(int mode) {
    const auto& R = radioState;
    if (reducedFeatureRadio() && mode > kModeCw) return false;
    if (isFm(mode)) return R.band >= kFirstFmBand && (R.band != kNoBand || R.freqHz >= kFmOutsideBandsHz);
    return isModeNumber(mode);
}

int heldSsbWidth(int index) {
    if (index < kSsbNarrowest) return kSsbNarrowest;
    return index > kSsbWidest ? kSsbWidest : index;
}

int heldCwWidth(int hz) {
    // The widths the steps reach, narrowest first; a width between two is
    // taken as the nearer (the narrower at the middle).
    static constexpr int kSeries[] = {50, 100, 200, 300, 400, 500, 600, 1000, 1500, 2000, 2500};
    int best = kSeries[0];
    for (int width : kSeries)
        if (std::abs(width - hz) < std::abs(best - hz)) best = width;
    return best;
}

int modePassbandHz(int mode) {
    const auto& R = radioState;
    if (isSsb(mode)) return kSsbIndexBaseHz + kSsbIndexStepHz * R.ssbWidth;
    if (mode == kModeCw) return R.cwWidth;
    if (mode == kModeAm) return kAmPassbandHz;
    return mode == kModeFm ? kFmPassbandHz : kFmNarrowPassbandHz;
}

void keepPassband(int mode, int hz) {
    auto& R = radioState;
    if (hz < 0) return;
    if (isSsb(mode)) {
        if (hz == 0) hz = kSsbNormalHz;
        // The nearest high-cut index, halves upwards.
        R.ssbWidth = heldSsbWidth((hz - kSsbIndexBaseHz + kSsbIndexStepHz / 2) / kSsbIndexStepHz);
    } else if (mode == kModeCw) {
        R.cwWidth = heldCwWidth(hz == 0 ? kCwNormalHz : hz);
    }
}

int fmModeForPassband(int hz) {
    if (hz > kFmWideAboveHz) return kModeFm;
    if (hz <= 0 && radioState.mode == kModeFm) return kModeFm;
    return kModeFmNarrow;
}

namespace {

void applyFilter(bool send, bool spoken) {
    auto& R = radioState;
    if (reducedFeatureRadio()) return;

    std::string command;
    if (isSsb(R.mode)) {
        R.filterWidth = heldSsbWidth(R.filterWidth);
        R.ssbWidth = R.filterWidth;
        command = "SH" + zeroPad(R.filterWidth, 2);
        if (spoken && R.filterWidth == kSsbNarrowest) playPrompt("min");
        if (spoken && R.filterWidth == kSsbWidest) playPrompt("max");
    } else if (R.mode == kModeCw) {
        R.filterWidth = snapCwWidth(R.filterWidth);
        R.cwWidth = R.filterWidth;
        command = "FW" + zeroPad(R.filterWidth, 4);
        if (spoken && R.filterWidth == kCwNarrowest) playPrompt("min");
        if (spoken && R.filterWidth == kCwWidest) playPrompt("max");
    } else if (R.mode == kModeAm || isFm(R.mode)) {
        // AM and FM have one filter each; a width stepped while in these
        // modes would otherwise leave its last digit as the filter (a step
        // down from AM's 2 to -98 would select FM's 8).
        R.filterWidth = R.mode == kModeAm ? kAmFilter : kFmFilter;
        command = "SH0" + rightText(plainNumber(R.filterWidth), 1);
    } else {
        return;  // no mode the radio knows: nothing to send
    }
    sendIf(send, command);

    if (R.mode == kModeFmNarrow) sendIf(send, "FW0001");
    if (R.mode == kModeFm) sendIf(send, "FW0000");
}

}  // namespace

void setFilter() { applyFilter(true, true); }
