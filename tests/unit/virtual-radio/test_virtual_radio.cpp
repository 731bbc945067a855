// The virtual radio's core: the answers Rigvox relies on, per model, and the
// front-panel actions tests use to steer it.
#include <gtest/gtest.h>

#include <regex>
#include <string>
#include <vector>

#include "virtual_radio.h"

using vradio::ControlResult;
using vradio::ModelSpec;
using vradio::VirtualRadio;

namespace {

ModelSpec model(const char* name) {
    ModelSpec spec;
    EXPECT_TRUE(vradio::parseModel(name, spec)) << name;
    return spec;
}

bool matches(const std::string& text, const char* pattern) {
    return std::regex_match(text, std::regex(pattern));
}

}  // namespace

// 1. Every query the program sends, answered in the radio's format.
TEST(VirtualRadioQueries, EveryQueryOfTheCommandSetIsAnsweredInItsFormat) {
    struct Case {
        const char* query;
        const char* answer;  // pattern of the whole answer
    };
    const Case cases[] = {
        {"FA;", "FA[0-9]{11};"}, {"FB;", "FB[0-9]{11};"},   {"MD;", "MD[1-9];"},
        {"SH;", "SH[0-9]{2};"},  {"FW;", "FW[0-9]{4};"},    {"AG0;", "AG0[0-9]{3};"},
        {"RG;", "RG[0-9]{3};"},  {"MG;", "MG[0-9]{3};"},    {"PC;", "PC[0-9]{3};"},
        {"KS;", "KS[0-9]{3};"},  {"SQ0;", "SQ0[0-9]{3};"},  {"NL;", "NL[0-9]{3};"},
        {"RL;", "RL[0-9]{2};"},  {"AC;", "AC[01]{3};"},     {"VX;", "VX[01];"},
        {"NR;", "NR[0-2];"},     {"PR;", "PR[01];"},        {"ML;", "ML[0-9]{3};"},
        {"PA;", "PA[01];"},      {"RA;", "RA0[01];"},       {"NB;", "NB[0-2];"},
        {"NT;", "NT[01][0-9];"}, {"BI;", "BI[01];"},        {"CT;", "CT[01];"},
        {"FT;", "FT[0-2];"},
        {"FR;", "FR[0-2];"},     {"SM0;", "SM0[0-9]{4};"},  {"RM;", "(RM[1-3][0-9]{4};){1,3}"},
        {"PS;", "PS1;"},          {"VN;", "VN.+;"},
    };
    for (const char* name : {"019", "020", "021", "022", "023", "024"}) {
        VirtualRadio radio(model(name));
        for (const Case& c : cases)
            EXPECT_TRUE(matches(radio.handle(c.query), c.answer)) << name << " " << c.query;
    }
}

TEST(VirtualRadioQueries, ModelNumbersAndTheirQuirks) {
    for (const char* name : {"019", "020", "021", "022", "023", "024"})
        EXPECT_EQ(VirtualRadio(model(name)).handle("ID;"), std::string("ID") + name + ";");
    EXPECT_EQ(VirtualRadio(model("020qc")).handle("ID;"), "ID020;");
    // The monitor's factory level follows the model's scale.
    EXPECT_EQ(VirtualRadio(model("022")).handle("ML;"), "ML128;");
    EXPECT_EQ(VirtualRadio(model("023")).handle("ML;"), "ML007;");
    // Tone numbers: the VFO digit first on model 022 only, each model
    // refusing the other width; 42 has no "CN" on any.
    VirtualRadio ts990(model("022"));
    EXPECT_EQ(ts990.handle("TN012;CN041;TN0;CN0;"), "TN012;CN041;");
    EXPECT_EQ(ts990.handle("TN042;CN042;TN12;CN12;TN;CN;TN112;"), "?;?;?;?;?;?;");
    for (const char* name : {"019", "020", "021", "023", "024"}) {
        VirtualRadio radio(model(name));
        EXPECT_EQ(radio.handle("TN12;CN41;TN;CN;"), "TN12;CN41;") << name;
        EXPECT_EQ(radio.handle("TN42;CN42;TN43;TN012;CN012;TN0;"), "?;?;?;?;?;") << name;
    }
}

