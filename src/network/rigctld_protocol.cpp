// The rigctld text protocol: command lines read into requests, answers
// written in the plain and the extended form, and the \dump_state text.
#include "network/rigctld_protocol.h"

#include "base/text.h"

namespace {

// Working frequencies a client may set: the receive range of the Kenwood
// radios this program drives, up to the top of the 70 cm band.
constexpr long long kLowestHz = 30000;
constexpr long long kHighestHz = 450000000;
constexpr int kWidestPassband = 100000;

// One command of the protocol: its one-letter name (0 = long name only), its
// long name, how many arguments it takes, and the labels of its values in
// the extended form ("" = the value stands alone).
struct CommandRow {
    NetCommand command;
    char letter;
    const char* name;
    int arguments;
    const char* label1;
    const char* label2;
};
constexpr CommandRow kCommands[] = {
    {kNetGetFreq, 'f', "get_freq", 0, "Frequency", ""},
    {kNetSetFreq, 'F', "set_freq", 1, "", ""},
    {kNetGetMode, 'm', "get_mode", 0, "Mode", "Passband"},
    {kNetSetMode, 'M', "set_mode", 2, "", ""},
    {kNetGetVfo, 'v', "get_vfo", 0, "VFO", ""},
    {kNetSetVfo, 'V', "set_vfo", 1, "", ""},
    {kNetGetPtt, 't', "get_ptt", 0, "PTT", ""},
    {kNetSetPtt, 'T', "set_ptt", 1, "", ""},
    {kNetGetSplitVfo, 's', "get_split_vfo", 0, "Split", "TX VFO"},
    {kNetSetSplitVfo, 'S', "set_split_vfo", 2, "", ""},
    {kNetGetSplitFreq, 'i', "get_split_freq", 0, "TX Frequency", ""},
    {kNetSetSplitFreq, 'I', "set_split_freq", 1, "", ""},
    {kNetGetLevel, 'l', "get_level", 1, "", ""},
    {kNetSetLevel, 'L', "set_level", 2, "", ""},
    {kNetGetPowerstat, 0, "get_powerstat", 0, "Power Status", ""},
    // Hamlib's client asks it before every mode setting, and sets no mode
    // when it gets no answer.
    {kNetGetLockMode, 0, "get_lock_mode", 0, "Locked", ""},
    {kNetChkVfo, 0, "chk_vfo", 0, "ChkVFO", ""},
    {kNetDumpState, 0, "dump_state", 0, "", ""},
    {kNetQuit, 'q', "quit", 0, "", ""},
    {kNetQuit, 'Q', "quit", 0, "", ""},
};

const CommandRow* rowOf(NetCommand command) {
    for (const CommandRow& row : kCommands)
        if (row.command == command) return &row;
    return nullptr;
}

bool isBlank(char c) { return c == ' ' || c == '\t'; }

// The words of text, split at blanks; at most max words are taken, and
// count tells how many there were.
int splitWords(std::string_view text, std::string_view* words, int max) {
    int count = 0;
    std::size_t i = 0;
    while (i < text.size()) {
        while (i < text.size() && isBlank(text[i])) ++i;
        if (i >= text.size()) break;
        const std::size_t start = i;
        while (i < text.size() && !isBlank(text[i])) ++i;
        if (count < max) words[count] = text.substr(start, i - start);
        ++count;
    }
    return count;
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

// Reads the arguments of a known command into request; the error to answer
// when one is missing or out of range.
int readArguments(NetRequest& r, const std::string_view* w, int count) {
    const CommandRow* row = rowOf(r.command);
    if (count < row->arguments) return kRprtInvalid;
    switch (r.command) {
    case kNetSetFreq:
    case kNetSetSplitFreq:
        return readHz(w[0], r.hz) ? kRprtOk : kRprtInvalid;
    case kNetSetMode: {
        if (!isNetModeName(w[0]) || !isDecimal(w[1])) return kRprtInvalid;
        const double passband = textValue(w[1]);
        if (passband < -1 || passband > kWidestPassband) return kRprtInvalid;
        r.modeName = std::string(w[0]);
        r.passband = roundToInt(passband);
        return kRprtOk;
    }
    case kNetSetVfo:
        if (!isNetVfoName(w[0])) return kRprtInvalid;
        r.vfoName = std::string(w[0]);
        return kRprtOk;
    case kNetSetPtt:
        // 0 off; 1 on, 2 on by the microphone, 3 on for data: all one here.
        if (w[0].size() != 1 || w[0][0] < '0' || w[0][0] > '3') return kRprtInvalid;
        r.on = w[0][0] - '0';
        return kRprtOk;
    case kNetSetSplitVfo:
        if ((w[0] != "0" && w[0] != "1") || !isNetVfoName(w[1])) return kRprtInvalid;
        r.on = w[0] == "1" ? 1 : 0;
        r.vfoName = std::string(w[1]);
        return kRprtOk;
    case kNetGetLevel:
    case kNetSetLevel:
        if (w[0] == "STRENGTH") r.level = kNetLevelStrength;
        else if (w[0] == "RFPOWER") r.level = kNetLevelRfPower;
        else return kRprtNotAvailable;  // a level this port does not have
        if (r.command == kNetGetLevel) return kRprtOk;
        if (r.level != kNetLevelRfPower) return kRprtNotAvailable;  // the S-meter is read only
        if (!isDecimal(w[1])) return kRprtInvalid;
        r.levelValue = textValue(w[1]);
        return r.levelValue >= 0 && r.levelValue <= 1 ? kRprtOk : kRprtInvalid;
    default:
        return kRprtOk;
    }
}

}  // namespace

bool isNetModeName(std::string_view name) {
    return name == "LSB" || name == "USB" || name == "CW" || name == "AM" || name == "FM";
}

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

NetRequest parseNetLine(std::string_view line) {
    NetRequest r;
    while (!line.empty() && (line.back() == '\r' || isBlank(line.back()))) line.remove_suffix(1);
    std::size_t i = 0;
    while (i < line.size() && isBlank(line[i])) ++i;
    // The extended form: its first character also separates the records of
    // the answer ("+" separates them by line ends).
    if (i < line.size() && (line[i] == '+' || line[i] == ';' || line[i] == '|' || line[i] == ',')) {
        r.extended = true;
        r.separator = line[i] == '+' ? '\n' : line[i];
        ++i;
    }
    line = line.substr(i);
    std::string_view name;
    std::size_t end = 0;
    while (end < line.size() && !isBlank(line[end])) ++end;
    name = line.substr(0, end);
    const std::string_view rest = line.substr(end);

    const CommandRow* found = nullptr;
    if (name.size() >= 2 && name[0] == '\\') {
        for (const CommandRow& row : kCommands)
            if (name.substr(1) == row.name) found = &row;
    } else if (name.size() == 1) {
        for (const CommandRow& row : kCommands)
            if (row.letter != 0 && name[0] == row.letter) found = &row;
    }
    if (!found) return r;  // kNetUnknown, answered "not available"
    r.command = found->command;

    std::string_view words[3];
    const int count = splitWords(rest, words, 3);
    for (int k = 0; k < count && k < 3; ++k) {
        if (k > 0) r.arguments += ' ';
        r.arguments += words[k];
    }
    capText(r.arguments);
    r.error = readArguments(r, words, count < 3 ? count : 3);
    return r;
}

std::string netAnswer(const NetRequest& request, int code, std::string_view value1, std::string_view value2) {
    const CommandRow* row = rowOf(request.command);
    const bool values =
        code == kRprtOk && row && (row->label1[0] != '\0' || request.command == kNetGetLevel);
    const bool dump = code == kRprtOk && request.command == kNetDumpState;
    if (!request.extended || !row) {
        if (dump) return netDumpState();
        if (!values) return "RPRT " + plainNumber(code) + "\n";
        std::string out(value1);
        out += '\n';
        if (row->label2[0] != '\0') {
            out += value2;
            out += '\n';
        }
        // rigctld ends this one plain answer with its code as well.
        if (request.command == kNetGetLockMode) out += "RPRT 0\n";
        return out;
    }
    if (request.command == kNetChkVfo) return "ChkVFO: " + std::string(value1) + "\n";
    if (request.command == kNetQuit) return "RPRT " + plainNumber(code) + "\n";
    const char sep = request.separator;
    std::string out = row->name;
    out += ':';
    if (!request.arguments.empty()) out += " " + request.arguments;
    out += sep;
    if (dump) out += netDumpState();
    if (values) {
        if (row->label1[0] != '\0') out += std::string(row->label1) + ": ";
        out += value1;
        out += sep;
        if (row->label2[0] != '\0') {
            out += std::string(row->label2) + ": ";
            out += value2;
            out += sep;
        }
    }
    out += "RPRT " + plainNumber(code) + "\n";
    return out;
}

std::string netDumpState() {
    // Mode masks: AM 0x1, CW 0x2, USB 0x4, LSB 0x8, FM 0x20. VFO A and B
    // (0x3), antenna 1. Transmit power in milliwatts.
    return "1\n"           // protocol version
           "2\n"           // model: NET rigctl
           "0\n"           // ITU region
           // receive ranges, then an empty one
           "30000.000000 60000000.000000 0x2f -1 -1 0x3 0x1\n"
           "142000000.000000 152000000.000000 0x2f -1 -1 0x3 0x1\n"
           "420000000.000000 450000000.000000 0x2f -1 -1 0x3 0x1\n"
           "0 0 0 0 0 0 0\n"
           // transmit ranges
           "1800000.000000 54000000.000000 0x2e 5000 100000 0x3 0x1\n"
           "1800000.000000 54000000.000000 0x1 5000 25000 0x3 0x1\n"
           "144000000.000000 148000000.000000 0x2f 5000 100000 0x3 0x1\n"
           "430000000.000000 450000000.000000 0x2f 5000 50000 0x3 0x1\n"
           "0 0 0 0 0 0 0\n"
           // tuning steps the keys use
           "0x2 10\n"
           "0x2f 100\n"
           "0x2f 10000\n"
           "0x20 12500\n"
           "0x2f 1000000\n"
           "0 0\n"
           // filters: the normal width of each mode first
           "0xc 2400\n"
           "0xc 1000\n"
           "0xc 3400\n"
           "0x2 600\n"
           "0x2 50\n"
           "0x2 2500\n"
           "0x1 6000\n"
           "0x20 10000\n"
           "0x20 15000\n"
           "0 0\n"
           "0\n"           // largest RIT
           "0\n"           // largest XIT
           "0\n"           // largest IF shift
           "0\n"           // announces
           "\n"            // preamp steps: none to choose
           "\n"            // attenuator steps
           "0x0\n"         // functions read
           "0x0\n"         // functions set
           "0x40001000\n"  // levels read: STRENGTH, RFPOWER
           "0x1000\n"      // levels set: RFPOWER
           "0x0\n"         // parameters read
           "0x0\n"         // parameters set
           "vfo_ops=0x0\n"
           "ptt_type=0x1\n"  // PTT by command
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
           "rigctld_version=Rigvox 3.4a\n"
           "done\n";
}
