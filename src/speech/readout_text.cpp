// The written text of each readout and the road it takes out: the text log,
// the braille display and the screen reader.
#include "speech/readout_text.h"

#include <vector>

#include "base/text.h"
#include "platform/platform.h"
#include "speech/prompts.h"
#include "speech/speech_state.h"

namespace {

// How a written piece joins the one before it.
enum class Join {
    kWord,      // after a blank
    kDigit,     // to a digit or point of the same number, else after a blank
    kPoint,     // "." straight after a digit, else the word "point"
    kAttached,  // with no blank (":1" after the SWR's ratio)
};

struct WrittenForm {
    std::string_view name;     // the prompt, as promptKey gives it
    std::string_view written;  // "" = as the prompt is spoken
    Join join;
};

// Every prompt whose written form is not its spoken words. The band names
// are their numbers; "metres" after them is "m" ("cm" after "70").
constexpr WrittenForm kWrittenForms[] = {
    {"0", "0", Join::kDigit},     {"1", "1", Join::kDigit},        {"2", "2", Join::kDigit},
    {"3", "3", Join::kDigit},     {"4", "4", Join::kDigit},        {"5", "5", Join::kDigit},
    {"6", "6", Join::kDigit},     {"7", "7", Join::kDigit},        {"8", "8", Join::kDigit},
    {"9", "9", Join::kDigit},     {"point", ".", Join::kPoint},    {"160", "160", Join::kWord},
    {"80", "80", Join::kWord},    {"60", "60", Join::kWord},       {"40", "40", Join::kWord},
    {"30", "30", Join::kWord},    {"20", "20", Join::kWord},       {"17", "17", Join::kWord},
    {"15", "15", Join::kWord},    {"12", "12", Join::kWord},       {"10", "10", Join::kWord},
    {"70", "70", Join::kWord},    {"metres", "m", Join::kWord},    {"mhz", "MHz", Join::kWord},
    {"khz", "kHz", Join::kWord},  {"hz", "Hz", Join::kWord},       {"watts", "W", Join::kWord},
    {"wpm", "WPM", Join::kWord},  {"swr", "SWR", Join::kWord},     {"gt6", "over 6", Join::kWord},
    {"21", ":1", Join::kAttached}, {"alc", "ALC", Join::kWord},    {"lsb", "LSB", Join::kWord},
    {"usb", "USB", Join::kWord},  {"cw", "CW", Join::kWord},       {"am", "AM", Join::kWord},
    {"fm", "FM", Join::kWord},    {"tx", "tx", Join::kWord},       {"vfoa", "VFO A", Join::kWord},
    {"vfob", "VFO B", Join::kWord}, {"ctcss", "tone", Join::kWord}, {"dcs", "DCS", Join::kWord},
    {"rf", "RF gain", Join::kWord}, {"ag", "AF gain", Join::kWord}, {"co", "CW offset", Join::kWord},
    {"rigvox", "Rigvox", Join::kWord}, {"space", "space", Join::kWord},
};

const WrittenForm* writtenFormOf(std::string_view name) {
    for (const auto& form : kWrittenForms)
        if (form.name == name) return &form;
    return nullptr;
}

// The text log: each readout's text, one a line, for whoever reads along
// (end-to-end tests, the README's examples). Opened in append mode on the
// first text while RIGVOX_TEXT_LOG names a file; a change of the variable
// reopens it.
constexpr const char* kTextLogVariable = "RIGVOX_TEXT_LOG";
int textLogFile = 0;      // open handle, 0 = none
std::string textLogPath;  // the path it was opened for

void logText(const std::string& text) {
    const std::string path = platEnv(kTextLogVariable);
    if (path != textLogPath) {
        closeTextLog();
        textLogPath = path;
        if (!path.empty()) textLogFile = platFileOpenAppend(path);
    }
    // Written straight through, so a reader sees the line as it goes out.
    if (textLogFile > 0) platFileWrite(textLogFile, text + "\n");
}

}  // namespace

std::string writtenText(std::string_view names) {
    // The names one by one, so that a point can look at what follows it.
    std::vector<std::string_view> list;
    while (!names.empty()) {
        const std::size_t blank = names.find(' ');
        if (blank != 0) list.push_back(names.substr(0, blank));
        names = blank == std::string_view::npos ? std::string_view() : names.substr(blank + 1);
    }
    auto digitAfter = [&list](std::size_t i) {
        while (++i < list.size() && list[i] == "#") {}
        const WrittenForm* form = i < list.size() ? writtenFormOf(list[i]) : nullptr;
        return form && form->join == Join::kDigit;
    };
    std::string text;
    Join last = Join::kWord;   // how the piece before was joined
    bool lastDigit = false;    // the piece before was a digit or a point after one
    bool numberStarts = false; // a "#" came since the last piece
    std::string_view lastName;
    for (std::size_t i = 0; i < list.size(); ++i) {
        const std::string_view name = list[i];
        if (name == "#") {
            numberStarts = true;
            continue;
        }
        const WrittenForm* form = writtenFormOf(name);
        std::string piece = form && !form->written.empty() ? std::string(form->written) : promptWords(name);
        if (piece.empty()) continue;  // "delay" and names without words
        const Join join = form ? form->join : Join::kWord;
        if (name == "metres" && lastName == "70") piece = "cm";
        bool glue = false;
        if (join == Join::kDigit) glue = lastDigit && (!numberStarts || last == Join::kPoint);
        bool pointIsDecimal = false;
        if (join == Join::kPoint) {
            // A frequency under 1 MHz is said from its point: "0.5".
            glue = lastDigit && last == Join::kDigit;
            pointIsDecimal = glue || digitAfter(i);
            if (!pointIsDecimal) piece = "point";
            else if (!glue) piece = "0.";
        }
        if (join == Join::kAttached) glue = true;
        if (!text.empty() && !glue) text += ' ';
        text += piece;
        lastDigit = join == Join::kDigit || pointIsDecimal;
        last = join == Join::kPoint && !pointIsDecimal ? Join::kWord : join;
        lastName = name;
        numberStarts = false;
    }
    return text;
}

void collectReadout(std::string_view key) {
    auto& V = speechState;
    // Room for the whole help, which the screen reader gets as one text; a
    // longer run goes out in pieces rather than cut short.
    constexpr std::size_t kReadoutNamesCapacity = 4096;
    if (V.readoutNames.size() + key.size() + 1 > kReadoutNamesCapacity) finishReadout();
    if (!V.readoutNames.empty()) V.readoutNames += ' ';
    V.readoutNames += key;
}

void markNumberStart() { collectReadout("#"); }

void finishReadout() {
    auto& V = speechState;
    if (V.readoutNames.empty()) return;
    const std::string text = writtenText(V.readoutNames);
    V.readoutNames.clear();
    if (text.empty()) return;
    logText(text);
    if (V.accessOpen == 1) platAccessReadout(text);
}

void givePanelLine(const std::string& line) {
    auto& V = speechState;
    if (V.accessOpen != 1 || line == V.panelLine) return;
    V.panelLine = line;
    platAccessPanel(line);
}

void closeTextLog() {
    if (textLogFile > 0) platFileClose(textLogFile);
    textLogFile = 0;
    textLogPath.clear();
}
