// Switching the radio on and off by command.
#pragma once

// True when rigvox.cfg's power-switch line (line 7) allows power commands.
bool powerSwitchAllowed();
// Wakes the radio: the wake-up text "Poweron" (which sleeping radios need
// before they listen), a reply pause, then "PS1".
void sendPowerOn();
// Switches the radio off: "PS0".
void sendPowerOff();
// The power command sent when the program ends: the connected model's
// closing command ("PS9", standby, on most; "PS1" on those without it).
void sendClosingPowerCommand();
