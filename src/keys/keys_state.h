// State of the key dispatcher and of the multi-key commands it starts.
#pragma once

#include <cstdint>
#include <string>

// adjustTarget values: the multi-key entry pending, and the control the Up
// and Down keys step.
enum AdjustTarget {
    kTargetTuning = 0, kTargetBand = 1, kTargetFilter = 2, kTargetPower = 3, kTargetRfGain = 4,
    kTargetAfGain = 7, kTargetMenuNumber = 8, kTargetMenuValue = 9, kTargetLevel = 10,
    kTargetKeyer = 11, kTargetMicGain = 12, kTargetExtended = 14,
};

// The timed parts of the tune sequence, taken on the tick while the loop
// goes on.
enum class TuneStep {
    kNone,          // nothing waits
    kTunerRunning,  // the tuner was started with a time to tune; the carrier follows
    kAfterReceive,  // "RX" sent at the end; the power goes back after the radio's pause
};

struct KeysState {
    int eventKind = 0;        // 256 key down, 257 key up, 275 tick, 32770 close, 32771 network input, 32772 sound
    int eventParam = 0;       // the Key of a key event (platform/platform.h)
    int keyCode = 0;          // the Key being handled, after normalisation
    int keyHeld = 0;          // 1 from a handled key-down to its key-up
    int shiftHeld = 0;        // 1 from a Shift key-down to its key-up ("/" is then "?" in a CW message)
    int adjustTarget = 0;     // pending entry / control stepped by Up and Down
    int helpPending = 0;      // 1 after H: the next key is explained, not run (set by H, cleared by that key)
    int wholeHelpNext = -1;   // the sentence the whole help says next; -1 = not reading (H twice sets 0, any key ends it)
    int entryActive = 0;      // frequency entry in progress
    int entryPoint = 0;       // point typed in the frequency entry
    int entryFraction = 0;    // fraction digits typed
    std::string entryZeros;   // leading fraction zeros typed
    std::string menuNumber;   // extended-menu number digits
    std::string menuValue;    // extended-menu value digits
    int cwMessageOpen = 0;    // 1 from J to the Enter that sends the message or the key that ends it
    std::string cwMessage;    // the CW message typed so far (at most kCwTextCapacity characters)
    TuneStep tuneStep = TuneStep::kNone;  // set by tuneKey, taken by continueTune
    std::int64_t tuneStepDueMs = 0;       // platform clock when tuneStep is due
    int running = 1;          // message loop runs while not 0 (quit key, close box clear it)
};

extern KeysState keysState;