TEST(VirtualRadioQueries, OnlyTheReducedRadioAnswersOmqc) {
    EXPECT_EQ(VirtualRadio(model("020qc")).handle("OM;"), "OMQC;");
    for (const char* name : {"019", "020", "021", "022", "023", "024"})
        EXPECT_EQ(VirtualRadio(model(name)).handle("OM;"), "?;") << name;
}

TEST(VirtualRadioQueries, TheReducedRadioLacksMenuFilterAndToneAndReadsItsSMeterWithSm) {
    VirtualRadio radio(model("020qc"), 7);
    radio.setSMeter(16);
    EXPECT_EQ(radio.handle("SM;"), "SM048;");  // 0..90 scale, the program divides by 3
    EXPECT_EQ(radio.handle("SM0;"), "?;");
    for (const char* refused : {"EX0120000;", "SH05;", "FW0500;", "TN12;", "CN12;", "CT0;", "SH;"})
        EXPECT_EQ(radio.handle(refused), "?;") << refused;
    EXPECT_EQ(radio.handle("AG0;"), "AG0100;");
    EXPECT_EQ(radio.handle("RG054;RG;"), "RG054;");
    EXPECT_EQ(radio.handle("VN;"), "VN1.00;");
}

TEST(VirtualRadioQueries, SMeterScalePerModel) {
    VirtualRadio full(model("023"));
    VirtualRadio twenty(model("020"));
    full.setSMeter(30);
    twenty.setSMeter(30);
    EXPECT_EQ(full.handle("SM0;"), "SM00030;");
    EXPECT_EQ(twenty.handle("SM0;"), "SM00020;");  // model 020 reads S9+ at 20
    EXPECT_EQ(twenty.handle("SM;"), "?;");
    full.setSMeter(0);
    EXPECT_EQ(full.handle("SM0;"), "SM00000;");
}

// 2. Setting commands are silent and later queries show them.
TEST(VirtualRadioSettings, SettingsAreSilentAndReadBack) {
    VirtualRadio radio;
    const char* settings =
        "FA00007100000;FB00014250000;MD3;SH05;FW1500;AG0080;RG054;MG120;PC005;KS025;SQ0050;"
        "NL007;RL08;ML012;PA1;RA01;NB1;NR1;NT10;PR1;VX1;BI1;AC110;TN12;CN12;CT1;FT1;FR0;";
    EXPECT_EQ(radio.handle(settings), "");
    EXPECT_EQ(radio.handle("FA;FB;MD;SH;FW;AG0;RG;MG;PC;KS;SQ0;NL;RL;ML;"),
              "FA00007100000;FB00014250000;MD3;SH05;FW1500;AG0080;RG054;MG120;PC005;KS025;"
              "SQ0050;NL007;RL08;ML012;");
    EXPECT_EQ(radio.handle("PA;RA;NB;NR;NT;PR;VX;BI;AC;TN;CN;CT;FT;FR;"),
              "PA1;RA01;NB1;NR1;NT10;PR1;VX1;BI1;AC110;TN12;CN12;CT1;FT1;FR0;");
    EXPECT_EQ(radio.state.vfoA, 7100000);
    EXPECT_EQ(radio.state.mode, 3);
}

TEST(VirtualRadioSettings, KeyerSpeedTakesTwoOrThreeDigits) {
    VirtualRadio radio;
    EXPECT_EQ(radio.handle("KS30;KS;"), "KS030;");
    EXPECT_EQ(radio.handle("KS004;KS;"), "KS004;");
    EXPECT_EQ(radio.handle("KS060;KS;"), "KS060;");
    // Outside 4..60 or of another width: refused, speed kept.
    EXPECT_EQ(radio.handle("KS003;KS061;KS5;KS0025;KS;"), "?;?;?;?;KS060;");
}

