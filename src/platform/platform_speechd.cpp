// The system's speech on Linux: speech-dispatcher through libspeechd, the
// service Orca speaks through, so readouts come in the user's own voice and
// at the user's own rate.
#include <csignal>
#include <cstdlib>

#include <libspeechd.h>

#include "platform/platform.h"

#if defined(__SANITIZE_ADDRESS__) && __has_include(<sanitizer/lsan_interface.h>)
#include <sanitizer/lsan_interface.h>
#define RIGVOX_LSAN 1
#endif

namespace {

SPDConnection* connection = nullptr;  // open connection, null = none

// While one lives, the sanitizer builds do not report what is allocated as
// a leak: for a library's own, which a suppression by library name cannot
// find when the stack ends in libc.
struct NotOurLeaks {
#ifdef RIGVOX_LSAN
    NotOurLeaks() { __lsan_disable(); }
    ~NotOurLeaks() { __lsan_enable(); }
#endif
};

}  // namespace

bool platSpeechOpen() {
    if (connection != nullptr) return true;
    // libspeechd writes to its socket itself: a service that has gone must
    // be a failed write, not SIGPIPE ending the program with the radio keyed.
    std::signal(SIGPIPE, SIG_IGN);
    // The address is SPEECHD_ADDRESS's when set, else the session's socket;
    // a service not yet running is started, as a screen reader would start
    // it. Single mode: no thread of libspeechd's own, every reply read at once.
    // A connection that fails leaves libspeechd's note on the autospawn
    // allocated for good.
    char* error = nullptr;
    {
        [[maybe_unused]] NotOurLeaks libspeechdKeepsItsNote;
        connection = spd_open2("rigvox", "main", nullptr, SPD_MODE_SINGLE, nullptr, 1, &error);
    }
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
    // What is queued is still said after the connection ends ("quit" at
    // the end): the service keeps a closed client's messages, as spd-say,
    // which ends right after it has queued its text, relies on.
    if (connection != nullptr) spd_close(connection);
    connection = nullptr;
}
