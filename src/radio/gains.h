// Gains and levels: format and send.
#pragma once

void sendMicGain();
void sendAfGain();
void sendRfGain();
void sendKeyerSpeed();
// Sends "PC" and, unless quietPowerSet, speaks the power.
void sendPower();
