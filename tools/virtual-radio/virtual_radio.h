// A Kenwood transceiver in software, answering CAT text commands the way the
// radios Rigvox drives do. Pure logic: bytes in, answers out, no I/O, no clock,
// so unit tests can put it behind the fake serial port and the virtual-radio
// executable can serve it on a pseudo-terminal.
#pragma once

#include <cstdint>
#include <deque>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace vradio {

// Which radio is simulated. The model number is answered to "ID" as three
// digits; the reduced-feature radio (a model 020 that answers "OM" with
// "OMQC;") has no extended menu, no filter and no CTCSS commands and reads its
// S-meter with "SM" + 3 digits.
struct ModelSpec {
    int id = 23;           // 19..24
    bool reduced = false;  // only with id 20
    std::string firmware = "1.00";  // "FV" answer, d.dd

    // How the keyer takes CW text ("KY"): the TS-590S (021) right-aligns it in
    // 24 characters after "KY "; the TS-890S (024) and the TS-990S (022) from
    // firmware 1.10 take "KY2" and the text as it is; the others "KY " and the
    // text padded to 24; the reduced-feature radio none.
    bool bareCwText() const { return id == 24 || (id == 22 && firmware >= "1.10"); }

    // Models 022 and 024 number their meters 1 ALC, 2 SWR, 3 COMP and switch
    // one on with "RMn1"; the others number them 1 SWR, 2 COMP, 3 ALC and
    // select one with "RMn".
    bool switchedMeters() const { return id == 22 || id == 24; }
    int swrMeter() const { return switchedMeters() ? 2 : 1; }
    int compMeter() const { return switchedMeters() ? 3 : 2; }
    int alcMeter() const { return switchedMeters() ? 1 : 3; }
    // Models 021 and 023 answer "RM" with all three meters, in number order.
    bool allMetersAtOnce() const { return id == 21 || id == 23; }

    // Model 024 numbers its menu with five digits, every other with three.
    bool fiveDigitMenu() const { return id == 24; }
    // Model 022 (TS-990S) puts the VFO digit "0" before the tone number of
    // "TN" and "CN"; every other model takes the two digits alone.
    bool vfoDigitTones() const { return id == 22; }
    // "019" .. "024", "020qc" for the reduced-feature radio.
    std::string name() const;
};

// Reads a firmware version "d.dd" into spec; false (spec unchanged) for
// anything else.
bool parseFirmware(std::string_view text, ModelSpec& spec);

// Reads a model name: "019".."024" (or "19".."24"), and "020qc" / "20qc" for
// the reduced-feature radio, letters in any case. On success fills spec and
// returns true; otherwise leaves spec unchanged and returns false.
bool parseModel(std::string_view text, ModelSpec& spec);

