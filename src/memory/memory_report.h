// The printable memory-bank report memory.txt.
#pragma once

void writeMemoryReport();
