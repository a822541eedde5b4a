// The short command link to the card's microcontroller: one four-byte
// command ("=M", a letter, a carriage return) per call, and its one-byte
// verdict.
#pragma once

#include <cstdint>

int sendMicroCmd(const unsigned char* msg, std::uint16_t length);
int ReadMicroResponse();

// The commands of a flash download run.
constexpr char kMicroProgramMode[] = "=MP\r";  // hold the video processor for programming
constexpr char kMicroRelease[] = "=MR\r";      // let it run
constexpr char kMicroDownloadEnd[] = "=MA\r";  // one device download is over
constexpr char kMicroRunEnd[] = "=ME\r";       // the update run is over

// Sends one four-byte command; true when the microcontroller accepted it.
inline bool microCommand(const char (&command)[5]) {
    return sendMicroCmd(reinterpret_cast<const unsigned char*>(command), 4) == 1;
}
