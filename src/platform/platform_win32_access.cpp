// The screen reader on Windows (UI Automation notifications). Until they are
// wired in, no screen reader can be reached and the program goes on with
// sound only.
#include "platform/platform.h"

bool platAccessOpen(bool, bool) { return false; }
void platAccessReadout(const std::string&) {}
void platAccessPanel(const std::string&) {}
void platAccessClose() {}
