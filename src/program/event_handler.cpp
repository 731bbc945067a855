// The one event handler: what each event runs, and the order of a tick's
// work, which is the order the radio, the transmitter and the clients see.
#include "program/event_handler.h"

#include "keys/dispatcher.h"
#include "keys/keys_state.h"
#include "keys/transmit_keys.h"
#include "network/net_clients.h"
#include "platform/platform.h"
#include "radio/panel.h"
#include "radio/toggles.h"
#include "session/announce.h"
#include "session/poll.h"
#include "session/radio_search.h"
#include "speech/prompts.h"

namespace {

// What waits for the speech before it: the transmitter keyed once "tx on"
// has sounded, the whole help's next sentence, and an announcement (which
// waits while the whole help is read: it was asked for).
void afterSpeech() {
    sendTransmitAfterSpeech();
    readWholeHelp();
    announceSettledChanges(keysState.wholeHelpNext >= 0);
}

// A key: its command, then the transmitter keyed at once where nothing is
// left to sound. A key cancels what waits to be announced: it spoke for
// itself, or the operator has moved on.
void onKeyDown() {
    keyDown();
    sendTransmitAfterSpeech();
    acceptHeardState();
}

// The tick: the radio's answers and the next query (or the search's next
// step) first, then the tune sequence and the transmit limit that may end a
// transmission, then what clients wait for, last what waits for the speech.
void onTick() {
    // While D's search holds the ports, the poll waits.
    if (searchState.going)
        continueSearchKey();
    else
        pollTick();
    continueTune();
    // The limit says "transmit off" as Space does: heard, as a key is.
    if (limitProgramTransmission()) acceptHeardState();
    answerMorseWaits();
    sendNetAnswers();
    afterSpeech();
}

// A routing key over the frequency on the panel line starts a frequency
// entry, as E does; over anything else it does nothing.
void onBrailleRoute() {
    auto& K = keysState;
    if (K.eventParam >= panelFrequencyCells(panelLine())) return;
    K.eventParam = keyLetter('E');
    keyDown();
    K.keyHeld = 0;  // no key-up follows
    acceptHeardState();
}

}  // namespace

void handleEvent() {
    serviceSpeech();
    switch (keysState.eventKind) {
        case kEventClose:
            // Closing is the operator's last key: what was still being said
            // is not heard out before the program ends.
            stopSpeech();
            keysState.running = 0;
            break;
        case kEventKeyDown: onKeyDown(); break;
        case kEventKeyUp: keyUp(); break;
        case kEventTick: onTick(); break;
        case kEventBrailleRoute: onBrailleRoute(); break;
        case kEventSound: afterSpeech(); break;
        case kEventNetwork: serveNetClients(); break;
        default: break;
    }
}
