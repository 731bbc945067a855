// The rigctld text protocol: command lines read into requests, answers
// written in the plain and the extended form, and the \dump_state and
// \dump_caps texts.
#include "network/rigctld_protocol.h"

#include <cstdio>

#include "base/named_values.h"
#include "base/text.h"

namespace {

// Working frequencies a client may set: the receive range of the Kenwood
// radios this program drives, up to the top of the 70 cm band.
constexpr long long kLowestHz = 30000;
constexpr long long kHighestHz = 450000000;
constexpr int kWidestPassband = 100000;
// The lowest power every model sets, in milliwatts.
constexpr int kLowestMw = 5000;

// One command of the protocol: its one-letter name (0 = long name only), its
// long name, how many arguments it takes, whether a VFO may be named before
// them (Hamlib's VFO mode), whether its plain answer ends with "RPRT 0"
// after the value, and the labels of its values in the extended form
// ("" = the value stands alone).
struct CommandRow {
    NetCommand command;
    char letter;
    const char* name;
    int arguments;
    bool takesVfo;
    bool plainCode;
    const char* labels[kNetMaxValues];
};
constexpr CommandRow kCommands[] = {
    {kNetGetFreq, 'f', "get_freq", 0, true, false, {"Frequency"}},
    {kNetSetFreq, 'F', "set_freq", 1, true, false, {}},
    {kNetGetMode, 'm', "get_mode", 0, true, false, {"Mode", "Passband"}},
    {kNetSetMode, 'M', "set_mode", 2, true, false, {}},
    {kNetGetVfo, 'v', "get_vfo", 0, false, false, {"VFO"}},
    {kNetSetVfo, 'V', "set_vfo", 1, false, false, {}},
    {kNetGetPtt, 't', "get_ptt", 0, true, false, {"PTT"}},
    {kNetSetPtt, 'T', "set_ptt", 1, true, false, {}},
    {kNetGetSplitVfo, 's', "get_split_vfo", 0, true, false, {"Split", "TX VFO"}},
    {kNetSetSplitVfo, 'S', "set_split_vfo", 2, true, false, {}},
    {kNetGetSplitFreq, 'i', "get_split_freq", 0, true, false, {"TX Frequency"}},
    {kNetSetSplitFreq, 'I', "set_split_freq", 1, true, false, {}},
    {kNetGetSplitMode, 'x', "get_split_mode", 0, true, false, {"TX Mode", "TX Passband"}},
    {kNetSetSplitMode, 'X', "set_split_mode", 2, true, false, {}},
    // The level's and the function's value stands alone, as rigctld gives it.
    {kNetGetLevel, 'l', "get_level", 1, true, false, {""}},
    {kNetSetLevel, 'L', "set_level", 2, true, false, {}},
    {kNetGetFunc, 'u', "get_func", 1, true, false, {""}},
    {kNetSetFunc, 'U', "set_func", 2, true, false, {}},
    {kNetSendMorse, 'b', "send_morse", 1, true, false, {}},
    {kNetStopMorse, 0, "stop_morse", 0, true, false, {}},
    {kNetWaitMorse, 0, "wait_morse", 0, true, false, {}},
    {kNetGetPowerstat, 0, "get_powerstat", 0, false, false, {"Power Status"}},
    {kNetSetPowerstat, 0, "set_powerstat", 1, false, false, {}},
    // Hamlib's client asks it before every mode setting, and sets no mode
    // when it gets no answer.
    {kNetGetLockMode, 0, "get_lock_mode", 0, false, true, {"Locked"}},
    {kNetGetVfoInfo, 0, "get_vfo_info", 0, true, false, {"Freq", "Mode", "Width", "Split", "SatMode"}},
    {kNetGetClock, 0, "get_clock", 0, false, true, {"Clock"}},
    {kNetHamlibVersion, 0, "hamlib_version", 0, false, true, {"Hamlib version"}},
    {kNetChkVfo, 0, "chk_vfo", 0, false, false, {"ChkVFO"}},
    {kNetSetVfoOpt, 0, "set_vfo_opt", 1, false, false, {}},
    {kNetDumpState, 0, "dump_state", 0, false, false, {""}},
    {kNetDumpCaps, '1', "dump_caps", 0, false, true, {""}},
    {kNetQuit, 'q', "quit", 0, false, false, {}},
    {kNetQuit, 'Q', "quit", 0, false, false, {}},
};

const CommandRow* rowOf(NetCommand command) {
    for (const CommandRow& row : kCommands)
        if (row.command == command) return &row;
    return nullptr;
}

int valueCount(const CommandRow& row) {
    int n = 0;
    while (n < kNetMaxValues && row.labels[n] != nullptr) ++n;
    return n;
}

// The levels and functions by Hamlib's names and bits. Whole levels are
// integers in Hamlib (dB, words per minute); the rest are floats.
struct LevelRow {
    NetLevel level;
    const char* name;
    std::uint64_t bit;
    bool whole;
};
constexpr LevelRow kLevels[] = {
    {kNetLevelPreamp, "PREAMP", 0x1, true},       {kNetLevelAtt, "ATT", 0x2, true},
    {kNetLevelAf, "AF", 0x8, false},              {kNetLevelRf, "RF", 0x10, false},
    {kNetLevelSql, "SQL", 0x20, false},           {kNetLevelNr, "NR", 0x100, false},
    {kNetLevelRfPower, "RFPOWER", 0x1000, false}, {kNetLevelMicGain, "MICGAIN", 0x2000, false},
    {kNetLevelKeySpeed, "KEYSPD", 0x4000, true},  {kNetLevelComp, "COMP", 0x10000, false},
    {kNetLevelSwr, "SWR", 0x10000000, false},     {kNetLevelAlc, "ALC", 0x20000000, false},
    {kNetLevelStrength, "STRENGTH", 0x40000000, true},
};
struct FuncRow {
    NetFunc func;
    const char* name;
    std::uint64_t bit;
};
constexpr FuncRow kFuncs[] = {
    {kNetFuncNb, "NB", 0x2},     {kNetFuncComp, "COMP", 0x4}, {kNetFuncVox, "VOX", 0x8},
    {kNetFuncAnf, "ANF", 0x100}, {kNetFuncNr, "NR", 0x200},   {kNetFuncMon, "MON", 0x1000},
    {kNetFuncTuner, "TUNER", 0x40000000},
};

// The modes by Hamlib's names and bits, in the order of the bits (the order
// \dump_caps lists them). Hamlib's FM is both FM widths: the row holds the
// wide one.
struct ModeRow {
    const char* name;
    unsigned bit;
    int mode;
};
constexpr ModeRow kModes[] = {
    {"AM", kNetModeAm, kModeAm},    {"CW", kNetModeCw, kModeCw}, {"USB", kNetModeUsb, kModeUsb},
    {"LSB", kNetModeLsb, kModeLsb}, {"FM", kNetModeFm, kModeFm},
};

bool isBlank(char c) { return c == ' ' || c == '\t'; }

// The next word of line from at (blanks skipped); at moves past it. Empty
// at the end of the line.
std::string_view nextWord(std::string_view line, std::size_t& at) {
    while (at < line.size() && isBlank(line[at])) ++at;
    const std::size_t start = at;
    while (at < line.size() && !isBlank(line[at])) ++at;
    return line.substr(start, at - start);
}

// A decimal number as Hamlib writes one: an optional "-", digits, and
// optionally "." and more digits. Nothing else (no exponent, no blanks).
bool isDecimal(std::string_view word) {
    std::size_t i = 0;
    if (i < word.size() && word[i] == '-') ++i;
    const std::size_t digitsFrom = i;
    while (i < word.size() && word[i] >= '0' && word[i] <= '9') ++i;
    if (i == digitsFrom || i - digitsFrom > 12) return false;
    if (i < word.size() && word[i] == '.') {
        ++i;
        while (i < word.size() && word[i] >= '0' && word[i] <= '9') ++i;
    }
    return i == word.size();
}

bool readHz(std::string_view word, long long& hz) {
    if (!isDecimal(word)) return false;
    const double value = textValue(word);
    if (value < kLowestHz || value > kHighestHz) return false;
    hz = static_cast<long long>(value + 0.5);
    return true;
}

// A mode and a passband, as set_mode and set_split_mode take them.
int readModeAndPassband(NetRequest& r, std::string_view mode, std::string_view passband) {
    if (!isNetModeName(mode) || !isDecimal(passband)) return kRprtInvalid;
    const double width = textValue(passband);
    if (width < -1 || width > kWidestPassband) return kRprtInvalid;
    r.modeName = std::string(mode);
    r.passband = roundToInt(width);
    return kRprtOk;
}

// A switch value: "0" or "1" (Hamlib writes these; any other number is on).
bool readSwitch(std::string_view word, int& on) {
    if (!isDecimal(word)) return false;
    on = textValue(word) != 0 ? 1 : 0;
    return true;
}

// A one-digit choice: when word is one digit 0..top, set value and return
// true; otherwise false.
bool readDigit(std::string_view word, int top, int& value) {
    if (word.size() != 1 || word[0] < '0' || word[0] > '0' + top) return false;
    value = word[0] - '0';
    return true;
}

// Reads the arguments of a known command into request; the error to answer
// when one is missing or out of range.
int readArguments(NetRequest& r, const std::string_view* w) {
    switch (r.command) {
    case kNetSetFreq:
    case kNetSetSplitFreq:
        return readHz(w[0], r.hz) ? kRprtOk : kRprtInvalid;
    case kNetSetMode:
    case kNetSetSplitMode:
        return readModeAndPassband(r, w[0], w[1]);
    case kNetSetVfo:
        if (!isNetVfoName(w[0])) return kRprtInvalid;
        r.vfoName = std::string(w[0]);
        return kRprtOk;
    case kNetSetPtt:
        // 0 off; 1 on, 2 on by the microphone, 3 on for data.
        return readDigit(w[0], 3, r.on) ? kRprtOk : kRprtInvalid;
    case kNetSetSplitVfo:
        if (!readDigit(w[0], 1, r.on) || !isNetVfoName(w[1])) return kRprtInvalid;
        r.vfoName = std::string(w[1]);
        return kRprtOk;
    case kNetGetLevel:
    case kNetSetLevel: {
        for (const LevelRow& row : kLevels)
            if (w[0] == row.name) r.level = row.level;
        if (r.level == kNetLevelNone) return kRprtNotAvailable;  // a level this port does not have
        if (r.command == kNetGetLevel) return kRprtOk;
        if (!isDecimal(w[1])) return kRprtInvalid;
        r.levelValue = textValue(w[1]);
        if (netLevelIsWhole(r.level)) return r.levelValue >= 0 ? kRprtOk : kRprtInvalid;
        return r.levelValue >= 0 && r.levelValue <= 1 ? kRprtOk : kRprtInvalid;
    }
    case kNetGetFunc:
    case kNetSetFunc:
        for (const FuncRow& row : kFuncs)
            if (w[0] == row.name) r.func = row.func;
        if (r.func == kNetFuncNone) return kRprtNotAvailable;
        if (r.command == kNetGetFunc) return kRprtOk;
        return readSwitch(w[1], r.on) ? kRprtOk : kRprtInvalid;
    case kNetSetVfoOpt:
        return readDigit(w[0], 1, r.on) ? kRprtOk : kRprtInvalid;
    case kNetSetPowerstat:
        // 0 off, 1 on, 2 standby (off here).
        return readDigit(w[0], 2, r.on) ? kRprtOk : kRprtInvalid;
    case kNetGetVfoInfo:
        r.vfoName = r.targetVfo.empty() ? "currVFO" : r.targetVfo;
        return kRprtOk;
    default:
        return kRprtOk;
    }
}

// One record of an extended answer: "Label: value" (the value alone for an
// empty label) and the separator.
void appendRecord(std::string& out, const char* label, std::string_view value, char sep) {
    if (label[0] != '\0') {
        out += label;
        out += ": ";
    }
    out += value;
    out += sep;
}

std::string hexText(std::uint64_t value) {
    char text[24];
    std::snprintf(text, sizeof text, "0x%llx", static_cast<unsigned long long>(value));
    return text;
}

// Names of the levels or functions whose bits are in mask, blank after each.
std::string levelNames(std::uint64_t mask) {
    std::string out;
    for (const LevelRow& row : kLevels)
        if ((mask & row.bit) != 0) out += std::string(row.name) + " ";
    return out;
}
std::string funcNames(std::uint64_t mask) {
    std::string out;
    for (const FuncRow& row : kFuncs)
        if ((mask & row.bit) != 0) out += std::string(row.name) + " ";
    return out;
}

}  // namespace

