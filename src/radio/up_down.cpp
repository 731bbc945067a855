// Up/down adjustment: one step of a control, held inside the control's
// limits, with "max" or "min" at a limit, then the value sent to the radio.
#include "radio/up_down.h"

#include <climits>

#include "base/text.h"
#include "link/exchange.h"
#include "radio/band_table.h"
#include "radio/gains.h"
#include "radio/mode_filter.h"
#include "radio/radio_state.h"
#include "speech/prompts.h"

namespace {

constexpr int kTuningStepHz = 1000;
constexpr int kCwTuningStepHz = 500;
constexpr int kSsbFilterStep = 1;      // high-cut index
constexpr int kFilterStepHz = 100;     // CW width
constexpr int kPowerStep = 10;
constexpr int kRfGainStep = 20;
constexpr int kReducedRfGainStep = 5;
constexpr int kAfGainStep = 10;
constexpr int kNbLowestSetting = 1;    // the blanker's lowest level; noise reduction's is 0

int direction(bool up) { return up ? 1 : -1; }

}  // namespace

void stepTuning(bool up) {
    auto& R = radioState;
    const int step = R.mode == kModeCw ? kCwTuningStepHz : kTuningStepHz;
    long long hz = static_cast<long long>(R.freqHz) + direction(up) * step;
    if (hz > INT_MAX) hz = INT_MAX;
    if (hz < INT_MIN) hz = INT_MIN;
    // The frequency itself goes out from the tuning keys' row, which Up and
    // Down reach next.
    R.freqHz = static_cast<int>(hz);
}

void stepFilter(bool up) {
    auto& R = radioState;
    const bool ssb = isSsb(R.mode);
    R.filterWidth += direction(up) * (ssb ? kSsbFilterStep : kFilterStepHz);
    setFilter();  // clamps, snaps, says the limit and sends
}

// Power runs 5, 10, 20, 30 ... up to the top, and back down to 5.
void stepPower(bool up) {
    auto& R = radioState;
    const int top = powerTop();
    if (up) {
        R.txPower += kPowerStep;
        if (R.txPower == 15) R.txPower = 10;
        R.txPower = heldPower(R.txPower);
        if (R.txPower == top) playPrompt("max");
    } else {
        // A power set above the AM top before changing mode comes down to it.
        R.txPower = heldPower(R.txPower - kPowerStep);
        if (R.txPower == kPowerFloor) playPrompt("min");
    }
    sendPower(true);
}

void stepRfGain(bool up) {
    auto& R = radioState;
    const int step = reducedFeatureRadio() ? kReducedRfGainStep : kRfGainStep;
    R.rfGain += direction(up) * step;
    if (R.rfGain > kGainTop) R.rfGain = kGainTop;
    if (R.rfGain < 0) R.rfGain = 0;
    sendRfGain();
    // Only the top is announced; RF gain 0 is said by nothing.
    if (up && R.rfGain == kGainTop) playPrompt("max");
}

void stepAfGain(bool up) {
    auto& R = radioState;
    R.afGain += direction(up) * kAfGainStep;
    if (R.afGain > kGainTop) R.afGain = kGainTop;
    if (R.afGain < 0) R.afGain = 0;
    if (!up && R.afGain == 0) playPrompt("min");
    sendAfGain();
    if (up && R.afGain == kGainTop) playPrompt("max");
}

namespace {

// One step of a noise level 0..10, then sent by send. Going
// up it stops at 10 with "max"; going down, below lowest it goes to 0 with
// "min": the blanker's lowest setting is 1, so it says "min" on reaching 0;
// noise reduction says it only below 0. Each limit holds only in its own
// direction, so a level the radio reported outside 0..10 moves one step
// towards the range instead of jumping to the far end.
void stepLevel(int& level, bool up, int lowest, void (*send)()) {
    level += direction(up);
    if (up && level > kNoiseLevelTop) {
        level = kNoiseLevelTop;
        playPrompt("max");
    }
    if (!up && level < lowest) {
        level = 0;
        playPrompt("min");
    }
    send();
}

}  // namespace

void stepNoiseLevel(bool up) {
    auto& R = radioState;
    if (R.levelTarget == kLevelNoiseBlanker) stepLevel(R.nbLevel, up, kNbLowestSetting, sendNbLevel);
    else if (R.levelTarget == kLevelNoiseReduction) stepLevel(R.nrLevel, up, 0, sendNrLevel);
}

void stepKeyerSpeed(bool up) {
    auto& R = radioState;
    R.keyerSpeed = heldKeyerSpeed(R.keyerSpeed + direction(up));
    if (up && R.keyerSpeed == kKeyerFastest) playPrompt("max");
    if (!up && R.keyerSpeed == kKeyerSlowest) playPrompt("min");
    sendKeyerSpeed();
}

void stepMicGain(bool up) {
    auto& R = radioState;
    R.micGain += direction(up);
    if (R.micGain > kMicGainTop) {
        R.micGain = kMicGainTop;
        playPrompt("max");
    }
    if (R.micGain < 0) {
        R.micGain = 0;
        playPrompt("min");
    }
    // A new gain starts a new ALC peak.
    R.alcValue = 0;
    sendMicGain();
}
