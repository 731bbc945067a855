// The virtual radio's command interpreter: framing, the Kenwood command set
// Rigvox uses, the moving meters and the front-panel control words.
#include "virtual_radio.h"

#include <cctype>

namespace vradio {

namespace {

constexpr std::size_t kMaxCommand = 255;    // longer commands are refused whole
constexpr std::size_t kMaxReceived = 10000; // log entries kept when nobody takes them
constexpr std::size_t kMaxMenuValue = 16;   // longest EX value accepted
constexpr long long kMaxHz = 99999999999LL; // 11 digits
constexpr int kTuneStartSwr = 18;           // SWR count when the tuner starts (3.0)
constexpr std::size_t kCwPiece = 24;        // characters of one "KY" text
constexpr std::size_t kCwBufferRoom = 24;   // a buffer holding no more than this takes another piece
constexpr int kHighestTone = 42;            // TN 00..42, CN 00..41
const std::string kError = "?;";

// value as exactly width digits: negative gives zeros, too wide gives nines,
// so an answer never outgrows its field.
std::string pad(long long value, int width) {
    if (value < 0) value = 0;
    std::string digits = std::to_string(value);
    if (static_cast<int>(digits.size()) > width) return std::string(width, '9');
    return std::string(width - digits.size(), '0') + digits;
}

bool isDigits(std::string_view text) {
    if (text.empty()) return false;
    for (char c : text)
        if (c < '0' || c > '9') return false;
    return true;
}

// Value of a digit text of at most 18 digits (callers check isDigits).
long long digitsValue(std::string_view text) {
    long long value = 0;
    for (char c : text) value = value * 10 + (c - '0');
    return value;
}

// Reads a whole decimal number (optionally negative) that fills the text.
bool readInt(std::string_view text, long long& value) {
    bool negative = !text.empty() && text[0] == '-';
    if (negative) text.remove_prefix(1);
    if (!isDigits(text) || text.size() > 15) return false;
    value = negative ? -digitsValue(text) : digitsValue(text);
    return true;
}

std::string lower(std::string_view text) {
    std::string out(text);
    for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

std::vector<std::string> words(std::string_view line) {
    std::vector<std::string> out;
    std::size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && std::isspace(static_cast<unsigned char>(line[i]))) ++i;
        std::size_t start = i;
        while (i < line.size() && !std::isspace(static_cast<unsigned char>(line[i]))) ++i;
        if (i > start) out.emplace_back(line.substr(start, i - start));
    }
    return out;
}

// A level with a fixed-width number, after an optional fixed digit (the "0"
// of AG0 and SQ0): the form without the number is the query, answered with
// the same letters and the number; the form with it sets the level.
std::string levelCommand(std::string_view name, std::string_view fixed, std::string_view params,
                         std::size_t width, int low, int high, int& field) {
    if (params.substr(0, fixed.size()) != fixed) return kError;
    std::string_view number = params.substr(fixed.size());
    if (number.empty())
        return std::string(name) + std::string(fixed) + pad(field, static_cast<int>(width)) + ";";
    if (number.size() != width || !isDigits(number)) return kError;
    long long value = digitsValue(number);
    if (value < low || value > high) return kError;
    field = static_cast<int>(value);
    return "";
}

// A one-digit switch: bare is the query, one digit 0..high sets it.
std::string switchCommand(std::string_view name, std::string_view params, int high, int& field) {
    if (params.empty()) return std::string(name) + std::to_string(field) + ";";
    if (params.size() != 1 || !isDigits(params) || params[0] - '0' > high) return kError;
    field = params[0] - '0';
    return "";
}

// Functions the reduced-feature radio does not have: the extended menu, the
// filter and the CTCSS tone.
bool reducedRadioLacks(std::string_view name) {
    return name == "EX" || name == "SH" || name == "FW" || name == "TN" || name == "CN" ||
           name == "CT" || name == "KY" || name == "FV";
}

}  // namespace

std::string ModelSpec::name() const {
    return pad(id, 3) + (reduced ? "qc" : "");
}

