// The byte-level exchange of the boot-mode programmer: every send is one
// write of one byte, every answer is awaited by short reads against a
// deadline on the tick count.
#pragma once

#include "platform/win32.h"

constexpr unsigned char kSentinel = 0x66;  // no awaited answer has this value
constexpr unsigned char kAck = 0x06;
constexpr DWORD kAckWaitMs = 7000;
constexpr DWORD kAnswerLength = 5;  // the answers to the inquiry and the status commands

// Writes `byte` with one write call. True when it went out.
bool sendByte(HANDLE port, unsigned char byte);

// One read of up to `count` bytes into `into`; returns how many came. A
// failed read counts as a read that brought nothing after the port's 1 ms,
// so that every wait still ends by its deadline.
DWORD readInto(HANDLE port, unsigned char* into, DWORD count);

// One read of one byte into `into`. True when a byte came.
inline bool readByte(HANDLE port, unsigned char* into) { return readInto(port, into, 1) == 1; }

// Awaits `awaited` within `limitMs`, reading single bytes into ReadBuf[0]
// (the sentinel first). True when it came.
bool awaitByte(HANDLE port, unsigned char* ReadBuf, unsigned char awaited, DWORD limitMs);

// Reads a five-byte answer into ReadBuf[0..4] within `limitMs`. False when
// fewer than five bytes came.
bool readAnswer(HANDLE port, unsigned char* ReadBuf, DWORD limitMs);

// 256 minus the sum of the answer's first four bytes: what its fifth byte
// must be.
int answerSumExpected(const unsigned char* ReadBuf);

// Prints the failure text of a step and returns false.
bool stepFailed(const char* text);
