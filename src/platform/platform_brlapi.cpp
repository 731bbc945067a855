// The braille display on Linux. Until BrlAPI is wired in, no display can be
// reached and the program goes on with sound only.
#include "platform/platform.h"

bool platAccessOpen(bool, bool) { return false; }
void platAccessReadout(const std::string&) {}
void platAccessPanel(const std::string&) {}
void platAccessClose() {}