bool parseFirmware(std::string_view text, ModelSpec& spec) {
    if (text.size() != 4 || text[1] != '.' || !isDigits(text.substr(0, 1)) || !isDigits(text.substr(2)))
        return false;
    spec.firmware = std::string(text);
    return true;
}

bool parseModel(std::string_view text, ModelSpec& spec) {
    std::string t = lower(text);
    bool reduced = false;
    if (t.size() > 2 && t.substr(t.size() - 2) == "qc") {
        reduced = true;
        t.resize(t.size() - 2);
    }
    if (!isDigits(t) || t.size() > 3) return false;
    long long id = digitsValue(t);
    if (id < 19 || id > 24) return false;
    if (reduced && id != 20) return false;
    spec.id = static_cast<int>(id);
    spec.reduced = reduced;
    return true;
}

VirtualRadio::VirtualRadio(ModelSpec model, std::uint32_t seed) : model_(model), rng_(seed) {
    if (model_.id == 22) state.monitor = 128;  // that radio's monitor runs 0..255
}

std::string VirtualRadio::handle(std::string_view bytes) {
    std::string out;
    if (state.silent) return out;
    for (char c : bytes) {
        if (c == '\r' || c == '\n') continue;  // line ends some programs add mean nothing here
        if (c != ';') {
            if (pending_.size() < kMaxCommand)
                pending_ += c;
            else
                overflowed_ = true;
            continue;
        }
        std::string command;
        command.swap(pending_);
        bool tooLong = overflowed_;
        overflowed_ = false;
        if (command.empty() && !tooLong) continue;  // a stray ";" is only framing
        if (received_.size() >= kMaxReceived)
            received_.erase(received_.begin(), received_.begin() + kMaxReceived / 2);
        received_.push_back(command);
        // The keyer sends a character in about the time a command takes to
        // come in: the buffer drains as commands arrive.
        if (!state.cwBuffer.empty()) state.cwBuffer.erase(0, 1);
        if (tooLong) {
            if (state.powered) out += kError;
            continue;
        }
        out += spoil(answer(command));
    }
    return out;
}

// A bad line or a confused radio: with state.garble per mille, an answer is
// replaced by noise, cut short, split (its tail comes before the next
// answer), made overlong, run into another answer, repeated, or has some of
// its characters hit. Hit characters never become digits or ";", so a
// spoiled frequency answer never reads as another valid frequency.
std::string VirtualRadio::spoil(std::string answer) {
    if (answer.empty() || state.garble <= 0) return answer;
    std::string out;
    out.swap(heldBack_);
    if (draw() % 1000 >= static_cast<std::uint32_t>(state.garble)) {
        lastAnswer_ = answer;
        return out + answer;
    }
    const std::size_t size = answer.size();
    const std::size_t inner = size > 1 ? size - 1 : 1;  // cut points inside the answer
    auto at = [&](std::size_t n) { return static_cast<std::size_t>(draw() % n); };
    switch (draw() % 7) {
    case 0: {  // noise: any bytes, now and then a ";"
        std::size_t n = 1 + at(40);
        for (std::size_t i = 0; i < n; ++i)
            out += at(8) == 0 ? ';' : static_cast<char>(draw() & 0xff);
        break;
    }
    case 1:  // cut short: the rest never comes
        out += answer.substr(0, 1 + at(inner));
        break;
    case 2: {  // split: the rest comes with the next answer
        std::size_t cut = 1 + at(inner);
        out += answer.substr(0, cut);
        heldBack_ = answer.substr(cut);
        break;
    }
    case 3: {  // overlong: the letters, then hundreds of digits
        out += answer.substr(0, 2);
        std::size_t n = 256 + at(768);
        for (std::size_t i = 0; i < n; ++i) out += static_cast<char>('0' + draw() % 10);
        out += ';';
        break;
    }
    case 4: {  // run together: an earlier answer inside this one
        std::size_t cut = 1 + at(inner);
        out += answer.substr(0, cut) + (lastAnswer_.empty() ? "?;" : lastAnswer_) + answer.substr(cut);
        break;
    }
    case 5:  // repeated
        out += answer + answer;
        break;
    default: {  // hit characters
        static const char kHits[] = {'?', '#', 'x', 'Z', '\0', '\x7f', '\x80', '\xff', '\r', '\n'};
        std::size_t hits = 1 + at(3);
        for (std::size_t i = 0; i < hits; ++i) answer[at(size)] = kHits[at(sizeof kHits)];
        out += answer;
        break;
    }
    }
    lastAnswer_ = answer;
    return out;
}

