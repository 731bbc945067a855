// The rigctld text protocol, as Hamlib's "NET rigctl" client speaks it: one
// command per line, short ("f") or long ("\get_freq") names, answers in the
// plain or the extended ("+f") form, ended by "RPRT n" where there is no
// value to give. Pure text in and out: no program state.
#pragma once

#include <string>
#include <string_view>

// The commands this program answers. Every other name is kNetUnknown.
enum NetCommand {
    kNetUnknown,
    kNetGetFreq, kNetSetFreq,
    kNetGetMode, kNetSetMode,
    kNetGetVfo, kNetSetVfo,
    kNetGetPtt, kNetSetPtt,
    kNetGetSplitVfo, kNetSetSplitVfo,
    kNetGetSplitFreq, kNetSetSplitFreq,
    kNetGetLevel, kNetSetLevel,
    kNetGetPowerstat,
    kNetGetLockMode,
    kNetChkVfo,
    kNetDumpState,
    kNetQuit,
};

// Hamlib's answer codes, as "RPRT -n" carries them.
constexpr int kRprtOk = 0;
constexpr int kRprtInvalid = -1;       // RIG_EINVAL: an argument missing or out of range
constexpr int kRprtIoError = -6;       // RIG_EIO: the radio does not answer
constexpr int kRprtProtocol = -8;      // RIG_EPROTO: a line that is no command at all
constexpr int kRprtRejected = -9;      // RIG_ERJCTED: refused in the present state
constexpr int kRprtNotAvailable = -11; // RIG_ENAVAIL: a command or level this port lacks

// The two levels the port knows.
enum NetLevel { kNetLevelNone, kNetLevelStrength, kNetLevelRfPower };

// Longest line a client may send, its line end included.
constexpr std::size_t kNetLineLimit = 1024;

// One client line, read. error is kRprtOk when the command is known and its
// arguments are all there and in range; otherwise the code to answer at once.
struct NetRequest {
    NetCommand command = kNetUnknown;
    int error = kRprtNotAvailable;
    bool extended = false;       // "+", ";", "|" or "," before the name
    char separator = '\n';       // between the records of an extended answer
    std::string arguments;       // as given, blanks between (echoed by the extended form)
    long long hz = 0;            // set_freq, set_split_freq: whole hertz
    std::string modeName;        // set_mode: "LSB", "USB", "CW", "AM" or "FM"
    int passband = 0;            // set_mode: Hz; 0 the mode's normal width, -1 unchanged
    std::string vfoName;         // set_vfo, set_split_vfo: a Hamlib VFO name
    int on = 0;                  // set_ptt (0..3), set_split_vfo (0 or 1)
    NetLevel level = kNetLevelNone;  // get_level, set_level
    double levelValue = 0;       // set_level
};

// True when line (without its line end) holds only printable text: a client
// sending anything else is not speaking this protocol.
bool netLineIsText(std::string_view line);

// Reads one line (without its line end; a trailing CR is ignored).
NetRequest parseNetLine(std::string_view line);

// The answer to request. A get that succeeded gives its values (value2 only
// for get_mode and get_split_vfo); any other outcome gives code alone:
// plain form: each value on its own line, or "RPRT code";
// extended form: "name: arguments", "Label: value" records, "RPRT code",
// records ended by the request's separator and the answer by a line end.
std::string netAnswer(const NetRequest& request, int code, std::string_view value1 = {},
                      std::string_view value2 = {});

// The answer to \dump_state in its plain form: what the NET rigctl client
// learns at connection about the radio behind this port (its ranges, modes,
// filters, PTT by command, the two levels).
std::string netDumpState();

// Hamlib mode names this port takes and gives.
bool isNetModeName(std::string_view name);
// Hamlib VFO names ("VFOA", "VFOB", "currVFO", "Main", "Sub", "TX", "RX", "VFO").
bool isNetVfoName(std::string_view name);
