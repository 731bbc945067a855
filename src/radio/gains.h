// Gains and levels: their limits, format and send.
#pragma once

#include <string_view>

// The limits every path holds a level to: the keys' steps and a network
// client's settings alike.
constexpr int kGainTop = 255;        // AF and RF gain, squelch: 0..255
constexpr int kMicGainTop = 120;     // microphone gain 0..120
constexpr int kKeyerSlowest = 4;     // keyer speed, words per minute
constexpr int kKeyerFastest = 60;
constexpr int kNoiseLevelTop = 10;   // noise blanker and noise reduction levels 0..10
constexpr int kPowerFloor = 5;       // watts

// The level fields, in the commands that set them and in the answers: the
// letters, then the value's digits.
constexpr int kLevelDigits = 3;          // "MG", "AG0", "RG", "SQ0", "NL", "PC"
constexpr int kNrLevelDigits = 2;        // "RL"
constexpr int kMicGainReplyOffset = 2;   // "MG" answer
constexpr int kSquelchReplyOffset = 3;   // "SQ0" answer
constexpr int kNbLevelReplyOffset = 2;   // "NL" answer
constexpr int kNrLevelReplyOffset = 2;   // "RL" answer
// The "KS" answer has three digits, though "KS0" sets two.
constexpr int kKeyerReplyOffset = 2;
constexpr int kKeyerReplyDigits = 3;

// The top of the power range: a quarter of the ceiling in AM, where the
// carrier is the average power.
int powerTop();
// watts held within kPowerFloor..powerTop().
int heldPower(int watts);
// Holds txPower and powerCeiling to the connected model's (rigModel's) top
// power. True when either was above it.
bool holdPowerToModel();
// wpm held within kKeyerSlowest..kKeyerFastest.
int heldKeyerSpeed(int wpm);

// Each sends its value in the command's fixed field: "MG" + 3 digits,
// "AG0" + 3, "RG" + 3, "KS0" + 2, "SQ0" + 3. The steps keep the values in range.
void sendMicGain();
void sendAfGain();
void sendRfGain();
void sendKeyerSpeed();
// Asks "KS" and takes its answer (takeKeyerSpeedAnswer).
void readKeyerSpeed();
// Keeps the speed of the "KS" answer in keyerSpeed when it has
// all three digits and returns true; a partial or missing answer keeps the
// speed we had and returns false.
bool takeKeyerSpeedAnswer(std::string_view answer);
void sendSquelch();
// "NL" + 3 digits (nbLevel), "RL" + 2 digits (nrLevel).
void sendNbLevel();
void sendNrLevel();
// Sends "PC" + 3 digits of txPower; speaks the power when spoken.
void sendPower(bool spoken);