std::vector<std::string> VirtualRadio::takeReceived() {
    std::vector<std::string> out;
    out.swap(received_);
    return out;
}

std::string VirtualRadio::answer(const std::string& command) {
    if (command == "Poweron") return "";  // wake-up text for sleeping radios; never answered
    std::string_view name = std::string_view(command).substr(0, 2);
    std::string_view params = std::string_view(command).substr(name.size());
    if (name == "PS") {
        // Power: the one command a switched-off radio still listens to.
        if (params.empty()) return state.powered ? "PS1;" : "PS0;";
        if (params == "1" || params == "0" || params == "9") {
            setPowered(params == "1");
            return "";
        }
        return state.powered ? kError : "";
    }
    if (!state.powered) return "";
    if (command.size() < 2) return kError;
    if (model_.reduced && reducedRadioLacks(name)) return kError;
    return answerPowered(name, params);
}

std::string VirtualRadio::answerPowered(std::string_view name, std::string_view params) {
    RadioState& s = state;
    if (name == "FA" || name == "FB") {
        long long& vfo = name == "FA" ? s.vfoA : s.vfoB;
        std::deque<long long>& dial = name == "FA" ? s.dialA : s.dialB;
        if (params.empty()) {
            if (!dial.empty()) {
                vfo = dial.front();
                dial.pop_front();
            }
            return std::string(name) + pad(vfo, 11) + ";";
        }
        if (params.size() != 11 || !isDigits(params) || digitsValue(params) == 0) return kError;
        vfo = digitsValue(params);
        dial.clear();  // a setting stops the turning
        return "";
    }
    if (name == "MD") {
        if (params.empty()) return "MD" + std::to_string(s.mode) + ";";
        if (params.size() != 1 || params[0] < '1' || params[0] > '9') return kError;
        s.mode = params[0] - '0';
        return "";
    }
    if (name == "IF" && params.empty()) {
        // The radio's status in one answer, as a TS-590 gives it: frequency,
        // five blanks, RIT/XIT offset and switches, memory channel, receive or
        // transmit, mode, VFO, scan, split, tone and tone number, shift.
        const bool split = s.txVfo != s.rxVfo;
        return "IF" + pad(s.rxVfo == 1 ? s.vfoB : s.vfoA, 11) + "     " + "+0000" + "00" + "000" +
               (s.transmitting() ? "1" : "0") + std::to_string(s.mode) + std::to_string(s.rxVfo) + "0" +
               (split ? "1" : "0") + std::to_string(s.toneOn) + pad(s.toneNumber, 2) + "0;";
    }
    // Auto-information (answers sent unasked) is never switched on here.
    if (name == "AI") return params.empty() ? "AI0;" : params == "0" ? "" : kError;
    // Data mode (the TS-590SG's DA) is never on here.
    if (name == "DA") return params.empty() ? "DA0;" : params == "0" ? "" : kError;
    if (name == "FT") return switchCommand(name, params, 2, s.txVfo);
    if (name == "FR") return switchCommand(name, params, 2, s.rxVfo);
    if (name == "TX") {
        // TX (or TX0) from the microphone line, TX1 data, TX2 the tune carrier.
        if (params.empty()) {
            s.transmit = 1;
            return "";
        }
        if (params.size() != 1 || params[0] < '0' || params[0] > '2') return kError;
        s.transmit = params[0] - '0' + 1;
        return "";
    }
    if (name == "RX") {
        if (!params.empty() && (params.size() != 1 || !isDigits(params))) return kError;
        s.transmit = 0;
        return "";
    }
    if (name == "SH") return levelCommand(name, "", params, 2, 0, 99, s.highCut);
    if (name == "FW") return levelCommand(name, "", params, 4, 0, 9999, s.filterWidth);
    if (name == "AG") return levelCommand(name, "0", params, 3, 0, 255, s.afGain);
    if (name == "RG") return levelCommand(name, "", params, 3, 0, 255, s.rfGain);
    if (name == "MG") return levelCommand(name, "", params, 3, 0, 255, s.micGain);
    if (name == "PC") return levelCommand(name, "", params, 3, 5, 200, s.power);
    if (name == "SQ") return levelCommand(name, "0", params, 3, 0, 255, s.squelch);
    if (name == "NL") return levelCommand(name, "", params, 3, 0, 255, s.nbLevel);
    if (name == "RL") return levelCommand(name, "", params, 2, 0, 99, s.nrLevel);
    if (name == "ML") return levelCommand(name, "", params, 3, 0, 255, s.monitor);
    if (name == "KS") {
        // The speed is three digits; a two-digit setting is taken as well.
        if (params.empty()) return "KS" + pad(s.keyerSpeed, 3) + ";";
        if ((params.size() != 2 && params.size() != 3) || !isDigits(params)) return kError;
        long long wpm = digitsValue(params);
        if (wpm < 4 || wpm > 60) return kError;
        s.keyerSpeed = static_cast<int>(wpm);
        return "";
    }
    if (name == "PA") return switchCommand(name, params, 1, s.preamp);
    if (name == "RA") {
        if (params.empty()) return "RA" + pad(s.attenuator, 2) + ";";
        if (params != "00" && params != "01") return kError;
        s.attenuator = params[1] - '0';
        return "";
    }
    if (name == "NB") return switchCommand(name, params, 2, s.noiseBlanker);
    if (name == "NR") return switchCommand(name, params, 2, s.noiseReduction);
    if (name == "PR") return switchCommand(name, params, 1, s.processor);
    if (name == "VX") return switchCommand(name, params, 1, s.vox);
    if (name == "BI") return switchCommand(name, params, 1, s.breakIn);
    if (name == "NT") {
        if (params.empty()) return "NT" + s.notch + ";";
        if (params.size() > 2 || !isDigits(params) || params[0] > '1') return kError;
        s.notch[0] = params[0];
        if (params.size() == 2) s.notch[1] = params[1];
        return "";
    }
    if (name == "AC") {
        if (params.empty()) return "AC" + s.tuner + ";";
        if (params.size() != 3) return kError;
        for (char c : params)
            if (c != '0' && c != '1') return kError;
        if (params[2] == '1' && !s.tuning()) s.swrCount = kTuneStartSwr;
        s.tuner = std::string(params);
        return "";
    }
    if (name == "CA") {
        // Automatic CW zero-beat: done at once, so the query always reads off.
        if (params.empty()) return "CA0;";
        if (params.size() > 2 || !isDigits(params)) return kError;
        return "";
    }
    if (name == "TN" || name == "CN") {
        // The TS-990S names the receiver first ("TN0" + number, "TN0" reads);
        // the others take the number alone. Each refuses the other's form.
        std::string_view vfo = model_.vfoDigitTones() ? "0" : "";
        if (params.substr(0, vfo.size()) != vfo) return kError;
        std::string_view number = params.substr(vfo.size());
        int& tone = name == "TN" ? s.toneNumber : s.toneSquelchNumber;
        if (number.empty()) return std::string(name) + std::string(vfo) + pad(tone, 2) + ";";
        // Tone numbers run 00..42; the last (1750 Hz) has no tone squelch.
        const long long highest = name == "TN" ? kHighestTone : kHighestTone - 1;
        if (number.size() != 2 || !isDigits(number) || digitsValue(number) > highest) return kError;
        tone = static_cast<int>(digitsValue(number));
        return "";
    }
    if (name == "CT") return switchCommand(name, params, 1, s.toneOn);
    if (name == "EX") return menuCommand(params);
    if (name == "KY") return cwTextCommand(params);
    if (name == "FV") return params.empty() ? "FV" + model_.firmware + ";" : kError;
    if (name == "SM" || name == "RM" || name == "SW") return meterQuery(name, params);
    if (name == "ID") return params.empty() ? "ID" + pad(model_.id, 3) + ";" : kError;
    if (name == "OM") return params.empty() && model_.reduced ? "OMQC;" : kError;
    if (name == "VN") return params.empty() ? "VN1.00;" : kError;
    return kError;
}