TEST(VirtualRadioSettings, MalformedSettingsAreRefusedAndChangeNothing) {
    VirtualRadio radio;
    const char* refused[] = {
        "FA123;",       "FA000071000000;", "FA00000000000;", "FA0000710000X;", "AG080;", "AG0256;",
        "AG00800;",     "AG1080;",         "RG25;",          "PC004;",         "PC201;", "MD0;",
        "MD12;",        "RA02;",           "RA1;",           "PA2;",           "NT20;",  "AC2;",
        "AC112;",       "SQ050;",          "RL100;",         "TN100;",         "FT3;",   "TXA;",
        "ID1;",         "SW;",             "RM4;",           "SM1;",           "CA123;",
    };
    for (const char* command : refused) EXPECT_EQ(radio.handle(command), "?;") << command;
    EXPECT_EQ(radio.handle("FA;AG0;RG;PC;MD;RA;PA;AC;"),
              "FA00014200000;AG0100;RG255;PC100;MD2;RA00;PA0;AC000;");
}

// 3. Unknown commands, and bytes arriving in pieces.
TEST(VirtualRadioFraming, UnknownCommandsAnswerAnError) {
    VirtualRadio radio;
    EXPECT_EQ(radio.handle("XX;"), "?;");
    EXPECT_EQ(radio.handle("id;"), "?;");  // the radio knows upper case only
    EXPECT_EQ(radio.handle("I;"), "?;");
    EXPECT_EQ(radio.handle(";;"), "");      // empty commands are only framing
    EXPECT_EQ(radio.handle("Poweron;"), "");
}

TEST(VirtualRadioFraming, CommandsSplitAcrossPiecesAreAnsweredWhenComplete) {
    VirtualRadio radio;
    EXPECT_EQ(radio.handle("F"), "");
    EXPECT_EQ(radio.handle("A"), "");
    EXPECT_EQ(radio.handle(";I"), "FA00014200000;");
    EXPECT_EQ(radio.handle("D;AG"), "ID023;");
    EXPECT_EQ(radio.handle("0;"), "AG0100;");
    // Line ends between or inside commands are ignored.
    EXPECT_EQ(radio.handle("I\r\nD;\n"), "ID023;");
    // Several complete commands in one piece are answered in order.
    EXPECT_EQ(radio.handle("PC050;PC;XX;ID;"), "PC050;?;ID023;");
}

TEST(VirtualRadioFraming, AnOverlongCommandIsRefusedWhole) {
    VirtualRadio radio;
    EXPECT_EQ(radio.handle(std::string(300, 'A')), "");
    EXPECT_EQ(radio.handle(";ID;"), "?;ID023;");
    std::vector<std::string> received = radio.takeReceived();
    ASSERT_EQ(received.size(), 2u);
    EXPECT_EQ(received[0], std::string(255, 'A'));
    EXPECT_EQ(received[1], "ID");
}

TEST(VirtualRadioFraming, ReceivedCommandsAreLoggedInOrderWithoutTerminator) {
    VirtualRadio radio;
    radio.handle("Poweron;PS1;FA00007100000;F");
    radio.handle("A;XX;");
    EXPECT_EQ(radio.takeReceived(), (std::vector<std::string>{"Poweron", "PS1", "FA00007100000", "FA", "XX"}));
    EXPECT_TRUE(radio.takeReceived().empty());
}

// 4. Extended menu read and set forms.
TEST(VirtualRadioMenu, ThreeDigitMenusReadBackWithTheValueAtPositionTen) {
    VirtualRadio radio(model("023"));
    EXPECT_EQ(radio.handle("EX0120000;"), "EX01200002;");  // factory value
    EXPECT_EQ(radio.handle("EX01200001;"), "");
    std::string reply = radio.handle("EX0120000;");
    EXPECT_EQ(reply, "EX01200001;");
    EXPECT_EQ(reply.substr(9, 1), "1");  // the program's first value character, position 10
    EXPECT_EQ(radio.handle("EX0450000193;EX0450000;"), "EX0450000193;");
    EXPECT_EQ(radio.menuValue("012"), "1");
    // Other numbering or a missing "0000" is refused.
    for (const char* refused : {"EX012;", "EX0120;", "EX0121000;", "EX00101 ;", "EX12A0000;"})
        EXPECT_EQ(radio.handle(refused), "?;") << refused;
}

