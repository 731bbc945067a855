// Meter answers and their readouts: S-meter, SWR, ALC watch.
#pragma once

#include <string_view>

// The four digits of a meter answer, counted from the first letter of its
// marker: "RM" and the model's meter digit (meterLetters) + four digits.
constexpr int kSwrFieldOffset = 3;
constexpr int kAlcFieldOffset = 3;
constexpr int kMeterFieldLength = 4;
// sMeter from here on (the top of its 0..30 scale) is above S9: shown and
// spoken as "9+".
constexpr int kSNinePlus = 30;

// Speaks swrText (the ratio in tenths) as a ratio: "SWR" until announced,
// the ratio with one decimal or "gt6" above 6, "21" (to one); "na" when no
// reading has come. Marks the SWR announced (tunerState 2).
void speakSwr();
// Speaks alcValue, after "alc" at the start of a watch's readings
// (alcAnnounce 1 becomes 2); restarts the quiet spell (quietTicks 0).
void speakAlc();
// Takes the SWR, the ALC peak (in the model's "RM" digits) and "SM" (S-meter, shown at 750,45)
// answers out of answer, in that order, each when present.
void handleMeterReply(std::string_view answer);

// The radio's SWR meter count (0 to 30) as the ratio its meter's scale
// shows, in tenths: 10 at 0, 15 at 6, 20 at 12, 30 at 18, 100 at 30 and
// above, straight lines between.
int swrTenths(int meterCount);
