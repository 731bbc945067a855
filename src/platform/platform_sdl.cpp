// The real backend on SDL2: window, text, events and timer, sound, clock.
#include "platform/platform.h"

// NOT BUILT YET: placeholder bodies so the program links while this file is written.
bool platWindowOpen(const std::string&, int, int, int, int) { return false; }
void platWindowClose() {}
void platTextFont(const std::string&, int, int) {}
void platTextAt(int, int, const std::string&) {}
void platTimerStart(int) {}
void platTimerStop() {}
bool platWaitEvent(int&, int&) { return false; }
void platPlayWav(const std::string&, bool) {}
PlatDateTime platLocalDateTime() { return {}; }
std::string platEnv(const std::string&) { return {}; }
std::int64_t platTickMs() { return 0; }
