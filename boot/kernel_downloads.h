// The main kernel and the write kernel, loaded through the micro kernel at
// 115200 bit/s: a four-byte length, the bytes, a sum.
#pragma once

#include "platform/win32.h"

// Sends Genm7144.cde, checks the main kernel's status and selects the user
// flash (PrepareUser). False after printing why it failed.
bool sendMainKernel(HANDLE port, unsigned char* WriteBuf, unsigned char* ReadBuf);

// Sends Genw7144.cde. A missing acknowledge is reported and the run goes on;
// false only when the file or a send failed.
bool sendWriteKernel(HANDLE port, unsigned char* WriteBuf, unsigned char* ReadBuf);
