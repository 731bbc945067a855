// Meter answers and their readouts: S-meter, SWR, ALC watch.
#pragma once

void speakSMeter();
void speakSwr();
// Takes "RM1", "RM3" and "SM" answers out of replyText.
void handleMeterReply();
// S key: S-meter, or the SWR while transmitting or tuning.
void meterKey();
// F11: microphone gain and the ALC watch.
void startAlcWatch();
// Ends the ALC watch (any key but Up and Down while it runs).
void endAlcWatch();
