// The real backend on POSIX: serial devices (termios) and files.
#include "platform/platform.h"

// NOT BUILT YET: placeholder bodies so the program links while this file is written.
int platSerialOpen(int, int) { return 0; }
void platSerialClose(int) {}
void platSerialSetLine(int, int, int, int) {}
int platSerialWaiting(int) { return 0; }
int platSerialRead(int, std::string&, int) { return 0; }
int platSerialWrite(int, const std::string&) { return 0; }
int platFileOpenRead(const std::string&) { return 0; }
int platFileOpenWrite(const std::string&) { return 0; }
int platFileOpenAppend(const std::string&) { return 0; }
bool platFileReadLine(int, std::string&) { return false; }
bool platFileWrite(int, const std::string&) { return false; }
bool platFileSync(int) { return false; }
void platFileClose(int) {}
bool platFileDelete(const std::string&) { return false; }
bool platFileRename(const std::string&, const std::string&) { return false; }
bool platFileExists(const std::string&) { return false; }
