// The two readers of the firmware file appMain.mot. Each call takes one
// whitespace-delimited token of the file; only S3 records carry data, taken
// in file order (the record's address is not used, except that an S3 record
// at FFFFxxxx marks the end of the image). Checksums are not looked at here:
// the whole file is checked before a programming run (appmain_check.h).
#pragma once

#include <cstdio>

#include "platform/win32.h"

constexpr DWORD kBlockSize = 128;     // a block of readline16; its buffer holds 129 bytes
constexpr DWORD kImageArea = 262144;  // the image buffer of readblock

// The readers' signal: readline16 sets it to 1 when a 128-byte block is
// complete, readblock when it meets the end-of-image record. The caller
// clears it after using the block.
extern int checkReadLine;

// Appends the data of one S3 record to `Data` (129 bytes) from its own index
// on. A record whose data would run past the 128-byte block is dropped with
// "Error...File .mot corrupted". The result carries no information.
int readline16(FILE* fd, unsigned char* Data);

// Appends the data of one S3 record to `DataBlock` (kImageArea bytes) from
// its own index on and adds their number to *BlockLength; at the
// end-of-image record it signals the end instead. Data that would run past
// the buffer are dropped with "Error...File .mot corrupted". The result
// carries no information.
int readblock(FILE* fd, unsigned char* DataBlock, DWORD* BlockLength);
