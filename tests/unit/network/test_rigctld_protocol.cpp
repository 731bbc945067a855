// The rigctld protocol's edges: which lines are which commands with which
// arguments, the exact text of each answer form; and the command mapping:
// each client line, through the real interpreter, gives the radio its
// Kenwood commands in the key's own form and the client Hamlib's answer.
#include <algorithm>
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "keys/dispatcher.h"
#include "program/event_handler.h"
#include "keys/keys_state.h"
#include "link/exchange.h"
#include "link/serial_port.h"
#include "network/net_clients.h"
#include "network/net_state.h"
#include "network/rigctld_protocol.h"
#include "platform/platform_fake.h"
#include "radio/cw_text.h"
#include "radio/radio_state.h"
#include "session/announce.h"
#include "session/poll.h"
#include "session/session_state.h"
#include "test_cat_radio.h"
#include "test_support.h"
#include "virtual_radio.h"

namespace {

TEST(RigctldProtocol, LinesAndTheirArguments) {
    struct Case {
        const char* line;
        NetCommand command;
        int error;
        long long hz;
    };
    for (const Case& c : {
             Case{"f", kNetGetFreq, kRprtOk, 0},
             Case{"  +\\get_freq \r", kNetGetFreq, kRprtOk, 0},
             Case{"F 14074000.000000", kNetSetFreq, kRprtOk, 14074000},
             Case{"F  145800000", kNetSetFreq, kRprtOk, 145800000},   // space-padded
             Case{"F VFOA 7100000", kNetSetFreq, kRprtOk, 7100000},   // VFO mode
             Case{"F 30000", kNetSetFreq, kRprtOk, 30000},            // lowest
             Case{"F 29999", kNetSetFreq, kRprtInvalid, 0},
             Case{"F 450000000", kNetSetFreq, kRprtOk, 450000000},    // highest
             Case{"F 450000001", kNetSetFreq, kRprtInvalid, 0},
             Case{"F 1e7", kNetSetFreq, kRprtInvalid, 0},
             Case{"F", kNetSetFreq, kRprtInvalid, 0},                 // argument missing
             Case{"I 14076000", kNetSetSplitFreq, kRprtOk, 14076000},
             Case{"M USB 2400", kNetSetMode, kRprtOk, 0},
             Case{"M FM -1", kNetSetMode, kRprtOk, 0},
             Case{"M PKTUSB 2400", kNetSetMode, kRprtInvalid, 0},     // no data modes
             Case{"M USB", kNetSetMode, kRprtInvalid, 0},
             Case{"M USB 100001", kNetSetMode, kRprtInvalid, 0},
             Case{"X USB -1", kNetSetSplitMode, kRprtOk, 0},
             Case{"T 3", kNetSetPtt, kRprtOk, 0},
             Case{"T 4", kNetSetPtt, kRprtInvalid, 0},
             Case{"S 1 VFOB", kNetSetSplitVfo, kRprtOk, 0},
             Case{"S VFOA 1 VFOB", kNetSetSplitVfo, kRprtOk, 0},
             Case{"S 2 VFOB", kNetSetSplitVfo, kRprtInvalid, 0},
             Case{"S 1 VFOC", kNetSetSplitVfo, kRprtInvalid, 0},
             Case{"V Sub", kNetSetVfo, kRprtOk, 0},
             Case{"l STRENGTH", kNetGetLevel, kRprtOk, 0},
             Case{"l RFPOWER_METER_WATTS", kNetGetLevel, kRprtNotAvailable, 0},
             Case{"L KEYSPD 25", kNetSetLevel, kRprtOk, 0},           // whole number
             Case{"L PREAMP -12", kNetSetLevel, kRprtInvalid, 0},
             Case{"L RFPOWER 1.5", kNetSetLevel, kRprtInvalid, 0},    // beyond a fraction
             Case{"L RFPOWER 0.25", kNetSetLevel, kRprtOk, 0},
             Case{"U NB 1", kNetSetFunc, kRprtOk, 0},
             Case{"u FAGC", kNetGetFunc, kRprtNotAvailable, 0},
             Case{"b CQ TEST", kNetSendMorse, kRprtOk, 0},
             Case{"b", kNetSendMorse, kRprtInvalid, 0},
             Case{"\\stop_morse", kNetStopMorse, kRprtOk, 0},
             Case{"\\get_powerstat", kNetGetPowerstat, kRprtOk, 0},
             Case{"\\set_powerstat 1", kNetSetPowerstat, kRprtOk, 0},
             Case{"\\set_vfo_opt 2", kNetSetVfoOpt, kRprtInvalid, 0},
             Case{"\\get_vfo_info VFOB", kNetGetVfoInfo, kRprtOk, 0},
             Case{"1", kNetDumpCaps, kRprtOk, 0},
             Case{"q", kNetQuit, kRprtOk, 0},
             Case{"get_freq", kNetUnknown, kRprtNotAvailable, 0},     // long names need "\"
             Case{"Z 1", kNetUnknown, kRprtNotAvailable, 0},
             Case{"+", kNetUnknown, kRprtNotAvailable, 0},
         }) {
        const NetRequest r = parseNetLine(c.line);
        EXPECT_EQ(r.command, c.command) << c.line;
        EXPECT_EQ(r.error, c.error) << c.line;
        if (c.hz != 0) {
            EXPECT_EQ(r.hz, c.hz) << c.line;
        }
    }
    const NetRequest split = parseNetLine("S VFOA 1 VFOB");
    EXPECT_EQ(split.targetVfo, "VFOA");
    EXPECT_EQ(split.vfoName, "VFOB");
    EXPECT_EQ(parseNetLine("b  cq de test ").text, "cq de test");
    EXPECT_EQ(parseNetLine("\\get_vfo_info VFOB").vfoName, "VFOB");
    EXPECT_EQ(parseNetLine("L RFPOWER 0.25").levelValue, 0.25);

    // Several commands on one line, each with its own form; an unknown name
    // takes the rest of the line, so nothing after it acts.
    struct Many {
        const char* line;
        std::vector<NetCommand> commands;
    };
    for (const Many& m : {
             Many{"+f +m +v", {kNetGetFreq, kNetGetMode, kNetGetVfo}},
             Many{"F 14074000 M USB -1 t", {kNetSetFreq, kNetSetMode, kNetGetPtt}},
             Many{"\\set_foo 1 T 1", {kNetUnknown}},
             Many{"b CQ T 1", {kNetSendMorse}},
             Many{"fmv", {kNetGetFreq, kNetGetMode, kNetGetVfo}},  // letters run together, as rigctld reads them
             Many{"+fmv\r", {kNetGetFreq, kNetGetMode, kNetGetVfo}},
             Many{"fm;v", {kNetGetFreq, kNetGetMode, kNetGetVfo}},
             Many{"lSTRENGTH fZv", {kNetGetLevel, kNetGetFreq, kNetUnknown}},
         }) {
        std::vector<NetCommand> got;
        std::size_t at = 0;
        while (!netLineDone(m.line, at)) got.push_back(parseNetCommand(m.line, at).command);
        EXPECT_EQ(got, m.commands) << m.line;
    }
}

TEST(RigctldProtocol, AnswerForms) {
    struct Case {
        const char* line;
        int code;
        std::vector<const char*> values;
        const char* answer;
    };
    for (const Case& c : {
             Case{"f", kRprtOk, {"14074000"}, "14074000\n"},
             Case{"+f", kRprtOk, {"14074000"}, "get_freq:\nFrequency: 14074000\nRPRT 0\n"},
             Case{"+f VFOA", kRprtOk, {"14074000"}, "get_freq: VFOA\nFrequency: 14074000\nRPRT 0\n"},
             Case{";m", kRprtOk, {"USB", "2400"}, "get_mode:;Mode: USB;Passband: 2400;RPRT 0\n"},
             Case{"m", kRprtOk, {"USB", "2400"}, "USB\n2400\n"},
             Case{"|f", kRprtOk, {"7100000"}, "get_freq:|Frequency: 7100000|RPRT 0\n"},
             Case{"|s", kRprtOk, {"1", "VFOB"}, "get_split_vfo:|Split: 1|TX VFO: VFOB|RPRT 0\n"},
             Case{"+x", kRprtOk, {"USB", "2400"}, "get_split_mode:\nTX Mode: USB\nTX Passband: 2400\nRPRT 0\n"},
             Case{"+l STRENGTH", kRprtOk, {"-30"}, "get_level: STRENGTH\n-30\nRPRT 0\n"},
             Case{"u NB", kRprtOk, {"1"}, "1\n"},
             Case{"F 7100000", kRprtOk, {}, "RPRT 0\n"},
             Case{"+F  7100000", kRprtOk, {}, "set_freq: 7100000\nRPRT 0\n"},
             Case{"+b CQ  DE", kRprtOk, {}, "send_morse: CQ  DE\nRPRT 0\n"},
             Case{"t", kRprtIoError, {}, "RPRT -6\n"},
             Case{"+t", kRprtIoError, {}, "get_ptt:\nRPRT -6\n"},
             Case{"+\\chk_vfo", kRprtOk, {"0"}, "ChkVFO: 0\n"},
             Case{"\\chk_vfo", kRprtOk, {"1"}, "1\n"},
             Case{"\\get_powerstat", kRprtOk, {"1"}, "1\n"},
             Case{"\\get_lock_mode", kRprtOk, {"0"}, "0\nRPRT 0\n"},
             Case{"\\get_clock", kRprtOk, {"2026-12-07T09:05:03.000+01:00"}, "2026-12-07T09:05:03.000+01:00\nRPRT 0\n"},
             Case{"\\hamlib_version", kRprtOk, {"Rigvox"}, "Rigvox\nRPRT 0\n"},
             Case{"\\get_vfo_info VFOA", kRprtOk, {"7100000", "LSB", "2400", "0", "0"}, "7100000\nLSB\n2400\n0\n0\n"},
             Case{"+\\get_vfo_info VFOB", kRprtOk, {"7100000", "LSB", "2400", "1", "0"},
                  "get_vfo_info: VFOB\nFreq: 7100000\nMode: LSB\nWidth: 2400\nSplit: 1\nSatMode: 0\nRPRT 0\n"},
             Case{"+yzx", kRprtNotAvailable, {}, "RPRT -11\n"},
         }) {
        std::string_view v[kNetMaxValues];
        for (std::size_t k = 0; k < c.values.size(); ++k) v[k] = c.values[k];
        EXPECT_EQ(netAnswer(parseNetLine(c.line), c.code, v[0], v[1], v[2], v[3], v[4]), c.answer) << c.line;
    }
    // The described texts: dump_state ends its key=value block with "done"
    // and gets no code in the plain form; dump_caps gets "RPRT 0" after it.
    NetServed served;
    served.modes = kNetModeLsb | kNetModeUsb | kNetModeCw;
    served.getLevels = netLevelBit(kNetLevelSwr) | netLevelBit(kNetLevelStrength);
    served.morse = true;
    served.receive[0] = {30000, 59999999};
    served.transmit[0] = {1800000, 52000000, 100000, 25000};
    const std::string dump = netDumpState(served);
    EXPECT_EQ(dump.substr(0, 6), "1\n2\n0\n");
    EXPECT_EQ(dump.substr(dump.size() - 5), "done\n");
    // Each list ended by an empty range; no AM range without AM.
    EXPECT_NE(dump.find("\n30000.000000 59999999.000000 0xe -1 -1 0x3 0x1\n0 0 0 0 0 0 0\n"
                        "1800000.000000 52000000.000000 0xe 5000 100000 0x3 0x1\n0 0 0 0 0 0 0\n"),
              std::string::npos);
    EXPECT_NE(dump.find("\n0x50000000\n"), std::string::npos);  // SWR and STRENGTH read
    EXPECT_EQ(dump.find("0x1 6000"), std::string::npos);           // no AM filter without AM
    EXPECT_EQ(netAnswer(parseNetLine("\\dump_state"), kRprtOk, dump), dump);
    EXPECT_EQ(netAnswer(parseNetLine("+\\dump_state"), kRprtOk, dump), "dump_state:\n" + dump + "RPRT 0\n");
    const std::string caps = netDumpCaps(served);
    for (const char* line : {"Can get VFO:\tY\n", "Can send Morse:\tY\n", "Can set Power Stat:\tN\n",
                             "Get level:\tSWR STRENGTH \n"})
        EXPECT_NE(caps.find(line), std::string::npos) << line;
    EXPECT_EQ(netAnswer(parseNetLine("+\\dump_caps"), kRprtOk, caps), "dump_caps:\n" + caps + "RPRT 0\n");
    EXPECT_EQ(netAnswer(parseNetLine("\\dump_caps"), kRprtOk, caps), caps + "RPRT 0\n");
}

TEST(RigctldProtocol, OnlyPrintableTextIsALine) {
    EXPECT_TRUE(netLineIsText("F 7100000\r"));
    EXPECT_TRUE(netLineIsText("l\tSTRENGTH"));
    EXPECT_FALSE(netLineIsText(std::string("f\0", 2)));
    EXPECT_FALSE(netLineIsText("\x1b[A"));
    EXPECT_FALSE(netLineIsText("\xff"));
}

TEST(RigctldProtocol, WebRequestLinesAreRecognised) {
    struct Case { const char* line; NetLineShape shape; };
    for (const Case& c : {
             Case{"POST / HTTP/1.1", kNetLineWebRequest},
             Case{"GET /index.html HTTP/1.0", kNetLineWebRequest},
             Case{"F 14074000 HTTP/1.1", kNetLineWebRequest},  // a method word may be anything
             Case{"  PRI * HTTP/2.0", kNetLineWebRequest},
             Case{"Host: 127.0.0.1:4532", kNetLineHeader},
             Case{"Content-Type:text/plain", kNetLineHeader},
             Case{"x_forwarded_for: 1", kNetLineHeader},
             Case{"Sec-Fetch-Mode:", kNetLineHeader},
             Case{"T 1", kNetLinePlain},
             Case{"+\\get_freq", kNetLinePlain},
             Case{"S 1 VFOB", kNetLinePlain},
             Case{"M USB HTTP", kNetLinePlain},
             Case{"GET / HTTP/1.1 extra", kNetLineWebRequest},
             Case{"GET /", kNetLineWebRequest},                // HTTP/0.9: no version
             Case{"HEAD /favicon.ico", kNetLineWebRequest},
             Case{"GET index", kNetLinePlain},
             Case{"get /", kNetLinePlain},                     // methods are upper case
             Case{": value", kNetLinePlain},
             Case{"1x: value", kNetLinePlain},
             Case{"a b: value", kNetLinePlain},
             Case{"", kNetLinePlain},
         }) {
        EXPECT_EQ(netLineShape(c.line), c.shape) << '"' << c.line << '"';
    }
}

// CW text in the "KY" forms (which model takes which is the model table's):
// a piece is cut to 24 characters and ends with its word gap; the keyer's
// characters only; the right-aligned form puts the closing gap in front.
TEST(CwText, PiecesInTheKyForms) {
    EXPECT_EQ(cwTextCommand(kCwFormPadded, std::string(30, 'E')), "KY " + std::string(24, 'E'));
    // Pieces end with their word gap; a word longer than a piece is cut.
    EXPECT_EQ(cwPieceOf("CQ CQ DE TEST TEST TEST K1ABC"), 24);
    EXPECT_EQ(cwPieceOf("CQ CQ DE TEST TEST TESTS K1ABC"), 19);
    EXPECT_EQ(cwPieceOf(std::string(30, 'E')), 24);
    EXPECT_EQ(cwPieceOf("K1ABC"), 5);
    EXPECT_EQ(cwCharacters("cq  de k1abc/p ?;\xff"), "CQ DE K1ABC/P ?");
    EXPECT_EQ(cwTextCommand(kCwFormRightAligned, "CQ DE "), "KY " + std::string(19, ' ') + "CQ DE");
    EXPECT_EQ(firmwareOfField("1.10"), 110);
    EXPECT_EQ(firmwareOfField("1.1;"), 0);
}

// --- the command mapping ------------------------------------------------------

constexpr int kPort = 4532;

class NetMapping : public cattest::PortsClosedTest {
protected:
    vradio::VirtualRadio radio{vradio::ModelSpec{}, 1};
    int client = 0;

