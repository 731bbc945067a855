// Offline simulator: canned answers from the program's own state.
#include "session/simulator.h"

#include <cstdint>

#include "base/text.h"
#include "link/cat_state.h"
#include "platform/platform.h"
#include "radio/models.h"
#include "radio/radio_state.h"

namespace {

// State of the linear congruential generator; seeded once at start-up.
std::uint32_t randomState = 0;

// The canned answers by the command's two letters.
struct CannedAnswer {
    const char* letters;
    const char* answer;
};
constexpr CannedAnswer kCannedAnswers[] = {
    {"AG", "AG090;"}, {"SQ", "SQ0050;"}, {"NL", "NL005;"}, {"RL", "RL08;"},  {"ID", "ID020;"},
    {"OM", "OMQC;"},  {"NR", "NR1"},     {"PR", "PR1"},    {"VX", "VX1"},    {"ML", "ML009"},
    {"VN", "VN--FW--;"},
};

constexpr int kAlcDrawRange = 30;  // the ALC reading drawn lies in 0..30

}  // namespace

void seedSimulator() { randomState = static_cast<std::uint32_t>(platTickMs() / 2); }

double simulatorRandom() {
    // 32-bit wrap-around is the generator's modulus.
    randomState = randomState * 214013u + 2531011u;
    return static_cast<double>((randomState >> 16) & 32767u) / 32768.0;
}

std::string simulatedAnswer(std::string_view command) {
    const auto& C = catState;
    const auto& R = radioState;
    const std::string letters = leftText(command, 2);
    std::string answer;
    if (letters == "FA") {
        // The frequency set last, as the radio would report it, without its ";".
        answer = leftText(C.lastFreqCmd, static_cast<int>(C.lastFreqCmd.size()) - 1);
    } else if (letters == "EX") {
        answer = leftText(command, 9) + "19.3;";
    } else if (letters == "MD") {
        answer = "MD" + plainNumber(R.mode);
    } else {
        for (const CannedAnswer& canned : kCannedAnswers)
            if (letters == canned.letters) answer = canned.answer;
    }
    return answer;
}

std::string simulatePollReply() {
    const auto& C = catState;
    const auto& R = radioState;
    std::string answer;
    // pollSelect has already flipped: 1 means the frequency was asked last.
    if (C.pollSelect == 1) answer = C.lastFreqCmd;
    if (C.pollSelect == 0 && R.tuning == 0) answer = reducedFeatureRadio() ? "SM048" : "SM00014";
    const std::string swr = meterLetters(kMeterSwr) + "0050";
    if (C.pollSelect == 0 && R.tuning == 1) answer = swr;
    if (C.pollSelect == 0 && R.alcAnnounce > 0) {
        // An SWR reading followed by an ALC reading of 0 to 30.
        const int n = roundToInt(kAlcDrawRange * simulatorRandom());
        answer = swr + ";" + meterLetters(kMeterAlc) + "00" + zeroPad(n, 2);
    }
    return answer;
}
