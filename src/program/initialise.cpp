// The initialisation sequence: screen texts, debug log, start values, memory
// file, radio port, optional power-on, first frequency, model detection and
// the band's tone.
#include "program/initialise.h"

#include <string>

#include "base/records.h"
#include "base/text.h"
#include "link/cat_state.h"
#include "link/exchange.h"
#include "link/serial_port.h"
#include "memory/memory_file.h"
#include "program/program_state.h"
#include "radio/mode_filter.h"
#include "radio/power_switch.h"
#include "radio/radio_state.h"
#include "radio/vfo_split.h"
#include "screen/display.h"
#include "session/state_query.h"
#include "speech/prompts.h"

namespace {

constexpr int kPowerOnPauses = 6;

// Power-on: the wake-up text, the power command, then time for the radio to
// come up before anything else is sent.
void switchRadioOn() {
    sendPowerOn();
    for (int i = 0; i < kPowerOnPauses; ++i) waitForReply();
}

// The band's CTCSS tone from its record, or the tone encoder off.
void restoreTone(const std::string& record) {
    auto& R = radioState;
    const std::string tone = midText(record, kBandToneAt, kToneWidth);
    if (isCommittedTone(tone)) {
        R.toneCode = tone;
        R.ctcssOn = 1;
        sendToneOn(R.toneCode);
    } else {
        sendText("CT0");
    }
}

}  // namespace

void initialiseProgram() {
    const auto& C = catState;
    const auto& P = programState;
    auto& R = radioState;

    showBannerAndHelp(P.bannerText + "  " + P.workText);
    if (C.debugLog == 1) openDebugLog();
    // Configuration lines not understood reach debug.dat, log or no log:
    // their numbers alone are said.
    debugNotes(P.configNotes);
    resetStartValues();
    loadMemoryFile();
    openPortSequence(C.comPort);
    // A run that was killed (SIGKILL, a crash, the power cut) may have left
    // the radio transmitting: receive comes first.
    sendText("RX");
    if (powerSwitchAllowed()) switchRadioOn();

    // From here on the big font is in effect; the mode field at 50,45 is
    // printed by setMode below.
    selectBigFont();

    // A band the memory file cannot have meant (0 when its header had no
    // band character) must not index the table.
    if (!bandHasRecord(R.band)) R.band = kDefaultBand;
    // A damaged record would send garbage to the radio: the band starts from
    // its factory record instead.
    if (!bandRecordUsable(R.bandTable[R.band])) R.bandTable[R.band] = kFactoryBandRecords[R.band];

    // Tune VFO A to the band's stored frequency.
    const long long hz = recordHz(R.bandTable[R.band], kBandVfoAAt);
    R.freqHz = roundToInt(static_cast<double>(hz));
    sendText(frequencyCommand("FA", hz));

    // Without an answer the model stays the assumed one; a radio switched on later is
    // asked again when it connects.
    R.rigModel = kAssumedModel;
    checkRadioModel();

    const std::string& record = R.bandTable[R.band];
    R.bandSplitFlag = textInt(midText(record, kBandSplitAt, 1));
    R.mode = textInt(midText(record, kBandModeAt, 1));
    R.savedMode = R.mode;
    setMode(true);

    if (reducedFeatureRadio()) {
        // The reduced-feature radio is asked for its firmware version (the
        // answer is not used) and has no tone commands.
        exchangeWithRadio("VN");
        return;
    }
    restoreTone(R.bandTable[R.band]);
}