std::uint64_t netLevelBit(NetLevel level) {
    for (const LevelRow& row : kLevels)
        if (row.level == level) return row.bit;
    return 0;
}

std::uint64_t netFuncBit(NetFunc func) {
    for (const FuncRow& row : kFuncs)
        if (row.func == func) return row.bit;
    return 0;
}

bool netLevelIsWhole(NetLevel level) {
    for (const LevelRow& row : kLevels)
        if (row.level == level) return row.whole;
    return false;
}

const char* netModeName(int mode) {
    for (const ModeRow& row : kModes)
        if (row.mode == mode) return row.name;
    return "FM";
}

int netModeOfName(std::string_view name) {
    for (const ModeRow& row : kModes)
        if (name == row.name) return row.mode;
    return 0;
}

bool isNetModeName(std::string_view name) { return netModeOfName(name) != 0; }

bool isNetVfoName(std::string_view name) {
    return name == "VFOA" || name == "VFOB" || name == "currVFO" || name == "Main" || name == "Sub" ||
           name == "TX" || name == "RX" || name == "VFO";
}

bool netLineIsText(std::string_view line) {
    for (char c : line) {
        const unsigned char u = static_cast<unsigned char>(c);
        if ((u < 0x20 && c != '\t' && c != '\r') || u >= 0x7f) return false;
    }
    return true;
}

