// Download of the ISP driver (device 0) or of a flash device image.
#pragma once

int loadFile(const char* filename, int device);
