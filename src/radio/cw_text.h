// CW text through the radio's own keyer ("KY"): the command forms of each
// model, and the sending of a queued text piece by piece as the radio's
// buffer makes room. One path for every sender of CW text (a network
// client's "b", the operator's CW message).
#pragma once

#include <string>
#include <string_view>

#include "radio/models.h"

constexpr int kCwPieceLength = 24;          // characters in one "KY" command at most
constexpr int kCwTextCapacity = 1024;       // characters queued at most

// The form for rigModel (its row's) with the firmware version in hundredths
// ("1.10" is 110; 0 when not known, taken as older than every change).
CwTextForm cwTextForm(int rigModel, int firmware);
// The command (without ";") that puts piece (1..kCwPieceLength characters of
// cwCharacters, not starting with a blank) into the keyer buffer in form;
// "" for kCwFormNone. Right-aligned, the piece's closing blank goes before it.
std::string cwTextCommand(CwTextForm form, std::string_view piece);
// How much of text goes into the next "KY": all of it when it fits,
// otherwise up to and with the last blank that fits, so that a piece ends
// with its word gap (a right-aligned piece's leading blanks are the field's,
// not gaps); a word longer than a piece is cut.
int cwPieceOf(std::string_view text);
// text as the keyer takes it: letters in upper case; digits, the signs
// "/?.,-=+@" and one blank for each run of blanks kept; everything else
// left out.
std::string cwCharacters(std::string_view text);
// True for a character cwCharacters keeps.
bool isCwCharacter(char c);
// The firmware version of an "FV" answer's field ("1.10" gives 110), 0 when
// it is not a version.
int firmwareOfField(std::string_view field);

// The time in ms the keyer takes for text (cwCharacters) at wpm words per
// minute: a dot is 1200/wpm ms (PARIS), a dash three, one dot between the
// elements, three after a character, seven after a word. wpm is held to
// the keyer's range.
int cwKeyingMs(std::string_view text, int wpm);

// True when the radio takes CW text: every model but the reduced-feature radio.
bool radioSendsCwText();
// Queues text (after cwCharacters) for the keyer. False, and nothing
// queued, when the radio takes no CW text or the queue has no room for all
// of it. Sends nothing: serviceCwText does.
bool queueCwText(std::string_view text);
// True while text waits in the queue, or the radio's buffer has not yet
// reported room with nothing left to send.
bool cwTextPending();
// True while cwTextPending, or the radio's keyer may still be keying the
// pieces it took: their keying time at keyerSpeed has not yet passed. The
// radio's "KY" answer tells room in its buffer, not whether it still keys.
bool cwKeyerSounding();
// Drops the queue and, on a radio that takes CW text, sends "KY0" (the
// keyer stops). True when text was pending.
bool stopCwText();
// Forgets the queue, the keying time and the radio's form without a word to
// the radio (the link is lost: the next radio may be another).
void dropCwText();
// One step of sending, run by the poll between its answer and its next
// query while text is pending and the radio answers: asks "KY;" (a TS-990S
// is first asked its firmware, "FV;"); "KY0;" or "KY2;" (room) sends the
// next piece and adds its keying time to cwKeyedUntilMs, "KY1;" (full)
// asks again on a later tick, at least kCwFullWaitMs on. No answer drops
// the queue.
void serviceCwText();
