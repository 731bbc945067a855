// The model table: one row per radio model, naming only what differs from
// the common Kenwood form (ModelRow's start values), with the reason beside
// each value.
#include "radio/models.h"

#include "base/text.h"
#include "radio/radio_state.h"

namespace {

constexpr int kW = kMwPerWatt;
constexpr int kFineAttenuatorDb = 6;
constexpr const char* kStaysOn = "PS1";  // the closing command of the models left switched on

constexpr ModelRow kModelRows[] = {
    {
        .rigModel = 19,
        .name = "TS-2000",
        .closingPowerCommand = kStaysOn,  // it is left on at quit
        .meterForm = kMetersSelected,     // "RMn" chooses the meter "RM" reads
        // HF to 60 MHz and the 2 m and 70 cm receivers; 70 cm at half power.
        .receive = {{300000, 60000000}, {142000000, 152000000}, {420000000, 450000000}},
        .transmit = {{1800000, 54000000, 100 * kW, 25 * kW},
                     {144000000, 148000000, 100 * kW, 25 * kW},
                     {430000000, 450000000, 50 * kW, 12500}},
    },
    {
        .rigModel = 20,
        .name = "TS-480",
        .idSharedWithReduced = true,       // the reduced-feature radio answers "ID020" too
        .sMeterScale = kSMeterTwenty,      // its meter counts to 20 where the others count to 30
        .meterForm = kMetersSelected,      // as the TS-2000
        .receive = {{100000, 59999999}},
        .topWatts = 200,  // the TS-480HX answers "ID" as the 100 W TS-480SAT does
    },
    {
        .rigModel = kReducedModel,
        .name = "reduced-feature radio",
        .reduced = true,
        .toneForm = kToneNone,              // it takes no CTCSS commands
        .cwForm = kCwFormNone,              // nor CW text
        .cwFormNewFirmware = kCwFormNone,
        .sMeterScale = kSMeterNinety,       // "SM" and three digits, three times as fine
        .meterForm = kMetersSelected,       // the TS-480's, whose "ID" it shares
        .receive = {{100000, 59999999}},
    },
    {
        .rigModel = 21,
        .name = "TS-590S",
        .cwForm = kCwFormRightAligned,  // its firmware takes the piece at the field's end
        .cwFormNewFirmware = kCwFormRightAligned,
    },
    {
        .rigModel = 23,
        .name = "TS-590SG",  // the common form throughout
    },
    {
        .rigModel = 22,
        .name = "TS-990S",
        .toneForm = kToneVfoTwoDigits,      // main and sub receiver: it refuses the bare two digits
        .cwFormNewFirmware = kCwFormBare,   // firmware 1.10 changed its "KY" form
        .monitorStartLevel = "128",         // the middle of its monitor's 0..255
        .attenuatorDb = kFineAttenuatorDb,  // its attenuator steps 6 dB at a time
        .meterForm = kMetersSwitchedOn,     // each meter is switched on by "RMn1"
        .meterNumbers = {2, 3, 1},          // it counts its meters from ALC
        .receive = {{300000, 60000000}},
        .transmit = {{1800000, 54000000, 200 * kW, 50 * kW}},  // a 200 W radio, 6 m to 54 MHz
        .topWatts = 200,
    },
    {
        .rigModel = 24,
        .name = "TS-890S",
        .cwForm = kCwFormBare,  // "KY2" from its first firmware
        .cwFormNewFirmware = kCwFormBare,
        .menuDigits = 5,                    // its menus are numbered in groups: five digits, then a blank
        .closingPowerCommand = kStaysOn,    // as the TS-2000
        .attenuatorDb = kFineAttenuatorDb,  // as the TS-990S
        .meterForm = kMetersSwitchedOn,     // as the TS-990S
        .meterNumbers = {2, 3, 1},
        .receive = {{100000, 59999999}},
    },
};

// A radio whose "ID" has no row: the common form.
constexpr ModelRow kOtherModel{};

}  // namespace

const ModelRow& modelRow(int rigModel) {
    for (const ModelRow& row : kModelRows)
        if (row.rigModel == rigModel) return row;
    return kOtherModel;
}

bool knownRadioModel(int id) {
    if (id == kReducedModel) return false;  // the program's own number, no "ID" answer
    for (const ModelRow& row : kModelRows)
        if (row.rigModel == id) return true;
    return false;
}

const ModelRow& connectedModel() { return modelRow(radioState.rigModel); }

bool reducedFeatureRadio() { return connectedModel().reduced; }

int meterNumber(MeterKind kind) { return connectedModel().meterNumbers[kind]; }

std::string meterLetters(MeterKind kind) { return "RM" + plainNumber(meterNumber(kind)); }

std::string meterSelectCommand(MeterKind kind) {
    const bool switched = connectedModel().meterForm == kMetersSwitchedOn;
    return meterLetters(kind) + (switched ? "1" : "");
}

bool readsAllMeters() { return connectedModel().meterForm == kMetersAllAtOnce; }
