// Internals of the real backend shared by its two halves (SDL and POSIX) and
// reachable by the real-backend tests. Plain types only: nothing here pulls
// in SDL or termios headers.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace platreal {

// The path with '\' read as '/', found without regard to letter case: each
// part is taken as it stands when it exists, otherwise the first directory
// entry that differs from it only in case. Empty text when nothing matches.
std::string findPathNoCase(const std::string& path);

// The program's Key for an SDL key (SDL_Keycode, SDL_Scancode). Letters
// give their upper-case key whatever Shift; keys without a name of their own
// give kKeyUnknown, which no key row uses.
Key keyFromSdl(int sdlKeycode, int sdlScancode);

// The termios speed constant for a rate in baud, or -1 when the system has
// no such standard rate.
long speedConstant(int baud);

// Test view of the window's canvas: the colour at x,y as 0xRRGGBB, or -1
// when there is no canvas or the point lies outside it.
long canvasPixel(int x, int y);

// Milliseconds of sound in a WAV file, or -1 when it is missing or not a
// playable WAV.
std::int64_t wavDurationMs(const std::string& path);

// Descriptors of every open network socket (listeners and connections, but
// not a listener resting after a failed accept), for the event wait to watch
// beside the display connection.
void netDescriptors(std::vector<int>& fds);
// As last set by platNetInputHeld: the event wait must not sleep.
bool netInputHeld();

// The X window id of the program's window, 0 when it has none (no window,
// not X11): the braille display is taken for it.
unsigned long windowXid();
// The braille display's connection for the event wait to watch, -1 = none.
int accessDescriptor();
// The event wait found that connection readable.
void accessInputReady();
// Takes the braille display's keys that have come (after accessInputReady): handles the panning
// keys itself, and returns true with a routing key (kEventBrailleRoute).
// Also brings the panel line back once a readout's time is up.
bool accessEvent(int& kind, int& param);

}  // namespace platreal