TEST(VirtualRadioMenu, FiveDigitMenusOnModel24ReadBackWithTheValueAtPositionNine) {
    VirtualRadio radio(model("024"));
    EXPECT_EQ(radio.handle("EX00101 ;"), "EX00101 001;");
    EXPECT_EQ(radio.handle("EX00101 3;"), "");
    std::string reply = radio.handle("EX00101 ;");
    EXPECT_EQ(reply, "EX00101 3;");
    EXPECT_EQ(reply.substr(8, 1), "3");
    EXPECT_EQ(radio.handle("EX00101;"), "EX00101 3;");  // the blank may be left out
    for (const char* refused : {"EX0120000;", "EX001013;", "EX0010 ;", "EX00101 12345678901234567;"})
        EXPECT_EQ(radio.handle(refused), "?;") << refused;
}

TEST(VirtualRadioMenu, FrontPanelMenuSettingIsReadBack) {
    VirtualRadio radio(model("021"));
    EXPECT_EQ(radio.control("menu 045 19.3"), ControlResult::done);
    EXPECT_EQ(radio.handle("EX0450000;"), "EX045000019.3;");
    EXPECT_EQ(radio.control("menu 00101 3"), ControlResult::unknown);  // five digits on a three-digit radio
}

// 5. Power switching, silence and the front panel.
TEST(VirtualRadioPower, SwitchedOffItAnswersOnlyPs) {
    VirtualRadio radio;
    EXPECT_EQ(radio.handle("TX;PS9;"), "");
    EXPECT_FALSE(radio.state.powered);
    EXPECT_EQ(radio.state.transmit, 0);
    EXPECT_EQ(radio.handle("ID;FA;XX;FA00007000000;PS5;"), "");
    EXPECT_EQ(radio.state.vfoA, 14200000);  // settings are not taken either
    EXPECT_EQ(radio.handle("PS;"), "PS0;");
    EXPECT_EQ(radio.handle("Poweron;PS1;ID;PS;"), "ID023;PS1;");
    EXPECT_EQ(radio.handle("PS0;PS;PS1;"), "PS0;");
    EXPECT_EQ(radio.handle("PS5;"), "?;");
}

TEST(VirtualRadioSilence, ASilentRadioDiscardsInputUntilItComesBack) {
    VirtualRadio radio;
    radio.handle("PC0");  // half a command before the silence
    radio.control("silent");
    EXPECT_EQ(radio.handle("ID;FA00007100000;"), "");
    EXPECT_TRUE(radio.takeReceived().empty());
    EXPECT_EQ(radio.state.vfoA, 14200000);
    radio.control("alive");
    EXPECT_EQ(radio.handle("50;ID;"), "?;ID023;");  // the half command was dropped
    EXPECT_EQ(radio.handle("PC;"), "PC100;");
}

TEST(VirtualRadioFrontPanel, FrequencyTurnedAtTheRadioIsAnswered) {
    VirtualRadio radio;
    EXPECT_EQ(radio.control("freq A 14074000"), ControlResult::done);
    EXPECT_EQ(radio.control("FREQ b 7050000"), ControlResult::done);
    EXPECT_EQ(radio.handle("FA;FB;"), "FA00014074000;FB00007050000;");
    EXPECT_EQ(radio.control("freq 3573000"), ControlResult::done);
    EXPECT_EQ(radio.handle("FA;"), "FA00003573000;");
    // A dial turned through values: each query sees the next, the last stays.
    EXPECT_EQ(radio.control("dial 14050000 14074000"), ControlResult::done);
    EXPECT_EQ(radio.handle("FB;FA;FA;FA;"), "FB00007050000;FA00014050000;FA00014074000;FA00014074000;");
    EXPECT_EQ(radio.control("dial b 7060000 7070000"), ControlResult::done);
    EXPECT_EQ(radio.handle("FB00007000000;FB;"), "FB00007000000;");  // a setting stops the turning
    for (const char* bad : {"freq C 7000000", "freq A", "freq A 0", "freq A 100000000000", "freq A 7.1", "dial",
                            "dial A", "dial A 7000000 0", "dial C 7000000"})
        EXPECT_EQ(radio.control(bad), ControlResult::unknown) << bad;
    EXPECT_TRUE(radio.setFrequency('B', 99999999999LL));
    EXPECT_EQ(radio.handle("FB;"), "FB99999999999;");
}

