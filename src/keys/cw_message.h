// The CW message typed at the keyboard (J, the message's keys, Enter).
#pragma once

// J: on a radio that takes no CW text, "cw" "na". While the keyer sends
// (cwKeyerSounding), stops it (stopCwText sends "KY0") and speaks "cw"
// "stopped". Otherwise opens a message (cwMessageOpen 1, emptied; Up and
// Down back to tuning) and speaks "cwmessage".
void cwKey();
// A key (keyCode, shiftHeld) while a message is open. True when the key is
// used up by the message:
// - a CW character (letter, digit, Space as a word gap, full stop, comma,
//   slash, Shift and slash a question mark, equals) is added and spoken by
//   its own prompt (cwCharacterPrompt); "max" when the message is full;
// - Enter: reads the keyer speed ("KS"), queues the message for the
//   keyer (queueCwText), closes it and speaks "sending". Without a radio
//   "nc", and with no room in the keyer's queue "na": the message stays open
//   for Enter again or Escape. A message of no character closes with
//   "cancelled";
// - Escape closes the message unsent and speaks "cancelled".
// Any other key closes the message unsent with "cancelled" and gives false:
// the key then runs as it always does.
bool cwMessageKey();
// The prompt that echoes CW character c: "a".."z", "0".."9", "space",
// "fullstop", "comma", "slash", "question", "equals"; nullptr for another.
const char* cwCharacterPrompt(char c);