// Three-digit menus: read "EX" nnn "0000", set "EX" nnn "0000" value.
// Five-digit menus (model 024): read "EX" nnnnn " " (the blank may be left
// out), set "EX" nnnnn " " value. The read answer is the read form followed
// by the value.
std::string VirtualRadio::menuCommand(std::string_view params) {
    std::size_t digits = model_.fiveDigitMenu() ? 5 : 3;
    std::string_view separator = model_.fiveDigitMenu() ? " " : "0000";
    std::string_view number = params.substr(0, digits);
    if (number.size() != digits || !isDigits(number)) return kError;
    std::string_view rest = params.substr(digits);
    if (model_.fiveDigitMenu() && rest.empty()) rest = separator;
    if (rest.substr(0, separator.size()) != separator) return kError;
    std::string_view value = rest.substr(separator.size());
    if (value.empty())
        return "EX" + std::string(number) + std::string(separator) + menuValue(number) + ";";
    if (value.size() > kMaxMenuValue) return kError;
    state.menus[std::string(number)] = std::string(value);
    return "";
}

// "KY" reads whether the keyer buffer has room: "KY0" (empty, or room on
// the models with the bare form), "KY2" (sending, room left; bare-form
// models), "KY1" (full). "KY0" as a command stops and empties the buffer.
// Text goes in only in the model's own form and only while there is room.
std::string VirtualRadio::cwTextCommand(std::string_view params) {
    RadioState& s = state;
    const bool bare = model_.bareCwText();
    if (params.empty()) {
        if (s.cwBuffer.size() > kCwBufferRoom) return "KY1;";
        return bare && !s.cwBuffer.empty() ? "KY2;" : "KY0;";
    }
    if (params == "0") {
        s.cwBuffer.clear();
        return "";
    }
    std::string text;
    if (bare) {
        if (params[0] != '2' || params.size() < 2 || params.size() > kCwPiece + 1) return kError;
        text = std::string(params.substr(1));
    } else {
        if (params[0] != ' ' || params.size() != kCwPiece + 1) return kError;
        text = std::string(params.substr(1));
        // The TS-590S takes the text right-aligned in the field, the others
        // left-aligned; the field's blanks key as one word gap.
        const bool right = model_.id == 21;
        if (text.find_first_not_of(' ') == std::string::npos) return kError;  // no text at all
        if (right ? text.back() == ' ' : text.front() == ' ') return kError;  // the other alignment
        if (right) {
            const std::size_t first = text.find_first_not_of(' ');
            text = (first > 0 ? " " : "") + text.substr(first);
        } else if (text.back() == ' ') {
            text.erase(text.find_last_not_of(' ') + 1);
            text += ' ';
        }
    }
    for (char c : text)
        if (c < ' ' || c > 'Z' || c == ';') return kError;
    if (s.cwBuffer.size() > kCwBufferRoom) return kError;  // full: nothing goes in
    s.cwBuffer += text;
    s.cwKeyed += text;
    return "";
}

