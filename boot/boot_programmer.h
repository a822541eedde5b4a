// What the boot-mode programmer's two files share: the answers of the boot
// exchange, its waits, and the writing of the image that ends a run
// (image_writing.cpp).
#pragma once

#include "platform/win32.h"

constexpr unsigned char kSentinel = 0x66;  // no awaited answer has this value
constexpr unsigned char kAck = 0x06;
constexpr DWORD kAckWaitMs = 7000;
constexpr DWORD kAnswerLength = 5;  // the answers to the inquiry and the status commands
constexpr unsigned char kStatusInquiry = 0x4F;

// Awaits `awaited` within `limitMs`, reading single bytes into ReadBuf[0]
// (the sentinel first). True when it came.
bool awaitByte(unsigned char* ReadBuf, unsigned char awaited, DWORD limitMs);

// Reads a five-byte answer into ReadBuf[0..4] within `limitMs`. False when
// fewer than five bytes came.
bool readAnswer(unsigned char* ReadBuf, DWORD limitMs);

// 256 minus the sum of the answer's first four bytes: what its fifth byte
// must be.
int answerSumExpected(const unsigned char* ReadBuf);

// Prints the failure text of a step and returns false.
bool stepFailed(const char* text);

// appMain.mot written into the microcontroller's flash through the write
// kernel, in frames of 128 data bytes: the first 1024 data bytes at 0x0000 to
// 0x03FF, the status check, then all the rest from 0x0800 upward. True after
// "\nEND...REBOOT THE DEVICE!\n"; false after printing why not.
bool writeImage(unsigned char* ReadBuf);
