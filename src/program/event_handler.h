// The window's one event handler: what each kind of event runs, and the
// order of a tick's work.
#pragma once

// The window's one event handler, for eventKind/eventParam: close
// (running 0), key down (the key chain), key up (keyHeld 0), timer tick
// (pollTick, the network answers written, the whole help read on), network
// input (serveNetClients). Never re-entered.
void handleEvent();
