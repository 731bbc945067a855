// The per-model table: meter numbering and form, receive and transmit ranges.
#include "radio/models.h"

#include "base/text.h"
#include "radio/radio_state.h"

namespace {

constexpr int kW = 1000;  // milliwatts in a watt

// HF and 6 m up to 52 MHz, 100 W (AM 25 W): the TS-480, TS-590S/SG and TS-890S.
constexpr FreqRange kHfSixTo52{1800000, 52000000, 100 * kW, 25 * kW};

constexpr ModelRow kModelRows[] = {
    {kTs2000Model, kMetersSelected, {1, 2, 3},
     {{300000, 60000000}, {142000000, 152000000}, {420000000, 450000000}},
     {{1800000, 54000000, 100 * kW, 25 * kW}, {144000000, 148000000, 100 * kW, 25 * kW},
      {430000000, 450000000, 50 * kW, 12500}}, 100},
    {kTs480Model, kMetersSelected, {1, 2, 3}, {{100000, 59999999}}, {kHfSixTo52}, 200},
    // The reduced-feature radio answers "ID" as a TS-480 does.
    {kReducedModel, kMetersSelected, {1, 2, 3}, {{100000, 59999999}}, {kHfSixTo52}, 100},
    {kTs590sModel, kMetersAllAtOnce, {1, 2, 3}, {{30000, 59999999}}, {kHfSixTo52}, 100},
    {kTs590sgModel, kMetersAllAtOnce, {1, 2, 3}, {{30000, 59999999}}, {kHfSixTo52}, 100},
    {kTs990sModel, kMetersSwitchedOn, {2, 3, 1}, {{300000, 60000000}}, {{1800000, 54000000, 200 * kW, 50 * kW}}, 200},
    {kTs890sModel, kMetersSwitchedOn, {2, 3, 1}, {{100000, 59999999}}, {kHfSixTo52}, 100},
};

}  // namespace

const ModelRow& modelRow(int rigModel) {
    for (const ModelRow& row : kModelRows)
        if (row.rigModel == rigModel) return row;
    return modelRow(kTs590sModel);
}

int meterNumber(MeterKind kind) { return modelRow(radioState.rigModel).meterNumbers[kind]; }

std::string meterLetters(MeterKind kind) { return "RM" + plainNumber(meterNumber(kind)); }

std::string meterSelectCommand(MeterKind kind) {
    const bool switched = modelRow(radioState.rigModel).meterForm == kMetersSwitchedOn;
    return meterLetters(kind) + (switched ? "1" : "");
}

bool readsAllMeters() { return modelRow(radioState.rigModel).meterForm == kMetersAllAtOnce; }
