// Receiver and transmit toggles: each names the function, says "on" or
// "off", sends its switch command, flips its state and redraws the status
// row. The program's own state is the truth; nothing is read back except the
// noise levels that the arrow keys then adjust.
#include "radio/toggles.h"

#include <string_view>

#include "cat/exchange.h"
#include "screen/display.h"
#include "shell/program_state.h"
#include "shell/text.h"
#include "speech/prompts.h"

namespace {

constexpr int kPreampFlagPosition = 30;  // character of the band record
constexpr int kLevelNoiseBlanker = 2;    // levelTarget values
constexpr int kLevelNoiseReduction = 3;

// Speaks "on" or "off" and gives the command for the new state.
std::string_view switchTo(bool on, std::string_view onCommand, std::string_view offCommand) {
    playPrompt(on ? "on" : "off");
    return on ? onCommand : offCommand;
}

// The preamp state of the current band is kept in its record, so that each
// band comes back with its own preamp setting.
void storePreampFlag() {
    auto& R = radioState;
    if (R.band < 1 || R.band > 14) return;
    std::string& record = R.bandTable[R.band];
    if (static_cast<int>(record.size()) < kPreampFlagPosition - 1) return;  // damaged record: leave it
    std::string updated = leftText(record, kPreampFlagPosition - 1);
    updated += R.preampOn == 1 ? '1' : '0';
    updated += midText(record, kPreampFlagPosition + 1);
    putText(record, updated);
}

}  // namespace

void togglePreamp() {
    auto& R = radioState;
    if (reducedFeatureRadio()) {  // this radio has no preamp
        R.preampOn = 0;
        return;
    }
    playPrompt("preamp");
    const bool on = R.preampOn == 0;
    const std::string_view command = switchTo(on, "PA1", "PA0");
    R.preampOn = on ? 1 : 0;
    sendText(command);
    storePreampFlag();
    updateStatusRow();
}

void toggleAttenuator() {
    auto& R = radioState;
    playPrompt("at");
    const bool on = R.attOn == 0;
    const std::string_view command = switchTo(on, "RA01", "RA00");
    R.attOn = on ? 1 : 0;
    sendText(command);
    updateStatusRow();
}

void toggleNoiseBlanker() {
    auto& R = radioState;
    playPrompt("nb");
    const bool on = R.nbOn == 0;
    const std::string_view command = switchTo(on, "NB1", "NB0");
    if (on) R.levelTarget = kLevelNoiseBlanker;
    else if (R.levelTarget == kLevelNoiseBlanker) R.levelTarget = 0;
    R.nbOn = on ? 1 : 0;
    sendText(command);
    if (on) {
        // The level the arrow keys will step starts from the radio's own.
        queryRadio("NL");
        R.nbLevel = replyValue("NL", 2, 3, R.nbLevel);
    }
    R.quietTicks = 0;
    updateStatusRow();
}

void toggleNoiseReduction() {
    auto& R = radioState;
    // State 2 (set by the state query) switches off without a word.
    const bool silent = R.nrState == 2;
    if (!silent) playPrompt("nr");
    const bool on = R.nrState == 0;
    std::string_view command;
    if (on) {
        command = switchTo(true, "NR1", "NR0");
        R.levelTarget = kLevelNoiseReduction;
    } else {
        command = "NR0";
        if (R.nrState == 1) playPrompt("off");
        if (R.levelTarget == kLevelNoiseReduction) R.levelTarget = 0;
    }
    R.nrState = on ? 1 : 0;
    sendText(command);
    if (on) {
        queryRadio("RL");
        R.nrLevel = replyValue("RL", 2, 2, R.nrLevel);
    }
    updateStatusRow();
}

void toggleNotch() {
    auto& R = radioState;
    playPrompt("notch");
    const bool on = R.notchOn == 0;
    const std::string_view command = switchTo(on, "NT10", "NT00");
    R.notchOn = on ? 1 : 0;
    // The notch key also releases the poll should a menu exchange have left
    // it stopped.
    catState.busy = 0;
    sendText(command);
    updateStatusRow();
}

void toggleProcessor() {
    auto& R = radioState;
    const bool silent = R.procState == 2;
    if (!silent) playPrompt("spc");
    const bool on = R.procState == 0;
    std::string_view command;
    if (on) {
        command = switchTo(true, "PR1", "PR0");
    } else {
        command = "PR0";
        if (!silent) playPrompt("off");
    }
    R.procState = on ? 1 : 0;
    sendText(command);
    updateStatusRow();
}

void toggleVox() {
    auto& R = radioState;
    // State 2 (undetermined at connection) only resets both to off.
    if (R.voxState == 2 || R.breakInState == 2) {
        R.voxState = 0;
        R.breakInState = 0;
        updateStatusRow();
        return;
    }
    // VOX and CW break-in share the radio's "VX" switch; the program keeps
    // their states apart by mode.
    const bool cw = R.mode == 3;
    int& state = cw ? R.breakInState : R.voxState;
    playPrompt(cw ? "bkin" : "vox");
    const bool on = state == 0;
    const std::string_view command = switchTo(on, "VX1", "VX0");
    state = on ? 1 : 0;
    sendText(command);
    updateStatusRow();
}
