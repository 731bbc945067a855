// The rigctld text protocol, as Hamlib's "NET rigctl" client and the loggers
// that talk to rigctld directly speak it: short ("f") or long ("\get_freq")
// names, several commands on one line, answers in the plain or the extended
// ("+f") form, ended by "RPRT n" where there is no value to give; the
// \dump_state and \dump_caps texts built from what the port serves. Pure
// text in and out: no program state.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "radio/models.h"

// The commands this program answers. Every other name is kNetUnknown.
enum NetCommand {
    kNetUnknown,
    kNetGetFreq, kNetSetFreq,
    kNetGetMode, kNetSetMode,
    kNetGetVfo, kNetSetVfo,
    kNetGetPtt, kNetSetPtt,
    kNetGetSplitVfo, kNetSetSplitVfo,
    kNetGetSplitFreq, kNetSetSplitFreq,
    kNetGetSplitMode, kNetSetSplitMode,
    kNetGetLevel, kNetSetLevel,
    kNetGetFunc, kNetSetFunc,
    kNetSendMorse, kNetStopMorse, kNetWaitMorse,
    kNetGetPowerstat, kNetSetPowerstat,
    kNetGetLockMode,
    kNetGetVfoInfo,
    kNetGetClock,
    kNetHamlibVersion,
    kNetChkVfo, kNetSetVfoOpt,
    kNetDumpState, kNetDumpCaps,
    kNetQuit,
};

// Hamlib's answer codes, as "RPRT -n" carries them.
constexpr int kRprtOk = 0;
constexpr int kRprtInvalid = -1;       // RIG_EINVAL: an argument missing or out of range
constexpr int kRprtIoError = -6;       // RIG_EIO: the radio does not answer
constexpr int kRprtProtocol = -8;      // RIG_EPROTO: a line that is no command at all
constexpr int kRprtRejected = -9;      // RIG_ERJCTED: refused in the present state
constexpr int kRprtNotAvailable = -11; // RIG_ENAVAIL: a command or level this port lacks

// The levels (l, L) and functions (u, U) the port knows by name. Which of
// them a radio serves is the interpreter's to say (NetServed).
enum NetLevel {
    kNetLevelNone,
    kNetLevelAf, kNetLevelRf, kNetLevelSql, kNetLevelRfPower, kNetLevelMicGain, kNetLevelKeySpeed,
    kNetLevelPreamp, kNetLevelAtt, kNetLevelNr, kNetLevelComp, kNetLevelStrength, kNetLevelSwr,
    kNetLevelAlc,
};
constexpr int kNetLevelCount = kNetLevelAlc + 1;
enum NetFunc { kNetFuncNone, kNetFuncNb, kNetFuncNr, kNetFuncAnf, kNetFuncComp, kNetFuncVox, kNetFuncMon, kNetFuncTuner };

// Hamlib's bit for a level or function, as the masks of \dump_state carry it.
std::uint64_t netLevelBit(NetLevel level);
std::uint64_t netFuncBit(NetFunc func);
// Levels Hamlib carries as whole numbers (dB, words per minute); the others
// are fractions 0..1 (SWR a ratio).
bool netLevelIsWhole(NetLevel level);

// Hamlib's mode bits, as the ranges and filters of \dump_state carry them.
constexpr unsigned kNetModeAm = 0x1, kNetModeCw = 0x2, kNetModeUsb = 0x4, kNetModeLsb = 0x8, kNetModeFm = 0x20;

// What the port serves for the radio behind it: the masks and lists that
// \dump_state and \dump_caps advertise, so a client asks only for these.
struct NetServed {
    unsigned modes = 0;             // Hamlib mode bits
    std::uint64_t getLevels = 0;    // netLevelBit values
    std::uint64_t setLevels = 0;
    std::uint64_t getFuncs = 0;     // netFuncBit values
    std::uint64_t setFuncs = 0;
    int preampDb = 0;               // the preamp's one step; 0 = none
    int attDb = 0;                  // the attenuator's one step; 0 = none
    bool morse = false;             // b, \stop_morse, \wait_morse
    bool powerSwitch = false;       // \set_powerstat
    FreqRange receive[kModelRanges] = {};   // the radio's own ranges, rising; a zero range ends each list
    FreqRange transmit[kModelRanges] = {};
};

// Longest line a client may send, its line end included.
constexpr std::size_t kNetLineLimit = 1024;

