#include "vxp/load_file.h"

#include "port/console.h"
#include "link/port_io.h"
#include "vxp/downloads.h"
#include "vxp/image_file.h"

namespace {

constexpr DWORD kDrainChunk = 1024;
constexpr DWORD kDrainLimitMs = 5000;

}  // namespace

int loadFile(const char* filename, int device) {
    ImageArea image;
    if (openImage(filename, device, image) != kExitDone) return -1;

    // Nothing that arrived before the download belongs to it.
    DWORD begin = GetTickCount();
    bool done = drainPort(kDrainChunk, kDrainLimitMs);
    if (done) {
        begin = GetTickCount();
        done = device == 0 ? downloadDriver(image) : downloadImage(image, device);
    } else {
        printf("The line never falls silent. Download not started.\n");
    }

    if (done) printf("\n");
    printTime(begin, 0);
    closeImage(image);
    return done ? 0 : -1;
}
