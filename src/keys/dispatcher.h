// The key-down and key-up procedures and the key chain.
#pragma once

// Keys are the platform's Key names (platform/platform.h).
#include "platform/platform.h"

// A key-down (eventParam): Shift followed, a held key's repeat ignored,
// what sounds stopped, then the key explained after H or run down the key
// chain. Speaks, sends and changes state through the key's command.
void keyDown();
// A key-up: the next key-down runs again; Shift is released.
void keyUp();
// The search D started goes a step further (on the tick, in place of the
// poll); at its end the radio found is taken, or the old port looked for.
void continueSearchKey();
// The whole help goes on: once the sentence before has sounded, the next
// key's help is queued, until the last (wholeHelpNext -1 then).
void readWholeHelp();
// Every digit key (keyCode '0'..'9'), when something is pending, goes to
// the first entry that takes it: the bank digit, menu digits, channel store
// or recall, typed frequency, band number (adjustTarget 1: 1..9 bands 1..9,
// 0 band 10, then recallBand), CTCSS tone. Speaks,
// sends and changes state through the branch that takes the digit.
void onDigitKey();