// Everything the radio remembers. Values are kept in the radio's own terms:
// mode is the MD digit (1 LSB, 2 USB, 3 CW, 4 FM, 5 AM), levels are the
// numbers of their commands.
struct RadioState {
    bool powered = true;          // PS1 on; PS0 or PS9 off (then only PS is answered)
    bool silent = false;          // reads and discards everything (link cut)
    long long vfoA = 14200000;    // FA, Hz
    long long vfoB = 7100000;     // FB, Hz
    // A dial being turned: the values still to pass, one taken by each
    // query of that VFO, so every one is seen once whatever the timing.
    std::deque<long long> dialA, dialB;
    int mode = 2;                 // MD digit
    int afGain = 100;             // AG0nnn
    int rfGain = 255;             // RGnnn
    int power = 100;              // PCnnn, watts
    int micGain = 50;             // MGnnn
    int keyerSpeed = 20;          // KSnnn, words per minute
    int squelch = 30;             // SQ0nnn
    int nbLevel = 5;              // NLnnn
    int nrLevel = 4;              // RLnn
    int preamp = 0;               // PA0/PA1
    int attenuator = 0;           // RA00/RA01
    int noiseBlanker = 0;         // NB0/NB1
    int noiseReduction = 0;       // NR0/NR1/NR2
    std::string notch = "00";     // NT: on/off digit, then the notch kind
    int processor = 0;            // PR0/PR1
    int vox = 0;                  // VX0/VX1
    int breakIn = 0;              // BI0/BI1
    std::string tuner = "000";    // AC: receive in line, transmit in line, tuning
    int monitor = 7;              // MLnnn (128 on model 022)
    int toneNumber = 8;           // TN (TN0 on model 022), CTCSS encoder tone number 00..42
    int toneSquelchNumber = 8;    // CN (CN0 on model 022), 00..41
    int toneOn = 0;               // CT0/CT1
    int txVfo = 0;                // FT0/FT1/FT2
    int rxVfo = 0;                // FR0/FR1
    int transmit = 0;             // 0 receiving; the TX digit + 1 while sending by command
    bool ptt = false;             // transmitting by the microphone (front panel)
    int highCut = 7;              // SHnn
    int filterWidth = 500;        // FWnnnn
    int meter = 1;                // the meter "RM" reads, by the model's numbers (ModelSpec::swrMeter ...)
    int sMeter = 12;              // 0..30, three steps per S unit
    bool sMeterFixed = false;     // true: sMeter stays where it was put
    int swrCount = 3;             // 0..30 on the meter's scale (6 = 1.5, 12 = 2.0, 18 = 3.0)
    int alcCount = 12;            // 0..30 while transmitting
    std::map<std::string, std::string> menus;  // EX values set so far, by menu number text
    int garble = 0;               // answers spoiled per mille (control "garble N"), 0 = clean line
    std::string cwBuffer;         // CW text taken by "KY" and not yet keyed (24 or fewer leaves room)
    std::string cwKeyed;          // every CW text taken since the start, as the keyer sends it

    bool tuning() const { return tuner.size() == 3 && tuner[2] == '1'; }
    bool transmitting() const { return transmit > 0 || ptt || tuning(); }
};

// What a control line asks of the program around the radio.
enum class ControlResult {
    done,     // applied to the radio
    unknown,  // not understood; nothing changed
    plug,     // connect the cable again
    unplug,   // pull the cable
    quit,     // stop the virtual radio
};

class VirtualRadio {
public:
    explicit VirtualRadio(ModelSpec model = {}, std::uint32_t seed = 1);

    // Takes any piece of incoming bytes, keeps an unfinished command for the
    // next call, and returns the answers to every command completed by ";",
    // in order. Setting commands are taken silently, unknown or malformed
    // ones are answered "?;". Silent: everything is discarded.
    std::string handle(std::string_view bytes);

    // Commands received since the last call, without their ";", oldest first.
    std::vector<std::string> takeReceived();

    // Front-panel actions.
    bool setFrequency(char vfo, long long hz);  // vfo 'A' or 'B'; false when out of range
    void setPowered(bool on);                   // off also ends transmitting and tuning
    void setSilent(bool silent);                // coming back also drops an unfinished command
    void setSMeter(int value);                  // fixed 0..30; negative returns to moving
    void setMenu(std::string_view number, std::string_view value);

    // Applies one control line ("silent", "alive", "freq A 14074000", ...);
    // see the executable's help for the words.
    ControlResult control(std::string_view line);

    // Current value of menu number (as sent: 3 or 5 digits), set or default.
    std::string menuValue(std::string_view number) const;

    const ModelSpec& model() const { return model_; }

    RadioState state;

private:
    std::string answer(const std::string& command);
    std::string answerPowered(std::string_view name, std::string_view params);
    std::string menuCommand(std::string_view params);
    std::string cwTextCommand(std::string_view params);
    std::string meterQuery(std::string_view name, std::string_view params);
    std::string sMeterAnswer();
    std::string meterAnswer(int meter);
    void moveMeters();
    std::uint32_t draw();
    std::string spoil(std::string answer);

    ModelSpec model_;
    std::uint32_t rng_;
    std::string pending_;        // bytes of an unfinished command
    bool overflowed_ = false;    // the unfinished command outgrew its room
    std::string heldBack_;       // tail of a split answer, sent before the next answer
    std::string lastAnswer_;     // an earlier answer, to be run into a later one
    std::vector<std::string> received_;
};

}  // namespace vradio
