// Switching the radio on and off by command, when the configuration allows it.
#include "radio/power_switch.h"

#include "link/exchange.h"
#include "radio/radio_state.h"

bool powerSwitchAllowed() { return radioState.powerSwitching == 1; }

void sendPowerOn() {
    sendText("Poweron");
    waitForReply();
    sendText("PS1");
}

void sendPowerOff() { sendText("PS0"); }

void sendClosingPowerCommand() { sendText(connectedModel().closingPowerCommand); }
