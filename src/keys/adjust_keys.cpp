// Up and Down: the control adjustTarget names takes one step.
#include "keys/adjust_keys.h"

#include "keys/keys_state.h"
#include "radio/band_table.h"
#include "radio/radio_state.h"
#include "radio/up_down.h"

namespace {

void step(bool up) {
    auto& K = keysState;
    switch (K.adjustTarget) {
    case kTargetTuning: stepTuning(up); break;
    case kTargetBand:
        if (up) stepBandUp();
        else stepBandDown();
        break;
    case kTargetFilter: stepFilter(up); break;
    case kTargetPower:
        stepPower(up);
        // The fixed output has nothing to adjust: the arrows go back to tuning.
        if (reducedFeatureRadio()) K.adjustTarget = kTargetTuning;
        break;
    case kTargetRfGain: stepRfGain(up); break;
    case kTargetAfGain: stepAfGain(up); break;
    case kTargetLevel: stepNoiseLevel(up); break;
    case kTargetKeyer: stepKeyerSpeed(up); break;
    case kTargetMicGain: stepMicGain(up); break;
    default: break;  // menu number, menu value, extended commands: nothing to step
    }
}

}  // namespace

void stepUp() { step(true); }

void stepDown() { step(false); }
