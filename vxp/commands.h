// What the rest of the tool calls in vxp/: the commands VIPER, VERIFY and
// STATUS, and what ALL takes from VIPER (the driver of each device, an
// update file's check, one device's whole sequence).
#pragma once

#include "port/console.h"

// VIPER: the driver download, then the image into `device`, then the end of the run.
void ProgramViper(int device, const char* fileName);

// VERIFY: reads `device` back and counts the words that differ from the file.
int verify(const char* filename, int device);

// STATUS: the video processor's status report, refreshed until the operator quits.
void vxpStatus();

// The ISP driver that programs `device` (device 1: "SFDriver.bin", 5 and 7:
// "FDriver.bin"), or nullptr.
const char* driverFor(int device);

// How an update file stands before anything is sent to the card.
enum class UpdateFileCheck { kAcceptable, kNotOpened, kRefused };

// Reads `name` as a file to write to `device` (0 for a driver) and judges its
// size; `why` tells why a file is refused (too large, too small, unreadable).
// A file that cannot be opened is left to the download, which reports it.
UpdateFileCheck judgeUpdateFile(const char* name, int device, Refusal& why);

// The same, printing why a file is refused.
UpdateFileCheck checkUpdateFile(const char* name, int device);

// How one device's sequence ended.
enum class DeviceRun { kWritten, kDriverFailed, kImageFailed };

// What VIPER and ALL run for one device: "Loading ISP Driver...", its
// driver's download, a pause of one second, `announcement`, the image's
// download into `device`, and the end of the update run told to the
// microcontroller (whatever it answers).
DeviceRun programDevice(int device, const char* image, const char* announcement);
