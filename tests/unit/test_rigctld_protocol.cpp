// The rigctld protocol's edges: which lines are which command with which
// arguments, and the exact text of each answer form.
#include <gtest/gtest.h>

#include <string>

#include "network/rigctld_protocol.h"

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
             Case{"T 3", kNetSetPtt, kRprtOk, 0},
             Case{"T 4", kNetSetPtt, kRprtInvalid, 0},
             Case{"S 1 VFOB", kNetSetSplitVfo, kRprtOk, 0},
             Case{"S 2 VFOB", kNetSetSplitVfo, kRprtInvalid, 0},
             Case{"S 1 VFOC", kNetSetSplitVfo, kRprtInvalid, 0},
             Case{"V Sub", kNetSetVfo, kRprtOk, 0},
             Case{"l STRENGTH", kNetGetLevel, kRprtOk, 0},
             Case{"l AF", kNetGetLevel, kRprtNotAvailable, 0},
             Case{"L STRENGTH 5", kNetSetLevel, kRprtNotAvailable, 0},  // read only
             Case{"L RFPOWER 1.5", kNetSetLevel, kRprtInvalid, 0},
             Case{"L RFPOWER 0.25", kNetSetLevel, kRprtOk, 0},
             Case{"\\get_powerstat", kNetGetPowerstat, kRprtOk, 0},
             Case{"\\dump_state", kNetDumpState, kRprtOk, 0},
             Case{"q", kNetQuit, kRprtOk, 0},
             Case{"get_freq", kNetUnknown, kRprtNotAvailable, 0},     // long names need "\"
             Case{"\\set_powerstat 1", kNetUnknown, kRprtNotAvailable, 0},
             Case{"X", kNetUnknown, kRprtNotAvailable, 0},
             Case{"+", kNetUnknown, kRprtNotAvailable, 0},
         }) {
        const NetRequest r = parseNetLine(c.line);
        EXPECT_EQ(r.command, c.command) << c.line;
        EXPECT_EQ(r.error, c.error) << c.line;
        if (c.hz != 0) {
            EXPECT_EQ(r.hz, c.hz) << c.line;
        }
    }
    const NetRequest mode = parseNetLine("M CW 500");
    EXPECT_EQ(mode.modeName, "CW");
    EXPECT_EQ(mode.passband, 500);
    const NetRequest power = parseNetLine("L RFPOWER 0.25");
    EXPECT_EQ(power.level, kNetLevelRfPower);
    EXPECT_DOUBLE_EQ(power.levelValue, 0.25);
}

TEST(RigctldProtocol, AnswerForms) {
    struct Case {
        const char* line;
        int code;
        const char* value1;
        const char* value2;
        const char* answer;
    };
    for (const Case& c : {
             Case{"f", kRprtOk, "14074000", "", "14074000\n"},
             Case{"+f", kRprtOk, "14074000", "", "get_freq:\nFrequency: 14074000\nRPRT 0\n"},
             Case{";m", kRprtOk, "USB", "2400", "get_mode:;Mode: USB;Passband: 2400;RPRT 0\n"},
             Case{"m", kRprtOk, "USB", "2400", "USB\n2400\n"},
             Case{"|s", kRprtOk, "1", "VFOB", "get_split_vfo:|Split: 1|TX VFO: VFOB|RPRT 0\n"},
             Case{"+l STRENGTH", kRprtOk, "-30", "", "get_level: STRENGTH\n-30\nRPRT 0\n"},
             Case{"F 7100000", kRprtOk, "", "", "RPRT 0\n"},
             Case{"+F  7100000", kRprtOk, "", "", "set_freq: 7100000\nRPRT 0\n"},
             Case{"t", kRprtIoError, "", "", "RPRT -6\n"},
             Case{"+t", kRprtIoError, "", "", "get_ptt:\nRPRT -6\n"},
             Case{"+\\chk_vfo", kRprtOk, "0", "", "ChkVFO: 0\n"},
             Case{"\\get_lock_mode", kRprtOk, "0", "", "0\nRPRT 0\n"},
             Case{"+xyz", kRprtNotAvailable, "", "", "RPRT -11\n"},
         }) {
        EXPECT_EQ(netAnswer(parseNetLine(c.line), c.code, c.value1, c.value2), c.answer) << c.line;
    }
    const std::string dump = netAnswer(parseNetLine("\\dump_state"), kRprtOk);
    EXPECT_EQ(dump.substr(0, 6), "1\n2\n0\n");
    EXPECT_EQ(dump.substr(dump.size() - 5), "done\n");
    EXPECT_EQ(netAnswer(parseNetLine("+\\dump_state"), kRprtOk), "dump_state:\n" + dump + "RPRT 0\n");
}

TEST(RigctldProtocol, OnlyPrintableTextIsALine) {
    EXPECT_TRUE(netLineIsText("F 7100000\r"));
    EXPECT_TRUE(netLineIsText("l\tSTRENGTH"));
    EXPECT_FALSE(netLineIsText(std::string("f\0", 2)));
    EXPECT_FALSE(netLineIsText("\x1b[A"));
    EXPECT_FALSE(netLineIsText("\xff"));
}

}  // namespace
