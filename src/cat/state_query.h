// The full radio-state query run on the first frequency answer after a (re)connection.
#pragma once

// Announces frequency and mode, sets fixed receiver settings, sends the power,
// reads back the mirrored settings, restores tone and split, refreshes the
// status row and (re)opens the pass-through port.
void queryRadioState();