NetLineShape netLineShape(std::string_view line) {
    std::string_view words[4];
    int count = 0;
    std::size_t at = 0;
    for (std::string_view word = nextWord(line, at); !word.empty() && count < 4; word = nextWord(line, at))
        words[count++] = word;
    if (count == 0) return kNetLinePlain;
    if (count == 3 && words[2].substr(0, 5) == "HTTP/") return kNetLineWebRequest;
    // A bare request line without a version (HTTP/0.9) is a web request too:
    // what follows it must never be read as commands.
    static constexpr std::string_view kMethods[] = {"GET", "HEAD", "POST", "PUT", "DELETE",
                                                    "CONNECT", "OPTIONS", "TRACE", "PATCH"};
    if (count >= 2 && words[1].substr(0, 1) == "/")
        for (std::string_view method : kMethods)
            if (words[0] == method) return kNetLineWebRequest;
    const std::string_view first = words[0];
    const std::size_t colon = first.find(':');
    if (colon == std::string_view::npos || colon == 0) return kNetLinePlain;
    for (std::size_t i = 0; i < colon; ++i) {
        const char c = first[i];
        const bool letter = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
        if (!letter && !(i > 0 && ((c >= '0' && c <= '9') || c == '-' || c == '_'))) return kNetLinePlain;
    }
    return kNetLineHeader;
}

