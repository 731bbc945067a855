// The model table, one row per model, read through the procedures that use
// it: what each radio is sent for a tone, CW text, a meter and the closing
// power command, and what a menu number, the monitor, the attenuator and a
// network client's ranges are on it.
#include <string>
#include <vector>

#include "radio/cw_text.h"
#include "radio/models.h"
#include "radio/power_switch.h"
#include "radio/vfo_split.h"
#include "test_cat_radio.h"
#include "test_support.h"

namespace {

using cattest::takeCommands;
using Commands = std::vector<std::string>;

using ModelTableTest = cattest::ScriptedRadioTest;

const std::string kPadded = "KY CQ TEST                 ";
const std::string kRightAligned = "KY                  CQ TEST";
const std::string kBare = "KY2CQ TEST";

TEST_F(ModelTableTest, EachModelsRow) {
    struct Case {
        int model;
        const char* name;
        bool reduced;
        bool asksOm;               // "OM" follows its "ID" answer
        const char* tone;          // "TN" field of tone 12, "" = no tone commands
        std::string cw, cwNew;     // "KY" of "CQ TEST" before and from firmware 1.10
        int menuDigits;
        SMeterScale sMeter;
        const char* monitor;
        const char* closing;
        int attDb;
        const char* swrSelect;
        bool allMeters;
        long long txTopHz;         // top of the last transmit range
        int txTopMw;
        int topWatts;              // the most "PC" sets
    };
    const Case cases[] = {
        {19, "TS-2000", false, false, "12", kPadded, kPadded, 3, kSMeterThirty, "007", "PS1", 12, "RM1", false,
         450000000, 50000, 100},
        {20, "TS-480", false, true, "12", kPadded, kPadded, 3, kSMeterTwenty, "007", "PS9", 12, "RM1", false,
         52000000, 100000, 200},
        {21, "TS-590S", false, false, "12", kRightAligned, kRightAligned, 3, kSMeterThirty, "007", "PS9", 12, "RM1",
         true, 52000000, 100000, 100},
        {22, "TS-990S", false, false, "012", kPadded, kBare, 3, kSMeterThirty, "128", "PS9", 6, "RM21", false,
         54000000, 200000, 200},
        {23, "TS-590SG", false, false, "12", kPadded, kPadded, 3, kSMeterThirty, "007", "PS9", 12, "RM1", true,
         52000000, 100000, 100},
        {24, "TS-890S", false, false, "12", kBare, kBare, 5, kSMeterThirty, "007", "PS1", 6, "RM21", false,
         52000000, 100000, 100},
        {100, "reduced-feature radio", true, false, "", "", "", 3, kSMeterNinety, "007", "PS9", 12, "RM1", false,
         52000000, 100000, 100},
        // A model without a row: the common form.
        {25, "other Kenwood radio", false, false, "12", kPadded, kPadded, 3, kSMeterThirty, "007", "PS9", 12, "RM1",
         true, 52000000, 100000, 100},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.model);
        radioState.rigModel = c.model;
        const ModelRow& row = connectedModel();
        EXPECT_STREQ(row.name, c.name);
        EXPECT_EQ(reducedFeatureRadio(), c.reduced);
        EXPECT_EQ(row.idSharedWithReduced, c.asksOm);

        const std::string tone = c.tone;
        const Commands toneOn = tone.empty() ? Commands{} : Commands{"TN" + tone, "CN" + tone, "CT1"};
        EXPECT_EQ(toneOnCommands("012", c.model), toneOn);
        EXPECT_EQ(cwTextCommand(cwTextForm(c.model, 0), "CQ TEST"), c.cw);  // firmware not told: the older form
        EXPECT_EQ(cwTextCommand(cwTextForm(c.model, kCwFirmwareNewForm - 1), "CQ TEST"), c.cw);
        EXPECT_EQ(cwTextCommand(cwTextForm(c.model, kCwFirmwareNewForm), "CQ TEST"), c.cwNew);
        EXPECT_EQ(radioSendsCwText(), !c.cw.empty());

        EXPECT_EQ(row.menuDigits, c.menuDigits);
        EXPECT_EQ(row.sMeterScale, c.sMeter);
        EXPECT_STREQ(row.monitorStartLevel, c.monitor);
        sendClosingPowerCommand();
        EXPECT_EQ(takeCommands(), Commands{std::string(c.closing) + ";"});
        EXPECT_EQ(row.attenuatorDb, c.attDb);
        EXPECT_EQ(meterSelectCommand(kMeterSwr), c.swrSelect);
        EXPECT_EQ(readsAllMeters(), c.allMeters);
        EXPECT_EQ(row.topWatts, c.topWatts);
        EXPECT_LE(row.topWatts, kHighestModelWatts);

        // Ranges run from the lowest up and end at the first empty one.
        int last = 0;
        while (last + 1 < kModelRanges && row.transmit[last + 1].lowHz != 0) ++last;
        EXPECT_EQ(row.transmit[last].highHz, c.txTopHz);
        EXPECT_EQ(row.transmit[last].topMw, c.txTopMw);
        EXPECT_EQ(row.transmit[last].amTopMw, c.txTopMw / 4);  // the AM carrier held to a quarter
        EXPECT_EQ(row.transmit[0].lowHz, 1800000);
        EXPECT_GT(row.receive[0].lowHz, 0);
        EXPECT_LE(row.receive[0].lowHz, row.transmit[0].lowHz);
    }
}

}  // namespace
