// The two readers of the firmware file appMain.mot. Each call takes one
// whitespace-delimited token of the file; only S3 records carry data, taken
// in file order (the record's address is not used, except that an S3 record
// at FFFFxxxx marks the end of the image). Checksums are not looked at here:
// the whole file is checked before a programming run (micro_files.h).
#pragma once

#include <cstdio>

#include "platform/win32.h"

// Converts the two characters at `str` into the byte at `value`. Only the
// digits and the capitals A to F count; any other character (a small letter,
// the terminating NUL) ends the conversion with the value built so far, so
// "3a" gives 0x03 and nothing past a NUL is read.
void strHexTolong(char* value, const char* str);

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
