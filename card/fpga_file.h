// The FPGA file as the transfer serves it: its measured size, the bytes
// sent so far and the progress line, and the requests served from it,
// strictly in file order.
#pragma once

#include <cstdio>
#include <vector>

#include "platform/win32.h"

struct FpgaFile {
    std::FILE* file = nullptr;
    int totalSize = 0;        // the size measured at the start, at most 700000
    DWORD size = 0;           // bytes sent to the card so far
    int time = 0;             // progress lines printed so far
    float percent = 0;        // the percentage last printed
    DWORD longestWaitMs = 0;  // the longest wait the file makes the card keep between requests
    std::vector<unsigned char> ucReadBuf = std::vector<unsigned char>(65535);  // one block request's bytes
};

// Measures the open file: its size up to 700000 bytes, then back to its
// start. -1 when it cannot be read.
int measureFpgaFile(std::FILE* file);

// Prints the progress line when it is due: about every 1/5000 of the file,
// never before the first byte went out.
void printFpgaProgress(FpgaFile& fpga);

// Serve one request: the next byte, or the next `length` bytes of the
// file. False after printing why the transfer cannot go on (a file read
// error or a failed write).
bool serveByte(FpgaFile& fpga);
bool serveBlock(FpgaFile& fpga, DWORD length);
