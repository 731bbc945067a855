// Up/down adjustment of whichever control adjustTarget selects.
#pragma once

void stepUp();
void stepDown();
