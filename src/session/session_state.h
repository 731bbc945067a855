// State of the session with the radio: whether it is connected, and what
// the connection sequence has learnt.
#pragma once

struct SessionState {
    int silentPolls = 0;        // consecutive silent collections, held at 19
    int connected = 0;          // 1 = radio state read and "connected" spoken
    int modelAnswered = 0;      // 1 once the radio has answered "ID": a radio that was off at start is asked at connection
};

extern SessionState sessionState;
