// The meter keys: S-meter and SWR on the S key, the F11 ALC watch.
#pragma once

// S key: S-meter, or the SWR while transmitting or tuning.
void meterKey();
// F11: reads the microphone gain and the ALC, speaks the ALC, starts the
// watch; Up and Down then step the microphone gain.
void startAlcWatch();
// Ends the ALC watch (any key but Up and Down while it runs): speaks the
// microphone gain and "off".
void endAlcWatch();