    void SetUp() override {
        PortsClosedTest::SetUp();
        catState.comPort = cattest::kRadioPort;
        portOpen(cattest::kRadioPort, 9600);
        fake::state().wavMs["wave/delay.wav"] = 100;
        fake::state().responder = [this](int port, const std::string& bytes) {
            const std::string answer = radio.handle(bytes);
            if (port == cattest::kRadioPort && !answer.empty()) fake::feed(port, answer);
        };
        sessionState.connected = 1;
        netState.rigctldPort = kPort;
        openNetPort();
        client = fake::connectClient(kPort);
        event(kEventNetwork);  // taken
    }
    void TearDown() override {
        closeNetPort();
        PortsClosedTest::TearDown();
    }
    void event(int kind) {
        keysState.eventKind = kind;
        handleEvent();
    }
    std::string ask(const std::string& line) {
        fake::clientSend(client, line + "\n");
        event(kEventNetwork);
        return fake::clientTake(client);
    }
    std::vector<std::string> sent() {
        std::vector<std::string> out;
        for (const std::string& c : cattest::takeCommands()) out.push_back(c.substr(0, c.size() - 1));
        return out;
    }
};

struct Row {
    const char* line;
    std::vector<std::string> commands;  // to the radio, without ";"
    const char* answer;
};

void expectRows(std::initializer_list<Row> rows, const std::function<std::string(const std::string&)>& ask,
                const std::function<std::vector<std::string>()>& sent) {
    for (const Row& row : rows) {
        EXPECT_EQ(ask(row.line), row.answer) << row.line;
        EXPECT_EQ(sent(), row.commands) << row.line;
    }
}

TEST_F(NetMapping, EachCommandInTheRadiosTermsAndHamlibsUnits) {
    auto& R = radioState;
    R.band = 6;  // 20 m
    R.sMeter = 12;
    radio.state.swrCount = 6;
    auto askLine = [this](const std::string& line) { return ask(line); };
    auto sentNow = [this] { return sent(); };
    expectRows({
        {"F 14074000", {"FA00014074000"}, "RPRT 0\n"},
        {"M USB -1", {"MD2", "SH07"}, "RPRT 0\n"},             // -1 keeps the width
        {"M USB 0", {"MD2", "SH07"}, "RPRT 0\n"},              // 0 is the normal 2.4 kHz
        {"M CW 777", {"MD3", "FW0600"}, "RPRT 0\n"},           // the nearest width the keys reach
        {"+m", {}, "get_mode:\nMode: CW\nPassband: 600\nRPRT 0\n"},
        // CQRLOG's poll: rigctld's answers to f, m and v, the "+" for the first alone.
        {"fmv", {}, "14074000\nCW\n600\nVFOA\n"},
        {"+fmv", {}, "get_freq:\nFrequency: 14074000\nRPRT 0\nCW\n600\nVFOA\n"},
        {"M FM 15000", {}, "RPRT -9\n"},                       // no FM below 10 m, as the mode key
        {"X USB -1", {"MD2", "SH07"}, "RPRT 0\n"},
        {"T 3", {"TX1"}, "RPRT 0\n"},                          // data
        {"l SWR", {"RM"}, "1.500000\n"},                       // the SWR key's scale: 6 dots are 1.5
    }, askLine, sentNow);
    // The ALC meter's count of 30 dots moves with the voice. This radio
    // gives all its meters at once: nothing needs selecting.
    fake::advance(1000);
    const std::string alc = ask("l ALC");
    EXPECT_EQ(sent(), std::vector<std::string>{"RM"});
    EXPECT_EQ(alc, std::to_string(radio.state.alcCount / 30.0) + "\n");
    expectRows({
        {"T 0", {"RX"}, "RPRT 0\n"},
        {"T 2", {"TX0"}, "RPRT 0\n"},                          // microphone
        {"T 0", {"RX"}, "RPRT 0\n"},
        {"L AF 0.5", {"AG0128"}, "RPRT 0\n"},
        {"l AF", {}, "0.501961\n"},
        {"L RF 1", {"RG255"}, "RPRT 0\n"},
        {"L SQL 0.2", {"SQ0051"}, "RPRT 0\n"},
        {"L RFPOWER 0.5", {"PC050"}, "RPRT 0\n"},
        {"L RFPOWER 0", {"PC005"}, "RPRT 0\n"},                // the keys' floor
        {"L MICGAIN 0.5", {"MG060"}, "RPRT 0\n"},
        {"L KEYSPD 70", {"KS060"}, "RPRT 0\n"},                // the K key's top
        {"l KEYSPD", {"KS"}, "60\n"},
        {"L PREAMP 12", {"PA1"}, "RPRT 0\n"},
        {"l PREAMP", {}, "12\n"},
        {"L ATT 12", {"RA01"}, "RPRT 0\n"},
        {"L NR 0.5", {"RL05"}, "RPRT 0\n"},
        {"l STRENGTH", {}, "-30\n"},
        {"U NB 1", {"NB1", "NL"}, "RPRT 0\n"},
        {"u NB", {}, "1\n"},
        {"U NB 1", {}, "RPRT 0\n"},                            // already on: nothing sent
        {"U ANF 1", {"NT10"}, "RPRT 0\n"},
        {"U COMP 1", {"PR1"}, "RPRT 0\n"},
        {"U VOX 1", {"VX1"}, "RPRT 0\n"},
        {"U MON 1", {"ML000"}, "RPRT 0\n"},
        {"U TUNER 1", {"AC110"}, "RPRT 0\n"},
        {"\\set_powerstat 0", {}, "RPRT -11\n"},               // the power-switch line says no
        {"\\set_powerstat 1", {}, "RPRT 0\n"},                 // on already
        {"\\stop_morse", {"KY0"}, "RPRT 0\n"},
        {"S VFOA 1 VFOB", {"FT1", "FB"}, "RPRT 0\n"},
        {"f VFOB +f VFOA", {"FA"}, "7100000\nget_freq: VFOA\nFrequency: 14074000\nRPRT 0\n"},
    }, askLine, sentNow);
    EXPECT_EQ(R.bandTable[6].substr(1, 1), "2");  // the refused FM left the band's record alone
    // Nothing is spoken for a client; its reads pause for the radio.
    for (const std::string& prompt : fake::takePrompts()) EXPECT_EQ(prompt, "delay");

    // The reduced-feature radio: what its keys lack, the port lacks too.
    radioState.rigModel = kReducedModel;
    expectRows({
        {"M AM 0", {}, "RPRT -11\n"},
        {"U NB 1", {}, "RPRT -11\n"},
        {"L RFPOWER 0.5", {}, "RPRT -11\n"},
        {"b CQ", {}, "RPRT -11\n"},
        {"L AF 1", {"AG0255"}, "RPRT 0\n"},
    }, askLine, sentNow);
}

// Each model's meters in its own numbers and form: selected (or switched on)
// where "RM" reads one meter, the tune sequence's SWR selected again after
// another is read; while receiving, no reading is a reading of 0.
TEST_F(NetMapping, EachModelsMetersInItsOwnNumbersAndForm) {
    using Sent = std::vector<std::string>;
    struct Case {
        const char* model;
        Sent swr, alc, alcWhileTuning;
    };
    for (const Case& c : {
             Case{"019", {"RM1", "RM"}, {"RM3", "RM"}, {"RM3", "RM", "RM1"}},
             Case{"020", {"RM1", "RM"}, {"RM3", "RM"}, {"RM3", "RM", "RM1"}},
             Case{"022", {"RM21", "RM"}, {"RM11", "RM"}, {"RM11", "RM", "RM21"}},
             Case{"024", {"RM21", "RM"}, {"RM11", "RM"}, {"RM11", "RM", "RM21"}},
             Case{"021", {"RM"}, {"RM"}, {"RM"}},
         }) {
        vradio::ModelSpec spec;
        ASSERT_TRUE(vradio::parseModel(c.model, spec));
        radio = vradio::VirtualRadio(spec, 1);
        radioState.rigModel = spec.id;
        radio.state.swrCount = 12;
        auto read = [this](const char* line) {
            fake::advance(1000);  // past the time a level read is kept
            return ask(line);
        };
        EXPECT_EQ(read("l SWR"), "1.000000\n") << c.model;  // receiving: nothing reflected
        EXPECT_EQ(sent(), c.swr) << c.model;
        EXPECT_EQ(ask("T 1"), "RPRT 0\n");
        sent();
        EXPECT_EQ(read("l SWR"), "2.000000\n") << c.model;
        EXPECT_EQ(sent(), c.swr) << c.model;
        const std::string alc = read("l ALC");
        EXPECT_EQ(alc, std::to_string(radio.state.alcCount / 30.0) + "\n") << c.model;
        EXPECT_GT(radio.state.alcCount, 0);
        EXPECT_EQ(sent(), c.alc) << c.model;
        radioState.tuning = 1;
        read("l ALC");
        EXPECT_EQ(sent(), c.alcWhileTuning) << c.model;
        radioState.tuning = 0;
        // A radio that gives no reading: 0 while receiving, an error while sending.
        radio.setSilent(true);
        EXPECT_EQ(read("l ALC"), "RPRT -6\n") << c.model;
        EXPECT_EQ(ask("T 0"), "RPRT 0\n");
        EXPECT_EQ(read("l ALC"), "0.000000\n") << c.model;
        radio.setSilent(false);
        sent();
    }
}

// \dump_state tells a client the bands of the radio behind the port: no
// 2 m or 70 cm for an HF radio, and each model's own power.
TEST_F(NetMapping, DumpStateGivesTheConnectedModelsRanges) {
    radioState.rigModel = 23;
    std::string dump = ask("\\dump_state");
    EXPECT_NE(dump.find("\n30000.000000 59999999.000000 0x2f -1 -1 0x3 0x1\n0 0 0 0 0 0 0\n"), std::string::npos);
    EXPECT_NE(dump.find("\n1800000.000000 52000000.000000 0x1 5000 25000 0x3 0x1\n0 0 0 0 0 0 0\n"),
              std::string::npos);
    EXPECT_EQ(dump.find("144000000"), std::string::npos);
    radioState.rigModel = 19;
    dump = ask("\\dump_state");
    for (const char* range : {"\n142000000.000000 152000000.000000 0x2f -1 -1",
                              "\n144000000.000000 148000000.000000 0x2e 5000 100000",
                              "\n430000000.000000 450000000.000000 0x1 5000 12500"})
        EXPECT_NE(dump.find(range), std::string::npos) << range;
    radioState.rigModel = 22;
    EXPECT_NE(ask("\\dump_state").find("\n1800000.000000 54000000.000000 0x2e 5000 200000 0x3 0x1\n"),
              std::string::npos);
}

// At the level "all" a program's change is spoken once it has stopped
// changing: a stream of steps (a Doppler correction, 1 Hz a second) is
// never read out step by step.
TEST_F(NetMapping, AProgramsStreamOfStepsIsSpokenOnceItStops) {
    sessionState.announceLevel = kAnnounceAll;
    radioState.band = 6;
    radio.state.vfoA = 14074000;
    auto ticks = [this](int ms) {
        std::vector<std::string> said;
        for (int t = 0; t < ms; t += 50) {
            fake::advance(50);
            event(kEventTick);
            for (const std::string& p : fake::takePrompts())
                if (p != "delay") said.push_back(p);
        }
        return said;
    };
    ticks(1000);
    acceptHeardState();
    for (int step = 1; step <= 6; ++step) {
        EXPECT_EQ(ask("F " + std::to_string(14074000 + step)), "RPRT 0\n");
        EXPECT_EQ(ticks(1000), std::vector<std::string>{}) << step;
    }
    EXPECT_EQ(ticks(3000), (std::vector<std::string>{"1", "4", "point", "0", "7", "4", "0", "0", "6", "mhz"}));
    EXPECT_EQ(ticks(3000), std::vector<std::string>{});
    // A change at the radio's own dial is still spoken after half a second.
    radio.setFrequency('A', 14100000);
    EXPECT_FALSE(ticks(1000).empty());
}

// A poll answer that the client's read takes in is the poll's: it is
// followed as the poll's own collection would follow it, and no longer
// awaited.
TEST_F(NetMapping, AClientsReleaseGoesOutWhenTheRadioHasStoppedAnswering) {
    auto askLine = [this](const std::string& line) { return ask(line); };
    auto sentNow = [this] { return sent(); };
    expectRows({{"T 1", {"TX"}, "RPRT 0\n"}}, askLine, sentNow);
    sessionState.connected = 0;  // the poll has heard nothing for two seconds
    expectRows({{"F 14074000", {}, "RPRT -6\n"}, {"T 0", {"RX"}, "RPRT 0\n"}}, askLine, sentNow);
    EXPECT_EQ(radioState.txState, 0);
}

// A client that hangs up while its lines fill its inbox (they wait behind
// \wait_morse, so it is read no more) is noticed on the next tick, not when
// the keyer is done: its transmission and its CW text end then.
TEST_F(NetMapping, AClientGoneBehindAFullInboxEndsItsTransmissionOnTheNextTick) {
    ASSERT_EQ(ask("T 1"), "RPRT 0\n");
    std::string more;
    while (more.size() <= kNetInputLimit + 1000) more += "f\n";
    fake::clientSend(client, "b " + std::string(60, 'E') + "\n\\wait_morse\n" + more);
    event(kEventNetwork);  // answers up to \wait_morse
    event(kEventNetwork);  // fills the inbox again
    event(kEventTick);
    const NetClient* held = nullptr;
    for (const NetClient& c : netState.clients)
        if (c.handle != 0) held = &c;
    ASSERT_NE(held, nullptr);
    ASSERT_EQ(held->inbox.size(), kNetInputLimit);
    ASSERT_EQ(held->morseWait, 1);
    ASSERT_TRUE(cwTextPending());
    ASSERT_EQ(radioState.txState, 1);
    sent();
    fake::clientClose(client);
    event(kEventTick);
    const std::vector<std::string> commands = sent();
    const auto at = [&](const char* c) { return std::find(commands.begin(), commands.end(), c) - commands.begin(); };
    ASSERT_LT(at("KY0"), static_cast<long>(commands.size()));
    ASSERT_LT(at("RX"), static_cast<long>(commands.size()));
    for (std::size_t i = at("KY0") + 1; i < commands.size(); ++i)
        EXPECT_NE(commands[i].substr(0, 2), "KY") << "CW text after the stop: " << commands[i];
    EXPECT_EQ(radioState.txState, 0);
    EXPECT_FALSE(cwTextPending());
    EXPECT_EQ(held->handle, 0);  // nobody waits for its answers
}

// A frequency a key has sent is what a client reads until the radio reports
// it: a client that read the old one would take the operator's tuning for
// its own and send its own back (a satellite tracker's Doppler).
TEST_F(NetMapping, AFrequencyAKeyJustSentIsWhatAClientReads) {
    radioState.bandCoverage = "7";
    for (int key : std::vector<int>{'E', '1', '4', kKeyPeriod, '0', '7', '4', kKeyEnter}) {
        keysState.eventParam = key;
        event(kEventKeyDown);
        event(kEventKeyUp);
    }
    const std::vector<std::string> commands = sent();
    ASSERT_NE(std::find(commands.begin(), commands.end(), "FA00014074000"), commands.end());
    EXPECT_EQ(radioState.freqHz, 7100000);  // the radio has not reported it yet
    EXPECT_EQ(ask("f"), "14074000\n");
    event(kEventTick);  // the poll asks, the radio answers, the report is taken
    event(kEventTick);
    EXPECT_EQ(radioState.freqHz, 14074000);
    EXPECT_EQ(ask("f"), "14074000\n");
}

TEST_F(NetMapping, APollAnswerMetByAClientsReadGoesToThePoll) {
    radio.state.vfoA = 14200000;
    event(kEventTick);  // the poll asks "FA"
    ASSERT_EQ(sent(), std::vector<std::string>{"FA"});
    ASSERT_EQ(catState.pollAwaitingReply, 1);
    EXPECT_EQ(ask("f VFOB"), "7100000\n");
    EXPECT_EQ(radioBytesWaiting(), 14);  // "FA00014200000;", held on the link for the poll
    event(kEventTick);  // the next tick collects it, follows it and asks again at once
    EXPECT_EQ(radioState.freqHz, 14200000);
    EXPECT_EQ(radioState.band, 6);
    EXPECT_EQ(sent(), (std::vector<std::string>{"FB", "SM0"}));
}

}  // namespace
