// Gains and levels: format and send.
#pragma once

// Each sends its value in the command's fixed field: "MG" + 3 digits,
// "AG0" + 3, "RG" + 3, "KS0" + 2. The steps keep the values in range.
void sendMicGain();
void sendAfGain();
void sendRfGain();
void sendKeyerSpeed();
// Sends "PC" + 3 digits of txPower; speaks the power when spoken.
void sendPower(bool spoken);
