// The initialisation sequence: screen texts, debug log, start values, memory
// file, radio port, optional power-on, first frequency, model detection and
// the band's tone.
#include "shell/initialise.h"

#include <string>

#include "cat/exchange.h"
#include "cat/serial_port.h"
#include "memory/memory_file.h"
#include "radio/mode_filter.h"
#include "screen/display.h"
#include "shell/program_state.h"
#include "shell/text.h"
#include "speech/prompts.h"

namespace {

constexpr int kDefaultBand = 4;
constexpr int kDefaultModel = 23;
constexpr int kReducedModel = 100;
constexpr int kPowerOnPauses = 6;
constexpr int kFirstToneWithoutCn = 42;  // tone numbers from here on get "TN" only

// A band record fit to be sent: split and mode digits, "A" and 11 digits,
// "B" and 11 digits, three tone digits, the preamp flag.
bool bandRecordUsable(const std::string& record) {
    return record.size() == 30 && allDigits(midText(record, 1, 2)) && midText(record, 3, 1) == "A" &&
           allDigits(midText(record, 4, 11)) && midText(record, 15, 1) == "B" &&
           allDigits(midText(record, 16, 11)) && allDigits(midText(record, 27, 3));
}

// The MHz figure of a frequency command without its leading zeros, a point
// and the six digits below the MHz: "FA00007100000" gives 7.100000.
std::string displayTextOf(const std::string& command) {
    std::string mhz = midText(command, 3, 5);
    for (int i = 0; i < 5 && startsWith(mhz, "0"); ++i) mhz = midText(mhz, 2);
    return mhz + "." + rightText(command, 6);
}

// Power-on: the wake-up text, the power command, then time for the radio to
// come up before anything else is sent.
void switchRadioOn() {
    sendText("Poweron");
    speakDelay();
    sendText("PS1");
    for (int i = 0; i < kPowerOnPauses; ++i) speakDelay();
}

// Finds the model from the "ID" answer; a model 20 that answers "OM" with
// "QC" is the reduced-feature radio.
void detectModel() {
    auto& C = catState;
    C.rigModel = kDefaultModel;
    queryRadio("ID");
    C.rigModel = replyValue("ID", 2, 3, C.rigModel);
    if (C.rigModel == 20) {
        queryRadio("OM");
        std::string field;
        if (replyField("OM", 2, 2, field) && field == "QC") C.rigModel = kReducedModel;
    }
}

// The band's CTCSS tone from characters 27 to 29 of its record, or the tone
// encoder off.
void restoreTone(const std::string& record) {
    auto& R = radioState;
    auto& C = catState;
    if (midText(record, 27, 3) != "999") {
        R.toneCode = "0" + midText(record, 28, 2);
        R.ctcssOn = 1;
        const std::string number = rightText(R.toneCode, 2);
        sendText("TN" + number);
        if (textInt(number) < kFirstToneWithoutCn) sendText("CN" + number);
        C.cmdText = "CT1";
    } else {
        C.cmdText = "CT0";
    }
    sendCommand();
}

}  // namespace

void initialiseProgram() {
    auto& S = shellState;
    auto& R = radioState;
    auto& C = catState;

    showBannerAndHelp();
    if (S.debugLog == 1) openDebugLog();
    resetStartValues();
    loadMemoryFile();
    openPortSequence(S.comPort);
    if (S.powerSwitching == 1) switchRadioOn();

    // From here on the big font is in effect; the mode field at 50,45 is
    // printed by setMode below.
    selectBigFont();

    // A band the memory file cannot have meant (0 when its header had no
    // band character) must not index the table.
    if (R.band < 1 || R.band > 14) R.band = kDefaultBand;
    // A damaged record would send garbage to the radio: the band starts from
    // its factory record instead.
    if (!bandRecordUsable(R.bandTable[R.band])) R.bandTable[R.band] = kFactoryBandRecords[R.band];

    // Tune VFO A to the band's stored frequency: "F" + "A" + 11 digits.
    C.cmdText = "F" + midText(R.bandTable[R.band], 3, 12);
    R.freqDisplayText = displayTextOf(C.cmdText);
    R.freqHz = textInt(midText(C.cmdText, 3, 11));
    sendCommand();

    detectModel();

    const std::string& record = R.bandTable[R.band];
    R.bandSplitFlag = textInt(midText(record, 1, 1));
    R.mode = textInt(midText(record, 2, 1));
    R.savedMode = R.mode;
    setMode();

    if (reducedFeatureRadio()) {
        // The reduced-feature radio is asked for its firmware version (the
        // answer is not used) and has no tone commands.
        queryRadio("VN");
        return;
    }
    restoreTone(R.bandTable[R.band]);
}
