// Extended menu access: menu number, read-back, value set.
#pragma once

// N: start menu number entry ("na" on the reduced-feature radio).
void startMenuEntry();
// Enter with adjustTarget 8: menu number entered.
void menuNumberEntered();
// Enter with adjustTarget 9: menu value entered.
void menuValueEntered();
// A digit while adjustTarget is 8 or 9 (from onDigitKey).
void menuDigit();
