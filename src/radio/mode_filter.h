// Mode and filter: the mode commands with their side effects, and the filter width.
#pragma once

// Applies mode: mode command, filter, squelch read in FM, tone off, screen text.
void setMode();
// Applies filterWidth for the current mode.
void setFilter();
