// Switching the radio on and off by command, when the configuration allows it.
#include "radio/power_switch.h"

#include "cat/exchange.h"
#include "shell/program_state.h"

bool powerSwitchAllowed() { return shellState.powerSwitching == 1; }

void sendPowerOn() {
    sendText("Poweron");
    speakDelay();
    sendText("PS1");
}

void sendPowerOff() { sendText("PS0"); }
