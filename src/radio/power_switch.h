// Switching the radio on and off by command.
#pragma once

// True when rigvox.cfg's power-switch line (line 7) allows power commands.
bool powerSwitchAllowed();
// Wakes the radio: the wake-up text "Poweron" (which sleeping radios need
// before they listen), a reply pause, then "PS1".
void sendPowerOn();
// Switches the radio off: "PS0".
void sendPowerOff();
// The power command sent when the program ends: models 19 and 24 take
// "PS1" as their closing command; the others are put to standby with "PS9".
void sendClosingPowerCommand();
