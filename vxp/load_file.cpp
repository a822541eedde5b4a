#include "vxp/commands.h"

#include "link/port_io.h"
#include "port/console.h"
#include "port/interrupt_note.h"
#include "vxp/downloads.h"
#include "vxp/image_file.h"

namespace {

constexpr DWORD kDrainChunk = 1024;
constexpr DWORD kDrainLimitMs = 5000;

// The driver stops the video processor's own program until a device
// download ends: that stays at risk after the driver is in.
bool loadDriver(const ImageArea& image) {
    noteInterruptRisk("the video processor may be left stopped for programming");
    return downloadDriver(image);
}

// A device is whole again only once its download has ended.
bool writeImage(const ImageArea& image, int device) {
    noteInterruptRisk("device %d may be partly written", device);
    if (!downloadImage(image, device)) return false;
    clearInterruptRisk();
    return true;
}

}  // namespace

int loadFile(const char* filename, int device) {
    ImageArea image;
    if (openImage(filename, device, image) != kExitDone) return -1;

    // Nothing that arrived before the download belongs to it.
    DWORD begin = GetTickCount();
    bool done = drainPort(kDrainChunk, kDrainLimitMs);
    if (done) {
        begin = GetTickCount();
        done = device == 0 ? loadDriver(image) : writeImage(image, device);
    } else {
        printf("The line never falls silent. Download not started.\n");
    }

    if (done) printf("\n");
    printTime(begin, 0);
    closeImage(image);
    return done ? 0 : -1;
}
