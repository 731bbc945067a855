// The system's speech on Linux: speech-dispatcher through libspeechd, the
// service Orca speaks through, so readouts come in the user's own voice and
// at the user's own rate.
#include <csignal>
#include <cstdlib>

#include <libspeechd.h>

#include "platform/platform.h"

namespace {

SPDConnection* connection = nullptr;  // open connection, null = none

}  // namespace

bool platSpeechOpen() {
    if (connection != nullptr) return true;
    // libspeechd writes to its socket itself: a service that has gone must
    // be a failed write, not SIGPIPE ending the program with the radio keyed.
    std::signal(SIGPIPE, SIG_IGN);
    // The address is SPEECHD_ADDRESS's when set, else the session's socket;
    // a service not yet running is started, as a screen reader would start
    // it. Single mode: no thread of libspeechd's own, every reply read at once.
    char* error = nullptr;
    connection = spd_open2("rigvox", "main", nullptr, SPD_MODE_SINGLE, nullptr, 1, &error);
    std::free(error);
    return connection != nullptr;
}

bool platSpeechSay(const std::string& text) {
    if (connection == nullptr) return false;
    // Priority "message": utterances are said in order, none cuts another,
    // and a screen reader's "text" in between does not drop them.
    return spd_say(connection, SPD_MESSAGE, text.c_str()) >= 0;
}

void platSpeechCancel() {
    if (connection != nullptr) spd_cancel(connection);
}

void platSpeechClose() {
    // What is queued is said after the connection ends: the service keeps
    // a closed client's messages.
    if (connection != nullptr) spd_close(connection);
    connection = nullptr;
}
