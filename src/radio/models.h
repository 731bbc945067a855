// What differs between the radio models, one row each: every place that
// must know which radio it drives asks the connected radio's row, and no
// model number is compared anywhere else.
#pragma once

#include <string>

// rigModel is the number in the radio's "ID" answer; the table (models.cpp)
// gives each number its name and is the one place that holds them.
// kReducedModel is the program's own number for the reduced-feature radio,
// which answers "ID" as a TS-480 does and is told apart by its "OM" answer.
constexpr int kReducedModel = 100;
constexpr int kAssumedModel = 23;  // the TS-590SG, until the radio answers "ID"

// The transmit meters a reading asks for.
enum MeterKind { kMeterSwr, kMeterComp, kMeterAlc };
constexpr int kMeterKinds = 3;

// How a model gives its transmit meters.
enum MeterForm {
    kMetersSelected,    // "RMn" selects one, "RM" reads the selected one
    kMetersAllAtOnce,   // "RM" reads all three; "RMn" only picks the one shown
    kMetersSwitchedOn,  // "RMn1" switches one on, "RM" reads it
};

// How a model takes a CTCSS tone number in "TN" and "CN".
enum ToneForm {
    kToneNone,          // no tone commands
    kToneTwoDigits,     // the two-digit tone number
    kToneVfoTwoDigits,  // the VFO digit "0" in front: a radio with a main and a sub receiver
};

// How a model takes text into its keyer buffer.
enum CwTextForm {
    kCwFormNone,          // no CW text
    kCwFormRightAligned,  // "KY " and the piece right-aligned in 24 characters
    kCwFormPadded,        // "KY " and the piece left-aligned, padded to 24
    kCwFormBare,          // "KY2" and the piece as it is
};
constexpr int kCwFirmwareNewForm = 110;  // firmware (hundredths) from which a model may change its CW form

// How a model's S-meter answer maps onto the common 0..30 scale (three
// steps per S unit, 30 at the top).
enum SMeterScale {
    kSMeterThirty,  // "SM0" and four digits counting 0..30
    kSMeterTwenty,  // "SM0" and four digits counting 0..20: half as much again
    kSMeterNinety,  // "SM" and three digits counting 0..90: a third; its top readings are S9
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
constexpr int kMwPerWatt = 1000;
// HF and 6 m up to 52 MHz, 100 W (AM 25 W): the common transmit range.
constexpr FreqRange kHfSixTo52{1800000, 52000000, 100 * kMwPerWatt, 25 * kMwPerWatt};

// One radio model. The start values are the common Kenwood form, which a
// radio without a row of its own is given; a row names only the fields in
// which its model differs, each with the reason beside it (models.cpp).
struct ModelRow {
    int rigModel = 0;                                 // the "ID" answer (kReducedModel: the program's own number)
    const char* name = "other Kenwood radio";         // the maker's name, to tell the rows apart when reading them
    bool reduced = false;                             // no F-key functions, extended menu, filter, CTCSS or squelch
                                                      // commands; fixed power
    bool idSharedWithReduced = false;                 // the reduced-feature radio answers "ID" with this model's
                                                      // number: "OM" tells them apart
    ToneForm toneForm = kToneTwoDigits;               // the "TN"/"CN" field
    CwTextForm cwForm = kCwFormPadded;                // the "KY" form
    CwTextForm cwFormNewFirmware = kCwFormPadded;     // the "KY" form from firmware kCwFirmwareNewForm; the radio
                                                      // is asked "FV" only when it differs from cwForm
    int menuDigits = 3;                               // digits of an "EX" menu number; five-digit numbers end with
                                                      // a blank, three-digit ones with "0000"
    SMeterScale sMeterScale = kSMeterThirty;          // the S-meter answer's form and count
    const char* monitorStartLevel = "007";            // the "ML" level the monitor key sends when the radio did not
                                                      // tell its own: within the common monitor's 0..9
    const char* closingPowerCommand = "PS9";          // sent at quit with power switching on: standby
    int attenuatorDb = 12;                            // the attenuator's first step ("RA01") in dB, as a network
                                                      // client is told
    MeterForm meterForm = kMetersAllAtOnce;           // how "RM" gives the transmit meters
    int meterNumbers[kMeterKinds] = {1, 2, 3};        // the "RM" digit of SWR, COMP and ALC
    // The ranges a network client is told: receive as Hamlib's backend for
    // the model gives them (region 2); transmit, the amateur bands from 160 m
    // up, one range per stretch of bands, with the top power. The common ones
    // claim no band above 6 m.
    FreqRange receive[kModelRanges] = {{30000, 59999999}};
    FreqRange transmit[kModelRanges] = {kHfSixTo52};
    // The most "PC" sets, in watts, on the model's strongest version. The
    // least is kPowerFloor on every model.
    int topWatts = 100;
};

// The most watts any supported model gives: a configured power above it is
// no radio's.
constexpr int kHighestModelWatts = 200;

// The row of rigModel. A model without a row of its own gets the common
// form (ModelRow's start values).
const ModelRow& modelRow(int rigModel);
// True for an "ID" answer of a model with a row of its own (the reduced-
// feature radio answers as the TS-480 does). Any other is no radio of ours:
// only "ID" may be sent to it.
bool knownRadioModel(int id);
// The row of the radio connected now (rigModel).
const ModelRow& connectedModel();
// The connected radio is the reduced-feature radio (no F-key functions, no
// extended menu, no filter, CTCSS or squelch commands, fixed power).
bool reducedFeatureRadio();

// The connected radio's (rigModel's) "RM" digit for a meter.
int meterNumber(MeterKind kind);
// The letters that lead a meter's reading in an "RM" answer: "RM" and its digit.
std::string meterLetters(MeterKind kind);
// The command that makes a meter the one "RM" reads (and the radio shows):
// "RMn", or "RMn1" on the models that switch their meters on.
std::string meterSelectCommand(MeterKind kind);
// True when "RM" reads every meter at once, so reading one needs no selection.
bool readsAllMeters();
