// Extended menu access: menu number, read-back, value set.
#pragma once

// Longest value the set step sends. The radios' menu values are short
// selections; a longer entry is a typing slip and is refused unsent.
constexpr int kMenuValueMaxDigits = 4;

// N: "na" on the reduced-feature radio (nothing else changes); otherwise
// speaks "mn", adjustTarget = 8, menuNumber emptied.
void startMenuEntry();
// Enter with adjustTarget 8: a number of 3 digits (5 on model 24) speaks "mp"
// and opens the value (adjustTarget 9, menuValue emptied); any other length
// speaks "invalid" and leaves the menu (adjustTarget 0). Sends nothing.
void menuNumberEntered();
// Enter with adjustTarget 9: an empty value reads the setting back ("EX"
// query, value characters spoken, "point" for "."); otherwise sends the set
// command and speaks "ok", or "invalid" unsent for a value longer than
// kMenuValueMaxDigits. adjustTarget ends at 0 on every path.
void menuValueEntered();
// A digit (keyCode) while adjustTarget is 8 or 9 (from onDigitKey): appended
// to menuNumber or menuValue and spoken.
void menuDigit();
