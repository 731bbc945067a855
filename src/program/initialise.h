// The initialisation sequence run once after the configuration is read.
#pragma once

void initialiseProgram();
