// Internals shared by the parts of the Windows backend: the window and
// sound half waits in one place for window messages, the tick and network
// input, so it needs the event the sockets signal; the window's procedure
// hands UI Automation's requests to the screen-reader part.
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

// The program's window, null while none is open.
HWND frontPanelWindow();
// WM_GETOBJECT for UI Automation's root element (platform_win32_access.cpp):
// true, with the message's answer in result, when the window's provider was
// handed out; false leaves the message to the default procedure.
bool answerAutomation(HWND window, WPARAM wParam, LPARAM lParam, LRESULT& result);
// The window is being destroyed: its provider answers no more and is released.
void endAutomation(HWND window);

}  // namespace platwin
