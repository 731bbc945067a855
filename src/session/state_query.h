// The full radio-state query run on the first frequency answer after a (re)connection.
#pragma once

// Announces frequency and mode, sets fixed receiver settings, sends the power,
// reads back the mirrored settings, restores tone and split, refreshes the
// status row and (re)opens the pass-through port.
void queryRadioState();
// The model check: asks "ID" and takes the model from the answer, then asks
// "OM" of a model whose "ID" the reduced-feature radio shares: "QC" means
// the reduced-feature radio. Without an
// "ID" answer rigModel stays as it was. Sets modelAnswered.
void checkRadioModel();