bool netLineDone(std::string_view line, std::size_t at) {
    while (at < line.size() && (isBlank(line[at]) || line[at] == '\r')) ++at;
    return at >= line.size();
}

NetRequest parseNetCommand(std::string_view line, std::size_t& at) {
    NetRequest r;
    while (!line.empty() && (line.back() == '\r' || isBlank(line.back()))) line.remove_suffix(1);
    while (at < line.size() && isBlank(line[at])) ++at;
    // The extended form: its first character also separates the records of
    // the answer ("+" separates them by line ends).
    if (at < line.size() && (line[at] == '+' || line[at] == ';' || line[at] == '|' || line[at] == ',')) {
        r.extended = true;
        r.separator = line[at] == '+' ? '\n' : line[at];
        ++at;
    }
    const std::size_t nameAt = at;
    const std::string_view name = nextWord(line, at);
    const CommandRow* found = nullptr;
    if (name.size() >= 2 && name[0] == '\\') {
        for (const CommandRow& row : kCommands)
            if (name.substr(1) == row.name) found = &row;
    } else if (!name.empty()) {
        for (const CommandRow& row : kCommands)
            if (row.letter != 0 && name[0] == row.letter) found = &row;
        // rigctld reads a short name as one letter, so letters run together
        // ("fmv", as CQRLOG polls) are commands of their own: the next one
        // starts right after this letter.
        if (found) at = nameAt + 1;
    }
    if (!found) {
        // Nothing after an unknown name can be told apart from its arguments,
        // so none of it acts.
        at = line.size();
        return r;  // kNetUnknown, answered "not available"
    }
    r.command = found->command;

    auto echo = [&](std::string_view word) {
        if (!r.arguments.empty()) r.arguments += ' ';
        r.arguments += word;
    };
    // A VFO named first (Hamlib's VFO mode, "F VFOA 14074000"): kept apart.
    if (found->takesVfo) {
        std::size_t peek = at;
        const std::string_view word = nextWord(line, peek);
        if (isNetVfoName(word)) {
            r.targetVfo = std::string(word);
            echo(word);
            at = peek;
        }
    }
    if (r.command == kNetSendMorse) {
        // The text is the rest of the line, blanks inside it included.
        while (at < line.size() && isBlank(line[at])) ++at;
        r.text = std::string(line.substr(at));
        at = line.size();
        echo(r.text);
        capText(r.arguments);
        r.error = r.text.empty() ? kRprtInvalid : kRprtOk;
        return r;
    }
    std::string_view words[2];
    for (int k = 0; k < found->arguments; ++k) {
        words[k] = nextWord(line, at);
        if (words[k].empty()) {
            capText(r.arguments);
            r.error = kRprtInvalid;  // an argument missing
            return r;
        }
        echo(words[k]);
    }
    capText(r.arguments);
    r.error = readArguments(r, words);
    return r;
}