std::string VirtualRadio::menuValue(std::string_view number) const {
    auto found = state.menus.find(std::string(number));
    if (found != state.menus.end()) return found->second;
    // Factory setting: the menu number's last digit, three digits wide on the
    // five-digit radio as it writes its values.
    int last = number.empty() ? 0 : number.back() - '0';
    if (last < 0 || last > 9) last = 0;
    return model_.fiveDigitMenu() ? pad(last, 3) : std::to_string(last);
}

void VirtualRadio::setMenu(std::string_view number, std::string_view value) {
    state.menus[std::string(number)] = std::string(value);
}

// SM0 (SM on the reduced-feature radio) reads the S-meter. RM reads the
// meters in the model's form: all three at once on 021 and 023, otherwise the
// selected one. "RMn" selects meter n silently; on 022 and 024 "RMn1"
// switches it on instead (and "RMn0" off, which leaves the one read as it
// is). SW reads the SWR on the reduced-feature radio, in the RM1 form.
std::string VirtualRadio::meterQuery(std::string_view name, std::string_view params) {
    if (name == "SM") {
        if (model_.reduced ? !params.empty() : params != "0") return kError;
        moveMeters();
        return sMeterAnswer();
    }
    if (name == "SW") {
        if (!model_.reduced || !params.empty()) return kError;
        moveMeters();
        return meterAnswer(model_.swrMeter());
    }
    if (params.empty()) {
        moveMeters();
        if (!model_.allMetersAtOnce()) return meterAnswer(state.meter);
        return meterAnswer(1) + meterAnswer(2) + meterAnswer(3);
    }
    const bool switched = model_.switchedMeters();
    if (params.size() != (switched ? 2u : 1u) || params[0] < '1' || params[0] > '3') return kError;
    if (switched && params[1] != '0' && params[1] != '1') return kError;
    if (!switched || params[1] == '1') state.meter = params[0] - '0';
    return "";
}

