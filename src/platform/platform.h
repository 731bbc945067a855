// The one crossing between Rigvox and the machine: window text, events and
// timer, sound, serial devices, files and clock. Every function is prefixed
// "plat" so a search finds each crossing. Two backends implement this header:
// the real one (SDL2, SDL2_ttf, fontconfig, termios, POSIX files) and a fake
// one for tests, chosen at link time. Nothing here throws.
#pragma once

#include <cstdint>
#include <string>

// ---------------------------------------------------------------------------
// [SECTION] Window, text, events and the 50 ms timer
// ---------------------------------------------------------------------------

// Event kinds handed to the event handler (Windows message numbers).
constexpr int kEventKeyDown = 256;
constexpr int kEventKeyUp = 257;
constexpr int kEventTick = 275;
constexpr int kEventClose = 32770;

// Opens the single fixed-size window (not resizable) at screen position x,y.
// Returns false when no window could be made (the program then runs blind).
bool platWindowOpen(const std::string& title, int x, int y, int width, int height);
void platWindowClose();

// Chooses the font for the following text: face name resolved by the system
// (an unknown face gets the system's substitute), size in points, weight on
// the 100..900 scale (700 bold). Size 0 selects the window's default font.
void platTextFont(const std::string& face, int points, int weight);
// Prints text with its top-left corner at x,y pixels of the client area, in
// the current font, opaque black on white. It stays until printed over.
void platTextAt(int x, int y, const std::string& text);

// Starts (or stops, with periodMs 0) the periodic timer. Ticks come through
// platWaitEvent; ticks that fall due while a handler runs merge into one.
void platTimerStart(int periodMs);
void platTimerStop();

// Waits until an event is pending (sleeping, no busy loop) and returns it:
// kind is one of the kEvent values, param the Windows virtual-key code for
// key events. Returns false only when the backend has no more events to give
// (the fake's script ran out); the real backend blocks until one arrives.
bool platWaitEvent(int& kind, int& param);

// ---------------------------------------------------------------------------
// [SECTION] Sound
// ---------------------------------------------------------------------------

// Plays a WAV file once. The path is looked up without regard to letter case.
// wait true: returns when the sound has ended (with no audio device it still
// takes the file's duration). wait false: starts it and returns. Starting any
// sound stops one still sounding. A missing or unplayable file sounds nothing
// and takes no time.
void platPlayWav(const std::string& path, bool wait);

// ---------------------------------------------------------------------------
// [SECTION] Serial devices
// ---------------------------------------------------------------------------

// Opens serial port number n (1..256) exclusively at the given speed, 8 data
// bits, no parity, one stop bit, raw. Returns a handle above 0, or 0 when the
// device is missing, held by another program or refuses the speed.
int platSerialOpen(int portNumber, int baud);
void platSerialClose(int handle);
// Keeps the speed; sets data bits (5..8), parity (0 none, 1 odd, 2 even) and
// stop bits (stopCode 1 = one, anything else = two).
void platSerialSetLine(int handle, int dataBits, int parity, int stopCode);
// Bytes received and waiting; clears pending line errors. 0 on a bad handle.
int platSerialWaiting(int handle);
// Takes at most maxBytes waiting bytes without waiting; text becomes exactly
// the bytes taken. Returns the count.
int platSerialRead(int handle, std::string& text, int maxBytes);
// Writes all of text, retrying partial and interrupted writes. Returns the
// count written.
int platSerialWrite(int handle, const std::string& text);
// True once the device behind the handle has gone (unplugged, hung up, I/O
// error), so the port layer can close and reopen it. False on a bad handle.
bool platSerialGone(int handle);

// ---------------------------------------------------------------------------
// [SECTION] Files
// ---------------------------------------------------------------------------

// Handles are above 0; 0 means the file could not be opened.
int platFileOpenRead(const std::string& path);
int platFileOpenWrite(const std::string& path);   // create or replace
int platFileOpenAppend(const std::string& path);  // create or append
// Reads one line ending in CR, LF or CR LF (the ending is not kept). Returns
// false at end of file with nothing read.
bool platFileReadLine(int handle, std::string& line);
// Writes the bytes as they are. Returns false when they did not all go out.
bool platFileWrite(int handle, const std::string& bytes);
// Pushes written data to the disk. Returns false when that failed.
bool platFileSync(int handle);
void platFileClose(int handle);
bool platFileDelete(const std::string& path);  // false when absent
bool platFileRename(const std::string& from, const std::string& to);
bool platFileExists(const std::string& path);

// ---------------------------------------------------------------------------
// [SECTION] Clock and environment
// ---------------------------------------------------------------------------

std::int64_t platTickMs();  // milliseconds from an arbitrary start, monotonic
struct PlatDateTime {
    int day, month, year, hour, minute, second;
};
PlatDateTime platLocalDateTime();
// Value of an environment variable, empty when unset.
std::string platEnv(const std::string& name);