TEST(VirtualRadioFrontPanel, ControlWords) {
    VirtualRadio radio;
    EXPECT_EQ(radio.control("plug"), ControlResult::plug);
    EXPECT_EQ(radio.control(" Unplug "), ControlResult::unplug);
    EXPECT_EQ(radio.control("quit"), ControlResult::quit);
    EXPECT_EQ(radio.control(""), ControlResult::done);
    EXPECT_EQ(radio.control("# a comment"), ControlResult::done);
    EXPECT_EQ(radio.control("mode 4"), ControlResult::done);
    EXPECT_EQ(radio.handle("MD;"), "MD4;");
    EXPECT_EQ(radio.control("power off"), ControlResult::done);
    EXPECT_EQ(radio.handle("ID;PS;"), "PS0;");
    EXPECT_EQ(radio.control("power on"), ControlResult::done);
    EXPECT_EQ(radio.handle("ID;"), "ID023;");
    for (const char* bad : {"loud", "silent now", "mode 0", "power up", "smeter 31", "swr -1", "ptt"})
        EXPECT_EQ(radio.control(bad), ControlResult::unknown) << bad;
}

// 6. Meters.
TEST(VirtualRadioMeters, SMeterWandersSlowlyWithinItsRangeAndRepeatsPerSeed) {
    VirtualRadio a(ModelSpec{}, 42), b(ModelSpec{}, 42), c(ModelSpec{}, 43);
    std::string sequenceA, sequenceC;
    int previous = a.state.sMeter;
    bool moved = false;
    for (int i = 0; i < 2000; ++i) {
        std::string reply = a.handle("SM0;");
        ASSERT_TRUE(matches(reply, "SM000[0-3][0-9];")) << reply;
        int value = std::stoi(reply.substr(3, 4));
        ASSERT_LE(value, 30);
        ASSERT_LE(std::abs(value - previous), 1);
        moved = moved || value != previous;
        previous = value;
        sequenceA += reply;
        EXPECT_EQ(b.handle("SM0;"), reply);
        sequenceC += c.handle("SM0;");
    }
    EXPECT_TRUE(moved);
    EXPECT_NE(sequenceA, sequenceC);
}

TEST(VirtualRadioMeters, HeldSMeterStaysUntilReleased) {
    VirtualRadio radio;
    EXPECT_EQ(radio.control("smeter 27"), ControlResult::done);
    for (int i = 0; i < 50; ++i) ASSERT_EQ(radio.handle("SM0;"), "SM00027;");
    radio.control("smeter auto");
    bool moved = false;
    for (int i = 0; i < 100 && !moved; ++i) moved = radio.handle("SM0;") != "SM00027;";
    EXPECT_TRUE(moved);
}

