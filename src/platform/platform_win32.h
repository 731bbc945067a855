// Internals shared by the two halves of the Windows backend: the window and
// sound half waits in one place for window messages, the tick and network
// input, so it needs the event the sockets signal.
#pragma once

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <winsock2.h>
#include <windows.h>

namespace platwin {

// The event every open socket signals when it has input (a connection to
// take, bytes, or its peer closed); null while no socket is open. Manual
// reset: the waiter resets it before it reports the input.
HANDLE networkEvent();
// As last set by platNetInputHeld: the wait must not sleep.
bool netInputHeld();

}  // namespace platwin