std::string VirtualRadio::sMeterAnswer() {
    int s = state.sMeter;
    // The reduced-feature radio counts 0..90 in three digits, model 020 reads
    // 0..20 (S9+ at 20), the others 0..30.
    if (model_.reduced) return "SM" + pad(s * 3, 3) + ";";
    if (model_.id == 20) return "SM0" + pad(s * 2 / 3, 4) + ";";
    return "SM0" + pad(s, 4) + ";";
}

std::string VirtualRadio::meterAnswer(int meter) {
    int value = 0;
    if (state.transmitting()) {
        if (meter == model_.swrMeter()) value = state.swrCount;
        if (meter == model_.compMeter()) value = state.processor ? 10 : 0;
        if (meter == model_.alcMeter()) value = state.alcCount;
    }
    return "RM" + std::to_string(meter) + pad(value, 4) + ";";
}

// One step of the meters per reading: the S-meter wanders slowly, the ALC
// follows the voice while transmitting, and a running tuner brings the SWR
// down a count per reading until it is matched.
void VirtualRadio::moveMeters() {
    if (!state.sMeterFixed) {
        std::uint32_t r = draw() % 8;
        if (r == 0 && state.sMeter > 0) --state.sMeter;
        if (r == 1 && state.sMeter < 30) ++state.sMeter;
    }
    if (state.transmitting()) {
        int step = static_cast<int>(draw() % 7) - 3;
        state.alcCount += step;
        if (state.alcCount < 2) state.alcCount = 2;
        if (state.alcCount > 28) state.alcCount = 28;
    }
    if (state.tuning() && state.swrCount > 1) --state.swrCount;
}

std::uint32_t VirtualRadio::draw() {
    rng_ = rng_ * 1664525u + 1013904223u;
    return rng_ >> 16;
}

bool VirtualRadio::setFrequency(char vfo, long long hz) {
    if (hz <= 0 || hz > kMaxHz) return false;
    if (vfo == 'A' || vfo == 'a')
        state.vfoA = hz;
    else if (vfo == 'B' || vfo == 'b')
        state.vfoB = hz;
    else
        return false;
    return true;
}

void VirtualRadio::setPowered(bool on) {
    state.powered = on;
    if (on) return;
    // Switching off ends any transmission and tuning.
    state.transmit = 0;
    state.ptt = false;
    state.tuner[2] = '0';
}

void VirtualRadio::setSilent(bool silent) {
    // Bytes went missing while silent, so a half command from before would
    // join the next one into garbage.
    if (state.silent && !silent) {
        pending_.clear();
        overflowed_ = false;
    }
    state.silent = silent;
}

void VirtualRadio::setSMeter(int value) {
    if (value < 0) {
        state.sMeterFixed = false;
        return;
    }
    state.sMeter = value > 30 ? 30 : value;
    state.sMeterFixed = true;
}

