// Meter answers and their readouts: S-meter, SWR, ALC watch.
#pragma once

// Speaks sMeter as "s" and the S unit ("9" "plus" from 30; "na" while the
// radio has given no reading); drops the reply the poll was waiting for so
// that the next tick asks afresh.
void speakSMeter();
// Speaks swrText (the ratio in tenths) as a ratio: "SWR" until announced,
// the ratio with one decimal or "gt6" above 6, "21" (to one); "na" when no
// reading has come. Marks the SWR announced (tunerState 2).
void speakSwr();
// Takes "RM1" (SWR), "RM3" (ALC peak) and "SM" (S-meter, shown at 750,45)
// answers out of replyText, in that order, each when present.
void handleMeterReply();
// S key: S-meter, or the SWR while transmitting or tuning.
void meterKey();
// F11: reads the microphone gain and the ALC, speaks the ALC, starts the
// watch; Up and Down then step the microphone gain.
void startAlcWatch();
// Ends the ALC watch (any key but Up and Down while it runs): speaks the
// microphone gain and "off".
void endAlcWatch();

// The radio's SWR meter count (0 to 30) as the ratio its meter's scale
// shows, in tenths: 10 at 0, 15 at 6, 20 at 12, 30 at 18, 100 at 30 and
// above, straight lines between.
int swrTenths(int meterCount);
