// The ISP packets that the download and the verify both send.
#pragma once

#include <cstdint>

#include "platform/win32.h"

constexpr std::uint16_t kIspModeWrite = 0x0100;
constexpr std::uint16_t kIspModeRead = 0x0200;

// Set ISP mode: `mode`, the device, the start address and the length.
// Returns the link's result, 1 or 0.
int sendSetIspMode(std::uint16_t mode, int device, DWORD start, DWORD length, unsigned long wait);

// The status request, built in `request` (3 words, checksum included, for
// printing); `reply` (at least 18 words) receives the answer. Returns the
// link's result, 1 or 0.
int sendStatusRequest(std::uint16_t* request, std::uint16_t* reply);

// Asks with a status request whether the driver has selected `device`.
// Prints "Unable to send cmd." or "Device not setted !" when not.
bool deviceSelected(int device);