ControlResult VirtualRadio::control(std::string_view line) {
    std::vector<std::string> w = words(line);
    if (w.empty() || w[0][0] == '#') return ControlResult::done;
    std::string word = lower(w[0]);
    long long n = 0;
    auto onOff = [&](bool& target) {
        if (w.size() != 2) return ControlResult::unknown;
        std::string v = lower(w[1]);
        if (v != "on" && v != "off") return ControlResult::unknown;
        target = v == "on";
        return ControlResult::done;
    };
    if (w.size() == 1) {
        if (word == "silent") setSilent(true);
        else if (word == "alive") setSilent(false);
        else if (word == "plug") return ControlResult::plug;
        else if (word == "unplug") return ControlResult::unplug;
        else if (word == "quit") return ControlResult::quit;
        else return ControlResult::unknown;
        return ControlResult::done;
    }
    if (word == "freq") {
        // "freq 14074000" turns VFO A, "freq B 7050000" the named one.
        char vfo = 'A';
        std::size_t at = 1;
        if (w.size() == 3) {
            std::string v = lower(w[1]);
            if (v != "a" && v != "b") return ControlResult::unknown;
            vfo = static_cast<char>(std::toupper(v[0]));
            at = 2;
        }
        if (w.size() > 3 || !readInt(w[at], n) || !setFrequency(vfo, n))
            return ControlResult::unknown;
        return ControlResult::done;
    }
    if (word == "dial" && w.size() >= 2) {
        // "dial [A|B] HZ HZ ...": the named VFO (A by default) passes each
        // value in turn, one per query of it; the last one stays.
        std::size_t at = 1;
        char vfo = 'A';
        std::string v = lower(w[1]);
        if (v == "a" || v == "b") {
            vfo = static_cast<char>(std::toupper(v[0]));
            at = 2;
        }
        std::deque<long long> values;
        for (; at < w.size(); ++at) {
            if (!readInt(w[at], n) || n <= 0 || n > kMaxHz) return ControlResult::unknown;
            values.push_back(n);
        }
        if (values.empty()) return ControlResult::unknown;
        (vfo == 'A' ? state.dialA : state.dialB) = values;
        return ControlResult::done;
    }
    if (word == "power") {
        bool on = state.powered;
        ControlResult r = onOff(on);
        if (r == ControlResult::done) setPowered(on);
        return r;
    }
    if (word == "ptt") return onOff(state.ptt);
    if (word == "smeter" && w.size() == 2) {
        if (lower(w[1]) == "auto") {
            setSMeter(-1);
            return ControlResult::done;
        }
        if (!readInt(w[1], n) || n < 0 || n > 30) return ControlResult::unknown;
        setSMeter(static_cast<int>(n));
        return ControlResult::done;
    }
    if (word == "firmware" && w.size() == 2) {
        ModelSpec spec = model_;
        if (!parseFirmware(w[1], spec)) return ControlResult::unknown;
        model_ = spec;
        return ControlResult::done;
    }
    if (word == "garble" && w.size() == 2) {
        if (!readInt(w[1], n) || n < 0 || n > 1000) return ControlResult::unknown;
        state.garble = static_cast<int>(n);
        if (n == 0) heldBack_.clear();
        return ControlResult::done;
    }
    if ((word == "swr" || word == "alc") && w.size() == 2) {
        if (!readInt(w[1], n) || n < 0 || n > 30) return ControlResult::unknown;
        (word == "swr" ? state.swrCount : state.alcCount) = static_cast<int>(n);
        return ControlResult::done;
    }
    if (word == "mode" && w.size() == 2) {
        if (!readInt(w[1], n) || n < 1 || n > 9) return ControlResult::unknown;
        state.mode = static_cast<int>(n);
        return ControlResult::done;
    }
    if (word == "menu" && w.size() == 3) {
        std::size_t digits = model_.fiveDigitMenu() ? 5 : 3;
        if (w[1].size() != digits || !isDigits(w[1]) || w[2].size() > kMaxMenuValue ||
            w[2].find(';') != std::string::npos)
            return ControlResult::unknown;
        setMenu(w[1], w[2]);
        return ControlResult::done;
    }
    return ControlResult::unknown;
}

}  // namespace vradio
