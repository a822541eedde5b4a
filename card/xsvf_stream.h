// An XSVF file's instruction stream, read without a card, from its start, a
// few kilobytes at a time:
// - the longest single wait it makes the card keep between two of its
//   requests: the run-test time (XRUNTEST) the card spends after each
//   instruction that ends in Run-Test/Idle (XSIR, XSIR2, XSDR, XSDRTDO,
//   XSDRE, XSDRTDOE), and each XWAIT's own time. The FPGA transfer gives a
//   silent card that long on top of its minute;
// - whether the stream reads to its XCOMPLETE, every opcode known and every
//   instruction whole (updater --check).
// XSDRINC is not followed: the length of its data depends on masks the
// card's player does not take, and the reading stops there.
#pragma once

#include <cstdio>

#include "platform/win32.h"
#include "port/console.h"

// The longest wait in milliseconds, rounded up; the file is rewound after.
// Where the file cannot be followed (an opcode not known here, XSDRINC
// among them, a truncated instruction, a read error), the reading stops
// with the longest wait found before: the file is served all the same.
DWORD longestXsvfWaitMs(std::FILE* file);

// True when the stream reads to XCOMPLETE; otherwise `why` says where and
// why the reading stopped. The file is rewound after.
bool xsvfReadsToComplete(std::FILE* file, Refusal& why);