// One command of a client line, read. error is kRprtOk when the command is
// known and its arguments are all there and in range; otherwise the code to
// answer at once.
struct NetRequest {
    NetCommand command = kNetUnknown;
    int error = kRprtNotAvailable;
    bool extended = false;       // "+", ";", "|" or "," before the name
    char separator = '\n';       // between the records of an extended answer
    std::string arguments;       // as given, blanks between (echoed by the extended form)
    std::string targetVfo;       // a VFO named before the arguments (Hamlib's VFO mode), "" none
    long long hz = 0;            // set_freq, set_split_freq: whole hertz
    std::string modeName;        // set_mode, set_split_mode: "LSB", "USB", "CW", "AM" or "FM"
    int passband = 0;            // set_mode, set_split_mode: Hz; 0 the mode's normal width, -1 unchanged
    std::string vfoName;         // set_vfo, set_split_vfo, get_vfo_info: a Hamlib VFO name
    int on = 0;                  // set_ptt (0..3), set_split_vfo, set_func, set_vfo_opt (0 or 1), set_powerstat (0..2)
    NetLevel level = kNetLevelNone;  // get_level, set_level
    NetFunc func = kNetFuncNone;     // get_func, set_func
    double levelValue = 0;       // set_level: a fraction 0..1, or a whole number for netLevelIsWhole
    std::string text;            // send_morse: the text as given (upper case taken by the sender)
};

// True when line (without its line end) holds only printable text: a client
// sending anything else is not speaking this protocol.
bool netLineIsText(std::string_view line);

// Reads the command of line that starts at position at (blanks before it
// are skipped) and moves at past its arguments: a further command may
// follow on the same line ("+f +m +v", "F 14074000 M USB -1"), and
// one-letter names may run together ("fmv" is f, m, v). An unknown
// name, and send_morse's text, take the rest of the line. A trailing CR is
// ignored. at reaches line.size() once nothing is left.
NetRequest parseNetCommand(std::string_view line, std::size_t& at);
// The first command of line.
NetRequest parseNetLine(std::string_view line);
// True when nothing but blanks is left of line from at.
bool netLineDone(std::string_view line, std::size_t at);

// Longest value list an answer carries (\get_vfo_info has five).
constexpr int kNetMaxValues = 5;

// The answer to request. A get that succeeded gives its values (as many as
// the command has: two for get_mode, get_split_vfo and get_split_mode, five
// for get_vfo_info; \dump_state and \dump_caps their whole text as one);
// any other outcome gives code alone:
// plain form: each value on its own line, or "RPRT code" (\get_lock_mode,
// \dump_caps, \get_clock and \hamlib_version give their value and then
// "RPRT 0"; \dump_state its text alone);
// extended form: "name: arguments", "Label: value" records, "RPRT code",
// records ended by the request's separator and the answer by a line end.
// \chk_vfo never gets an "RPRT" line.
std::string netAnswer(const NetRequest& request, int code, std::string_view value1 = {},
                      std::string_view value2 = {}, std::string_view value3 = {},
                      std::string_view value4 = {}, std::string_view value5 = {});

// The \dump_state text, plain: what the NET rigctl client learns at
// connection about the radio behind this port (its receive and transmit
// ranges, each transmit range for AM too at AM's power; modes, filters,
// PTT by command, the levels and functions served), ended by "done".
std::string netDumpState(const NetServed& served);
// The \dump_caps text: Hamlib's capability lines ("Can send Morse:\tY") as
// loggers read them, for what is served.
std::string netDumpCaps(const NetServed& served);

// The Hamlib name of a ModeNumber: "LSB", "USB", "CW", "AM", and "FM" for
// both FM widths (and any other number).
const char* netModeName(int mode);
// The ModeNumber of a Hamlib mode name (kModeFm for "FM", whichever width
// the caller then takes); 0 for a name this port does not take.
int netModeOfName(std::string_view name);
// Hamlib mode names this port takes and gives.
bool isNetModeName(std::string_view name);
// Hamlib VFO names ("VFOA", "VFOB", "currVFO", "Main", "Sub", "TX", "RX", "VFO").
bool isNetVfoName(std::string_view name);

// What a line looks like besides this protocol: a web browser's request line
// ("POST / HTTP/1.1": three words, the third starting "HTTP/"; or an HTTP
// method and a path starting "/", with or without more), a header line
// ("Host: 127.0.0.1": a name of letters, digits, "-" and "_" with ":" right
// after it), or neither. Blanks around the line are ignored.
enum NetLineShape { kNetLinePlain, kNetLineWebRequest, kNetLineHeader };
NetLineShape netLineShape(std::string_view line);