// Each model's meter form: 019 and 020 select a meter with "RMn" (1 SWR,
// 2 COMP, 3 ALC) and read it with "RM"; 022 and 024 count 1 ALC, 2 SWR,
// 3 COMP and switch one on with "RMn1"; 021 and 023 read all three at once.
TEST(VirtualRadioMeters, EachModelReadsItsMetersInItsOwnFormZeroOnReceive) {
    struct Case {
        const char* model;
        const char* swr;  // selects SWR, then reads
        const char* alc;  // selects ALC, then reads
        const char* swrReceiving;
        const char* swrSending;  // count 9
        const char* alcSending;  // pattern
        const char* refused;     // the other form's selection
    };
    for (const Case& c : {
             Case{"019", "RM1;RM;", "RM3;RM;", "RM10000;", "RM10009;", "RM300[0-9]{2};", "RM31;"},
             Case{"020", "RM1;RM;", "RM3;RM;", "RM10000;", "RM10009;", "RM300[0-9]{2};", "RM21;"},
             Case{"022", "RM21;RM;", "RM11;RM;", "RM20000;", "RM20009;", "RM100[0-9]{2};", "RM3;"},
             Case{"024", "RM21;RM;", "RM11;RM;", "RM20000;", "RM20009;", "RM100[0-9]{2};", "RM1;"},
             Case{"021", "RM1;RM;", "RM3;RM;", "RM10000;RM20000;RM30000;", "RM10009;RM20000;RM300[0-9]{2};",
                  "RM10009;RM20000;RM300[0-9]{2};", "RM11;"},
             Case{"023", "RM;", "RM;", "RM10000;RM20000;RM30000;", "RM10009;RM20000;RM300[0-9]{2};",
                  "RM10009;RM20000;RM300[0-9]{2};", "RM40;"},
         }) {
        VirtualRadio radio(model(c.model));
        radio.control("swr 9");
        EXPECT_EQ(radio.handle(c.swr), c.swrReceiving) << c.model;
        EXPECT_EQ(radio.handle(c.refused), "?;") << c.model;
        const std::string swr = radio.handle(std::string("TX;") + c.swr);
        EXPECT_TRUE(matches(swr, c.swrSending)) << c.model << " " << swr;
        const std::string alc = radio.handle(c.alc);
        EXPECT_TRUE(matches(alc, c.alcSending)) << c.model << " " << alc;
        // A switched-off meter leaves the one read as it was.
        if (std::string(c.model) == "024") {
            EXPECT_TRUE(matches(radio.handle("RM10;RM;"), c.alcSending));
        }
        // Transmitting by the microphone counts too.
        radio.handle("RX;");
        radio.control("ptt on");
        EXPECT_TRUE(matches(radio.handle(c.alc), c.alcSending)) << c.model;
        radio.control("ptt off");
        EXPECT_EQ(radio.handle(c.swr), c.swrReceiving) << c.model;
    }
}

TEST(VirtualRadioMeters, TheTunerBringsTheSwrDownWhileTuning) {
    VirtualRadio radio(model("019"));
    EXPECT_EQ(radio.handle("AC110;AC111;AC;"), "AC111;");
    int previous = 99;
    for (int i = 0; i < 30; ++i) {
        std::string reply = radio.handle("RM;");
        ASSERT_TRUE(matches(reply, "RM100[0-9]{2};")) << reply;
        int count = std::stoi(reply.substr(3, 4));
        ASSERT_LE(count, previous);
        ASSERT_GE(count, 1);
        previous = count;
    }
    EXPECT_EQ(previous, 1);
    EXPECT_EQ(radio.handle("AC110;RM;"), "RM10000;");  // tuned and back on receive
    EXPECT_EQ(radio.handle("TX2;RM;"), "RM10001;");    // the tune carrier sees the match
}

TEST(VirtualRadioMeters, TheReducedRadioReadsSwrWithSwInTheRm1Form) {
    VirtualRadio radio(model("020qc"));
    radio.control("swr 12");
    EXPECT_EQ(radio.handle("TX;SW;"), "RM10012;");
}

TEST(VirtualRadioModels, ModelNamesAreParsed) {
    ModelSpec spec;
    EXPECT_TRUE(vradio::parseModel("24", spec));
    EXPECT_EQ(spec.name(), "024");
    EXPECT_TRUE(spec.fiveDigitMenu());
    EXPECT_TRUE(vradio::parseModel("020QC", spec));
    EXPECT_TRUE(spec.reduced);
    EXPECT_EQ(spec.name(), "020qc");
    for (const char* bad : {"", "18", "025", "023qc", "qc", "0200", "2x"}) {
        ModelSpec kept;
        EXPECT_FALSE(vradio::parseModel(bad, kept)) << bad;
        EXPECT_EQ(kept.name(), "023");
    }
}

// 7. A spoiled line: the garble control word.
TEST(VirtualRadioGarble, TheControlWordTakesPerMilleFromZeroToAThousand) {
    VirtualRadio radio;
    EXPECT_EQ(radio.control("garble 1000"), ControlResult::done);
    EXPECT_EQ(radio.state.garble, 1000);
    for (const char* bad : {"garble", "garble -1", "garble 1001", "garble x", "garble 5 6"})
        EXPECT_EQ(radio.control(bad), ControlResult::unknown) << bad;
    EXPECT_EQ(radio.state.garble, 1000);
    EXPECT_EQ(radio.control("GARBLE 0"), ControlResult::done);
    EXPECT_EQ(radio.handle("FA;ID;"), "FA00014200000;ID023;");
}

