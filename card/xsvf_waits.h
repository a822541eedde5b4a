// The longest single wait an XSVF file makes the card keep between two of
// its requests: the run-test time (XRUNTEST) the card spends after each
// instruction that ends in Run-Test/Idle (XSIR, XSIR2, XSDR, XSDRTDO, XSDRE,
// XSDRTDOE), and each XWAIT's own time. The FPGA transfer gives a silent
// card that long on top of its minute.
#pragma once

#include <cstdio>

#include "platform/win32.h"

// Reads the open file's instructions once, from its start, a few kilobytes
// at a time, then rewinds it. The longest wait in milliseconds, rounded up.
// Where the file cannot be followed (an opcode not known here, XSDRINC
// among them, a truncated instruction, a read error), the reading stops
// with the longest wait found before: the file is served all the same.
DWORD longestXsvfWaitMs(std::FILE* file);
