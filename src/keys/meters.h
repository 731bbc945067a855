// Meter answers and their readouts: S-meter, SWR, ALC watch.
#pragma once

// Speaks sMeter as "s" and the S unit ("9" "plus" from 30); drops the reply
// the poll was waiting for so that the next tick asks afresh.
void speakSMeter();
// Speaks swrText (readout steps, six per unit of ratio, "30" off the scale)
// as a ratio: "SWR" until announced, the ratio or "gt6", "21" (to one);
// marks the SWR announced (tunerState 2).
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

// The radio's SWR meter count (0 to 30 on the meter's scale, 30 = infinite
// ratio) as readout steps of swrText: six steps per unit of ratio above 1,
// 30 when the ratio is 6 or more.
int swrReadoutSteps(int meterCount);