NetRequest parseNetLine(std::string_view line) {
    std::size_t at = 0;
    return parseNetCommand(line, at);
}

std::string netAnswer(const NetRequest& request, int code, std::string_view value1, std::string_view value2,
                      std::string_view value3, std::string_view value4, std::string_view value5) {
    const CommandRow* row = rowOf(request.command);
    const std::string_view values[kNetMaxValues] = {value1, value2, value3, value4, value5};
    const int count = code == kRprtOk && row ? valueCount(*row) : 0;
    if (!request.extended || !row) {
        if (count == 0) return "RPRT " + plainNumber(code) + "\n";
        std::string out;
        for (int k = 0; k < count; ++k) {
            out += values[k];
            // The described texts end with their own line end.
            if (values[k].empty() || values[k].back() != '\n') out += '\n';
        }
        // rigctld ends these plain answers with their code as well.
        if (row->plainCode) out += "RPRT 0\n";
        return out;
    }
    if (request.command == kNetChkVfo) return "ChkVFO: " + std::string(value1) + "\n";
    if (request.command == kNetQuit) return "RPRT " + plainNumber(code) + "\n";
    const char sep = request.separator;
    std::string out = row->name;
    out += ':';
    if (!request.arguments.empty()) out += " " + request.arguments;
    out += sep;
    for (int k = 0; k < count; ++k) {
        if (values[k].size() > 0 && values[k].back() == '\n') {
            out += values[k];  // a described text, its lines as they are
            continue;
        }
        appendRecord(out, row->labels[k], values[k], sep);
    }
    out += "RPRT " + plainNumber(code) + "\n";
    return out;
}

std::string netDumpState(const NetServed& served) {
    const unsigned all = served.modes;
    const unsigned noAm = all & ~kNetModeAm;
    const unsigned fm = all & kNetModeFm;
    char line[128];
    std::string out =
        "1\n"  // protocol version
        "2\n"  // model: NET rigctl
        "0\n"; // ITU region
    // Receive ranges, then an empty one. VFO A and B (0x3), antenna 1.
    for (const FreqRange& range : served.receive) {
        if (range.lowHz == 0) break;
        std::snprintf(line, sizeof line, "%lld.000000 %lld.000000 0x%x -1 -1 0x3 0x1\n", range.lowHz,
                      range.highHz, all);
        out += line;
    }
    out += "0 0 0 0 0 0 0\n";
    // Transmit ranges, power in milliwatts, then an empty one.
    for (const FreqRange& range : served.transmit) {
        if (range.lowHz == 0) break;
        std::snprintf(line, sizeof line, "%lld.000000 %lld.000000 0x%x %d %d 0x3 0x1\n", range.lowHz,
                      range.highHz, noAm, kLowestMw, range.topMw);
        out += line;
        if ((all & kNetModeAm) == 0) continue;
        std::snprintf(line, sizeof line, "%lld.000000 %lld.000000 0x1 %d %d 0x3 0x1\n", range.lowHz,
                      range.highHz, kLowestMw, range.amTopMw);
        out += line;
    }
    out += "0 0 0 0 0 0 0\n";
    // Tuning steps the keys use.
    std::snprintf(line, sizeof line, "0x2 10\n0x%x 100\n0x%x 10000\n", all, all);
    out += line;
    if (fm != 0) out += "0x20 12500\n";
    std::snprintf(line, sizeof line, "0x%x 1000000\n0 0\n", all);
    out += line;
    // Filters: the normal width of each mode first.
    out += "0xc 2400\n0xc 1000\n0xc 3400\n0x2 600\n0x2 50\n0x2 2500\n";
    if ((all & kNetModeAm) != 0) out += "0x1 6000\n";
    if (fm != 0) out += "0x20 10000\n0x20 15000\n";
    out += "0 0\n";
    out += "0\n0\n0\n0\n";  // largest RIT, XIT, IF shift; announces
    out += served.preampDb > 0 ? plainNumber(served.preampDb) + "\n" : "\n";
    out += served.attDb > 0 ? plainNumber(served.attDb) + "\n" : "\n";
    out += hexText(served.getFuncs) + "\n" + hexText(served.setFuncs) + "\n";
    out += hexText(served.getLevels) + "\n" + hexText(served.setLevels) + "\n";
    out += "0x0\n0x0\n";  // parameters read, set
    out += "vfo_ops=0x0\n"
           "ptt_type=0x5\n"  // PTT by command, with the microphone and data forms
           "targetable_vfo=0x0\n"
           "has_set_vfo=1\n"
           "has_get_vfo=1\n"
           "has_set_freq=1\n"
           "has_get_freq=1\n"
           "has_set_conf=0\n"
           "has_get_conf=0\n"
           "has_power2mW=0\n"
           "has_mW2power=0\n"
           "timeout=2000\n"
           "rig_model=2\n"
           "rigctld_version=Rigvox " + std::string(kVersionText) + "\n"
           "done\n";
    return out;
}

