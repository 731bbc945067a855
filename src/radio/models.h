// What differs between the radio models, one row each: every place that
// must know which radio it drives asks the connected radio's row, and no
// model number is compared anywhere else.
#pragma once

#include <string>

// rigModel values: the number in the radio's "ID" answer. kReducedModel is
// the program's own number for the reduced-feature radio, which answers
// "ID" as a TS-480 does and is told apart by its "OM" answer.
constexpr int kTs2000Model = 19;
constexpr int kTs480Model = 20;
constexpr int kTs590sModel = 21;
constexpr int kTs990sModel = 22;
constexpr int kTs590sgModel = 23;
constexpr int kTs890sModel = 24;
constexpr int kReducedModel = 100;
// The model assumed until the radio answers "ID".
constexpr int kAssumedModel = kTs590sgModel;

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

// One radio model. Each field is one difference; models.cpp says beside each
// row's values why the model has them.
struct ModelRow {
    int rigModel;                     // the "ID" answer (kReducedModel: the program's own number)
    const char* name;                 // the maker's name, to tell the rows apart when reading them
    bool reduced;                     // no F-key functions, extended menu, filter, CTCSS or squelch commands; fixed power
    bool idSharedWithReduced;         // the reduced-feature radio answers "ID" with this model's number: "OM" tells
    ToneForm toneForm;                // "TN"/"CN" field
    CwTextForm cwForm;                // the "KY" form
    CwTextForm cwFormNewFirmware;     // the "KY" form from firmware kCwFirmwareNewForm; the radio is asked "FV"
                                      // only when it differs from cwForm
    int menuDigits;                   // digits of an "EX" menu number; five-digit numbers end with a blank, not "0000"
    SMeterScale sMeterScale;          // the S-meter answer's form and count
    const char* monitorStartLevel;    // the "ML" level the monitor key sends when the radio did not tell its own
    const char* closingPowerCommand;  // sent at quit with power switching on
    int attenuatorDb;                 // the attenuator's first step ("RA01") in dB, as a network client is told
    MeterForm meterForm;              // how "RM" gives the transmit meters
    int meterNumbers[kMeterKinds];    // the "RM" digit of SWR, COMP and ALC
    FreqRange receive[kModelRanges];  // the receive ranges a network client is told
    FreqRange transmit[kModelRanges]; // the transmit ranges a network client is told, with their top power
};

// The row of rigModel. A model without a row of its own gets the common
// forms, and the TS-590S's meters and ranges.
const ModelRow& modelRow(int rigModel);
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