TEST(VirtualRadioGarble, EveryKindOfSpoilingTurnsUpButNeverAnotherValidFrequency) {
    VirtualRadio radio(ModelSpec{}, 7);
    radio.control("garble 1000");
    const std::regex frequency("F[AB][0-9]{11};");
    bool overlong = false, unterminated = false, tailFirst = false, repeated = false, binary = false;
    std::string stream;
    for (int i = 0; i < 3000; ++i) {
        const std::string out = radio.handle("FA;");
        ASSERT_FALSE(out.empty());
        stream += out;
        overlong = overlong || out.size() > 256;
        unterminated = unterminated || out.find(';') == std::string::npos;
        tailFirst = tailFirst || (out[0] >= '0' && out[0] <= '9');
        repeated = repeated || out == "FA00014200000;FA00014200000;";
        for (char c : out) binary = binary || static_cast<unsigned char>(c) >= 0x80 || c == '\0';
    }
    EXPECT_TRUE(overlong && unterminated && tailFirst && repeated && binary);
    // Whatever came through, every whole frequency answer in it is the true one.
    for (std::sregex_iterator m(stream.begin(), stream.end(), frequency), end; m != end; ++m)
        ASSERT_EQ(m->str(), "FA00014200000;");
}

TEST(VirtualRadioGarble, APartOfTheAnswersIsSpoiledAndSwitchingOffCleansTheLine) {
    VirtualRadio radio(ModelSpec{}, 3);
    radio.control("garble 300");
    int clean = 0;
    for (int i = 0; i < 2000; ++i) clean += radio.handle("FA;") == "FA00014200000;";
    EXPECT_GT(clean, 1200);
    EXPECT_LT(clean, 1600);
    radio.control("garble 0");  // a held-back tail is dropped with it
    for (int i = 0; i < 20; ++i) ASSERT_EQ(radio.handle("FA;ID;"), "FA00014200000;ID023;");
}

// CW text: each model takes its own "KY" form only, and the others are
// refused; "KY;" tells room as the keyer drains; "KY0" stops.
TEST(VirtualRadioCwText, EachModelTakesItsOwnKyFormOnly) {
    const std::string padded = "KY CQ TEST                 ;";
    const std::string right = "KY                  CQ TEST;";
    const std::string bare = "KY2CQ TEST;";
    struct Case {
        const char* model;
        const char* firmware;
        const std::string* taken;
    };
    for (const Case& c : {Case{"019", "1.00", &padded}, Case{"020", "1.00", &padded}, Case{"021", "1.00", &right},
                          Case{"022", "1.09", &padded}, Case{"022", "1.10", &bare}, Case{"023", "1.00", &padded},
                          Case{"024", "1.00", &bare}, Case{"020qc", "1.00", nullptr}}) {
        ModelSpec spec = model(c.model);
        ASSERT_TRUE(vradio::parseFirmware(c.firmware, spec));
        for (const std::string* form : {&padded, &right, &bare}) {
            VirtualRadio radio(spec);
            EXPECT_EQ(radio.handle(*form), form == c.taken ? "" : "?;") << c.model << " " << c.firmware << " " << *form;
            EXPECT_EQ(radio.state.cwKeyed, form == c.taken ? (form == &padded ? "CQ TEST " : form == &right ? " CQ TEST" : "CQ TEST") : "")
                << c.model;
        }
    }
    VirtualRadio radio(model("024"));
    EXPECT_EQ(radio.handle("KY;"), "KY0;");
    EXPECT_EQ(radio.handle("KY2ABCDEFGHIJKLMNOPQRSTUVWX;KY2ABCDEFGHIJKLMNOPQRSTUVWX;KY;"), "KY1;");
    EXPECT_EQ(radio.handle("KY2FULL;"), "?;");  // no room: nothing goes in
    for (int i = 0; i < 30; ++i) radio.handle("KY;");
    EXPECT_EQ(radio.handle("KY;"), "KY2;");      // sending, room again
    EXPECT_EQ(radio.handle("KY0;KY;"), "KY0;");  // stopped and empty
    EXPECT_EQ(radio.handle("FV;"), "FV1.00;");
}