std::string netDumpCaps(const NetServed& served) {
    auto yes = [](bool served) { return served ? "Y" : "N"; };
    const bool morse = served.morse;
    std::string modes;
    for (const ModeRow& row : kModes)
        if ((served.modes & row.bit) != 0) modes += std::string(row.name) + " ";
    std::string out = "Caps dump for model: 2\n"
                      "Model name:\tNET rigctl\n"
                      "Mfg name:\tHamlib\n"
                      "Backend version:\tRigvox " + std::string(kVersionText) + "\n"
                      "Backend status:\tStable\n"
                      "Rig type:\tTransceiver\n"
                      "PTT type:\tRig capable\n"
                      "DCD type:\tNone\n"
                      "Port type:\tNetwork link\n"
                      "Has targetable VFO:\tN\n"
                      "Has transceive:\tN\n";
    out += "Preamp:\t" + (served.preampDb > 0 ? plainNumber(served.preampDb) + "dB" : std::string("None")) + "\n";
    out += "Attenuator:\t" + (served.attDb > 0 ? plainNumber(served.attDb) + "dB" : std::string("None")) + "\n";
    out += "Get functions:\t" + funcNames(served.getFuncs) + "\n";
    out += "Set functions:\t" + funcNames(served.setFuncs) + "\n";
    out += "Get level:\t" + levelNames(served.getLevels) + "\n";
    out += "Set level:\t" + levelNames(served.setLevels) + "\n";
    out += "Mode list:\t" + modes + "\n";
    out += "VFO list:\tVFOA VFOB \n";
    out += std::string("Can set Frequency:\tY\nCan get Frequency:\tY\n") +
           "Can set Mode:\tY\nCan get Mode:\tY\n"
           "Can set VFO:\tY\nCan get VFO:\tY\n"
           "Can set PTT:\tY\nCan get PTT:\tY\n"
           "Can set Split Freq:\tY\nCan get Split Freq:\tY\n"
           "Can set Split Mode:\tY\nCan get Split Mode:\tY\n"
           "Can set Split VFO:\tY\nCan get Split VFO:\tY\n"
           "Can set Func:\t" + yes(served.setFuncs != 0) + "\nCan get Func:\t" + yes(served.getFuncs != 0) +
           "\nCan set Level:\t" + yes(served.setLevels != 0) + "\nCan get Level:\t" + yes(served.getLevels != 0) +
           "\nCan send Morse:\t" + yes(morse) + "\nCan stop Morse:\t" + yes(morse) + "\nCan wait Morse:\t" +
           yes(morse) + "\nCan set Power Stat:\t" + yes(served.powerSwitch) +
           "\nCan get Power Stat:\tY\n"
           "Can get VFO info:\tY\n"
           "Can get clock:\tY\n"
           "Can set clock:\tN\n"
           "Can set RIT:\tN\nCan get RIT:\tN\nCan set XIT:\tN\nCan get XIT:\tN\n"
           "Can set CTCSS:\tN\nCan get CTCSS:\tN\n"
           "Can set Parm:\tN\nCan get Parm:\tN\n"
           "Can set Mem:\tN\nCan get Mem:\tN\n"
           "Can Scan:\tN\nCan VFO Op:\tN\nCan Reset:\tN\n"
           "Can get Info:\tN\n";
    return out;
}
