// The files MICRO sends: appMain.mot's check, and the three boot kernels the
// programmer loads into the microcontroller's RAM, sent as they are stored:
// the micro kernel to the boot program, the main kernel and the write kernel
// to the micro kernel.
#pragma once

#include "platform/win32.h"
#include "port/console.h"

// True when appMain.mot (`name`) can be written as it is: every record up to
// the end-of-image record well formed, the S3 records (the only ones whose
// bytes are taken) with a right checksum, the first 1024 data bytes in whole
// 128-byte blocks, the rest within the image buffer, and an end-of-image
// record; what follows that record is never read, so it may hold anything.
// Otherwise `why` is "Bad appMain.mot file. Exit.\n" and one line with the
// line of the file and the reason, and the result false.
bool appMainFileAcceptable(const char* name, Refusal& why);

// The same, printing why the file is refused.
bool appMainFileValid(const char* name);

// A size of appMain.mot known to be bad for the card's microcontroller.
bool firmwareSizeKnownBad(DWORD size);

extern const char* const kMicroKernelFile;  // "uGen7144.cde"
extern const char* const kMainKernelFile;   // "Genm7144.cde"
extern const char* const kWriteKernelFile;  // "Genw7144.cde"

constexpr DWORD kKernelArea = 4000;  // the most of a kernel the programmer sends

// True when the kernel file `name` is there, not empty and not longer than
// 4000 bytes; otherwise `why` names the file and the reason.
bool kernelFileAcceptable(const char* name, Refusal& why);

// True when the three kernel files are acceptable; otherwise prints which
// file and why, and returns false. Checked before anything is sent: a
// kernel missing halfway would leave the card with its flash erased.
bool kernelFilesUsable();

// Reads up to 4000 bytes of the kernel file `name` into `into` and returns
// their number, or -1 (after "/nFile load error\n") when it cannot be opened.
long loadKernel(const char* name, unsigned char* into);
