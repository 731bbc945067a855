// The text of a readout: the words a person writes ("14.074 MHz USB"),
// made from the same prompts the voice says, for the braille display, the
// screen reader and the text log.
#pragma once

#include <string>
#include <string_view>

// The written text of a readout given as its prompt names (blank-separated,
// as promptKey gives them; "#" where speakDigits starts a number): the
// digits of one number run together, "point" between digits is ".", units
// and modes are written as people write them ("MHz", "USB"), and every other
// prompt is written as it is spoken. "" for no names.
std::string writtenText(std::string_view names);

// Adds a prompt (its promptKey name) to the readout being collected.
void collectReadout(std::string_view key);
// Marks the start of a number, so that two numbers said one after the other
// ("12", then "145") are not written as one.
void markNumberStart();
// Hands the readout collected since the last call out as one text: appended
// as a line to the text log (the file named by RIGVOX_TEXT_LOG), shown on
// the braille display and given to the screen reader. Nothing for a readout
// without words. The program calls it when an event has been handled.
void finishReadout();
// The panel line (frequency, mode, split, the switched functions): given to
// the display only when it differs from the one given before.
void givePanelLine(const std::string& line);
// Closes the text log (tests, shutdown).
void closeTextLog();
