// The sequences of one download, after its file has been read: the driver
// (device 0) or a flash device image. Each returns false at the first
// failure it cannot recover from.
#pragma once

#include "vxp/image_file.h"

// Resets the video processor, writes the driver from 0x800 in 16-byte
// blocks and starts it.
bool downloadDriver(const ImageArea& image);

// Writes an image through the driver: devices 1 to 4 in one pass from
// address 0, devices 5 and 7 erased first and their header written last.
// Ends the download with the microcontroller.
bool downloadImage(const ImageArea& image, int device);
