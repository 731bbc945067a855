// What differs between the radio models, one row each: how the transmit
// meters are numbered and read, and the frequencies each model receives and
// transmits on.
#pragma once

#include <string>

// The transmit meters a reading asks for.
enum MeterKind { kMeterSwr, kMeterComp, kMeterAlc };
constexpr int kMeterKinds = 3;

// How a model gives its transmit meters.
enum MeterForm {
    kMetersSelected,    // "RMn" selects one, "RM" reads the selected one (TS-2000, TS-480)
    kMetersAllAtOnce,   // "RM" reads all three; "RMn" only picks the one shown (TS-590S/SG)
    kMetersSwitchedOn,  // "RMn1" switches one on, "RM" reads it (TS-990S, TS-890S)
};

// A frequency range in Hz. A transmit range also carries the top power, and
// AM's, whose carrier is held to a quarter; a receive range leaves them 0.
struct FreqRange {
    long long lowHz = 0;  // 0: no range (the end of a list)
    long long highHz = 0;
    int topMw = 0;
    int amTopMw = 0;
};
constexpr int kModelRanges = 3;

struct ModelRow {
    int rigModel;                     // the "ID" answer
    MeterForm meterForm;
    int meterNumbers[kMeterKinds];    // the "RM" digit of SWR, COMP and ALC: the TS-990S and TS-890S count from ALC
    FreqRange receive[kModelRanges];  // the ranges Hamlib's backend gives it (region 2)
    FreqRange transmit[kModelRanges]; // its amateur bands from 160 m up, one range per stretch of bands
    // The most "PC" sets, in watts, on the model's strongest version (the
    // TS-480HX answers "ID" as the 100 W TS-480SAT does, so the TS-480 row
    // allows 200). The least is kPowerFloor on every model.
    int topWatts;
};

// The most watts any supported model gives: a configured power above it is
// no radio's.
constexpr int kHighestModelWatts = 200;

// The row of rigModel. A model without a row of its own gets the TS-590S's:
// the common Kenwood meter form, and no band above 6 m claimed for it.
const ModelRow& modelRow(int rigModel);

// The connected radio's (rigModel's) "RM" digit for a meter.
int meterNumber(MeterKind kind);
// The letters that lead a meter's reading in an "RM" answer: "RM" and its digit.
std::string meterLetters(MeterKind kind);
// The command that makes a meter the one "RM" reads (and the radio shows):
// "RMn", or "RMn1" on the models that switch their meters on.
std::string meterSelectCommand(MeterKind kind);
// True when "RM" reads every meter at once, so reading one needs no selection.
bool readsAllMeters();
