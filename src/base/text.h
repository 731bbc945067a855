// Text operations shared by every area. Positions count from 1, as the
// radio's replies are described. Nothing here throws or reads out of range:
// a reply of any length or content gives a defined result.
#pragma once

#include <string>
#include <string_view>

constexpr int kTextCapacity = 255;   // capacity of every program text
constexpr int kReplyCapacity = 256;  // capacity of a reply read from the radio

// dst = src cut to capacity characters.
void putText(std::string& dst, std::string_view src, int capacity = kTextCapacity);
// Cuts text in place to capacity characters.
void capText(std::string& text, int capacity = kTextCapacity);

// The first n characters (the whole text when shorter, empty when n <= 0).
std::string leftText(std::string_view text, int n);
// The last n characters (the whole text when shorter, empty when n <= 0).
std::string rightText(std::string_view text, int n);
// The piece from 1-based position start, length characters long. A start
// before 1 starts at 1; a negative length or one reaching past the end runs
// to the end; a start past the end gives empty text.
std::string midText(std::string_view text, int start, int length = -1);
// 1-based position of the first occurrence of what at or after start; 0 when
// absent (or when what is empty).
int findText(std::string_view text, std::string_view what, int start = 1);
bool startsWith(std::string_view text, std::string_view prefix);

// The number reader: skips leading blanks and tabs, takes an optional "-",
// digits, and optionally "." and more digits; stops at the first other
// character. Text without leading digits gives 0.
double textValue(std::string_view text);
// textValue rounded to the nearest integer (halves away from zero), held
// within the 32-bit range.
int textInt(std::string_view text);
// A double rounded and held within the 32-bit range.
int roundToInt(double value);

// Number to text with a leading blank for a non-negative number (" 5", "-5").
std::string numberText(long long value);
// Number to text without the blank ("5", "-5").
std::string plainNumber(long long value);
// value as exactly width decimal digits with leading zeros. A negative value
// gives all zeros; a value too wide for the field gives all nines, so a
// command never grows past its fixed width.
std::string zeroPad(long long value, int width);

std::string lowerText(std::string_view text);
std::string upperText(std::string_view text);
// True when every character is a decimal digit and the text is not empty.
bool allDigits(std::string_view text);
