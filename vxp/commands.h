// What the rest of the tool calls in vxp/: the commands VIPER, VERIFY and
// STATUS, and what ALL takes from them (an update file's check, one
// download, the microcontroller's commands of a download run, the key prompt
// that ends a failed flash command).
#pragma once

#include "link/micro_link.h"

// VIPER: the driver download, then the image into `device`, then the end of the run.
void ProgramViper(int device, const char* fileName);

// VERIFY: reads `device` back and counts the words that differ from the file.
int verify(const char* filename, int device);

// STATUS: the video processor's status report, refreshed until the operator quits.
void vxpStatus();

// Download of the ISP driver (device 0) or of a flash device image: 0 when
// done, -1 when not.
int loadFile(const char* filename, int device);

// How an update file stands before anything is sent to the card.
enum class UpdateFileCheck { kAcceptable, kNotOpened, kRefused };

// Reads `name` as a file to write to `device` (0 for a driver) and judges its size.
// Prints why a file is refused (too large, too small, unreadable); a file
// that cannot be opened is left to the download, which reports it.
UpdateFileCheck checkUpdateFile(const char* name, int device);

// Prints "Press a key to continue ... " and waits for one key, unechoed.
void pressKeyToContinue();

// The microcontroller commands of a flash download run.
constexpr char kMicroProgramMode[] = "=MP\r";  // hold the video processor for programming
constexpr char kMicroRelease[] = "=MR\r";      // let it run
constexpr char kMicroDownloadEnd[] = "=MA\r";  // one device download is over
constexpr char kMicroRunEnd[] = "=ME\r";       // the update run is over

// Sends one four-byte command; true when the microcontroller accepted it.
inline bool microCommand(const char (&command)[5]) {
    return sendMicroCmd(reinterpret_cast<const unsigned char*>(command), 4) == 1;
}
