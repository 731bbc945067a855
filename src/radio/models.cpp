// The model table: one row per radio model, with the reason beside each
// value that differs from the common Kenwood form.
#include "radio/models.h"

#include "base/text.h"
#include "radio/radio_state.h"

namespace {

constexpr int kW = 1000;  // milliwatts in a watt

constexpr int kThreeDigitMenus = 3;
constexpr int kCommonAttenuatorDb = 12;
constexpr int kFineAttenuatorDb = 6;
constexpr const char* kCommonMonitorLevel = "007";  // within the 0..9 of most models' monitor
constexpr const char* kStandby = "PS9";             // the closing command of most models: standby

// HF and 6 m up to 52 MHz, 100 W (AM 25 W): the TS-480, TS-590S/SG and TS-890S.
constexpr FreqRange kHfSixTo52{1800000, 52000000, 100 * kW, 25 * kW};

constexpr ModelRow kModelRows[] = {
    {
        .rigModel = kTs2000Model,
        .name = "TS-2000",
        .reduced = false,
        .idSharedWithReduced = false,
        .toneForm = kToneTwoDigits,
        .cwForm = kCwFormPadded,
        .cwFormNewFirmware = kCwFormPadded,
        .menuDigits = kThreeDigitMenus,
        .sMeterScale = kSMeterThirty,
        .monitorStartLevel = kCommonMonitorLevel,
        .closingPowerCommand = "PS1",  // it has no standby: it is left switched on
        .attenuatorDb = kCommonAttenuatorDb,
        .meterForm = kMetersSelected,
        .meterNumbers = {1, 2, 3},
        // HF to 60 MHz and the 2 m and 70 cm receivers (region 2).
        .receive = {{300000, 60000000}, {142000000, 152000000}, {420000000, 450000000}},
        // 160 m to 6 m, 2 m and 70 cm; 70 cm at half power.
        .transmit = {{1800000, 54000000, 100 * kW, 25 * kW},
                     {144000000, 148000000, 100 * kW, 25 * kW},
                     {430000000, 450000000, 50 * kW, 12500}},
    },
    {
        .rigModel = kTs480Model,
        .name = "TS-480",
        .reduced = false,
        .idSharedWithReduced = true,  // the reduced-feature radio answers "ID020" too
        .toneForm = kToneTwoDigits,
        .cwForm = kCwFormPadded,
        .cwFormNewFirmware = kCwFormPadded,
        .menuDigits = kThreeDigitMenus,
        .sMeterScale = kSMeterTwenty,  // its meter counts to 20 where the others count to 30
        .monitorStartLevel = kCommonMonitorLevel,
        .closingPowerCommand = kStandby,
        .attenuatorDb = kCommonAttenuatorDb,
        .meterForm = kMetersSelected,
        .meterNumbers = {1, 2, 3},
        .receive = {{100000, 59999999}},
        .transmit = {kHfSixTo52},
    },
    {
        .rigModel = kReducedModel,
        .name = "reduced-feature radio",
        .reduced = true,
        .idSharedWithReduced = false,
        .toneForm = kToneNone,  // it takes no CTCSS commands
        .cwForm = kCwFormNone,  // nor CW text
        .cwFormNewFirmware = kCwFormNone,
        .menuDigits = kThreeDigitMenus,  // unused: it has no extended menu
        .sMeterScale = kSMeterNinety,    // "SM" and three digits, three times as fine
        .monitorStartLevel = kCommonMonitorLevel,
        .closingPowerCommand = kStandby,
        .attenuatorDb = kCommonAttenuatorDb,
        .meterForm = kMetersSelected,
        .meterNumbers = {1, 2, 3},
        .receive = {{100000, 59999999}},  // the TS-480's, whose "ID" it shares
        .transmit = {kHfSixTo52},
    },
    {
        .rigModel = kTs590sModel,
        .name = "TS-590S",
        .reduced = false,
        .idSharedWithReduced = false,
        .toneForm = kToneTwoDigits,
        .cwForm = kCwFormRightAligned,  // its firmware takes the piece at the field's end
        .cwFormNewFirmware = kCwFormRightAligned,
        .menuDigits = kThreeDigitMenus,
        .sMeterScale = kSMeterThirty,
        .monitorStartLevel = kCommonMonitorLevel,
        .closingPowerCommand = kStandby,
        .attenuatorDb = kCommonAttenuatorDb,
        .meterForm = kMetersAllAtOnce,  // one "RM" answer holds all three meters
        .meterNumbers = {1, 2, 3},
        .receive = {{30000, 59999999}},
        .transmit = {kHfSixTo52},
    },
    {
        .rigModel = kTs590sgModel,
        .name = "TS-590SG",
        .reduced = false,
        .idSharedWithReduced = false,
        .toneForm = kToneTwoDigits,
        .cwForm = kCwFormPadded,
        .cwFormNewFirmware = kCwFormPadded,
        .menuDigits = kThreeDigitMenus,
        .sMeterScale = kSMeterThirty,
        .monitorStartLevel = kCommonMonitorLevel,
        .closingPowerCommand = kStandby,
        .attenuatorDb = kCommonAttenuatorDb,
        .meterForm = kMetersAllAtOnce,  // as the TS-590S
        .meterNumbers = {1, 2, 3},
        .receive = {{30000, 59999999}},
        .transmit = {kHfSixTo52},
    },
    {
        .rigModel = kTs990sModel,
        .name = "TS-990S",
        .reduced = false,
        .idSharedWithReduced = false,
        .toneForm = kToneVfoTwoDigits,  // main and sub receiver: it refuses the bare two digits
        .cwForm = kCwFormPadded,
        .cwFormNewFirmware = kCwFormBare,  // firmware 1.10 changed its "KY" form
        .menuDigits = kThreeDigitMenus,
        .sMeterScale = kSMeterThirty,
        .monitorStartLevel = "128",  // the middle of its monitor's 0..255
        .closingPowerCommand = kStandby,
        .attenuatorDb = kFineAttenuatorDb,  // its attenuator steps 6 dB at a time
        .meterForm = kMetersSwitchedOn,     // each meter is switched on by "RMn1"
        .meterNumbers = {2, 3, 1},          // it counts its meters from ALC
        .receive = {{300000, 60000000}},
        .transmit = {{1800000, 54000000, 200 * kW, 50 * kW}},  // a 200 W radio
    },
    {
        .rigModel = kTs890sModel,
        .name = "TS-890S",
        .reduced = false,
        .idSharedWithReduced = false,
        .toneForm = kToneTwoDigits,
        .cwForm = kCwFormBare,  // "KY2" from its first firmware
        .cwFormNewFirmware = kCwFormBare,
        .menuDigits = 5,  // its menus are numbered in groups: five digits, then a blank
        .sMeterScale = kSMeterThirty,
        .monitorStartLevel = kCommonMonitorLevel,
        .closingPowerCommand = "PS1",  // it has no standby: it is left switched on
        .attenuatorDb = kFineAttenuatorDb,  // as the TS-990S
        .meterForm = kMetersSwitchedOn,     // as the TS-990S
        .meterNumbers = {2, 3, 1},
        .receive = {{100000, 59999999}},
        .transmit = {kHfSixTo52},
    },
};

// A radio whose "ID" has no row: the common forms; the TS-590S's meters and
// ranges, which claim no band above 6 m for it.
constexpr ModelRow kOtherModel = {
    .rigModel = 0,
    .name = "other Kenwood radio",
    .reduced = false,
    .idSharedWithReduced = false,
    .toneForm = kToneTwoDigits,
    .cwForm = kCwFormPadded,
    .cwFormNewFirmware = kCwFormPadded,
    .menuDigits = kThreeDigitMenus,
    .sMeterScale = kSMeterThirty,
    .monitorStartLevel = kCommonMonitorLevel,
    .closingPowerCommand = kStandby,
    .attenuatorDb = kCommonAttenuatorDb,
    .meterForm = kMetersAllAtOnce,
    .meterNumbers = {1, 2, 3},
    .receive = {{30000, 59999999}},
    .transmit = {kHfSixTo52},
};

}  // namespace

const ModelRow& modelRow(int rigModel) {
    for (const ModelRow& row : kModelRows)
        if (row.rigModel == rigModel) return row;
    return kOtherModel;
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
