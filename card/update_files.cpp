#include "card/update_files.h"

#include <cstdio>

#include "vxp/commands.h"

namespace {

constexpr std::size_t kEdidBlock = 128;

bool downloadAcceptable(const char* name, int device) {
    switch (checkUpdateFile(name, device)) {
    case UpdateFileCheck::kAcceptable: return true;
    case UpdateFileCheck::kNotOpened: printf("Unable to open file : %s\n", name); return false;
    case UpdateFileCheck::kRefused: break;
    }
    return false;
}

bool edidAcceptable(const char* name) {
    std::FILE* file = std::fopen(name, "rb");
    if (file == nullptr) {
        printf("Unable to open file : %s\n", name);
        return false;
    }
    unsigned char image[2 * kEdidBlock + 1];
    std::size_t size = std::fread(image, 1, sizeof image, file);
    std::fclose(file);
    if (size == kEdidBlock || size == 2 * kEdidBlock) return true;
    printf("\nError only file of 128 or 256 bytes can be read\n");
    return false;
}

// The FPGA file is served as the card asks for it: it must open and read
// to its end, and hold something.
bool fpgaAcceptable(const char* name) {
    std::FILE* file = std::fopen(name, "rb");
    if (file == nullptr) {
        printf("Unable to open file : %s\n", name);
        return false;
    }
    unsigned char chunk[4096];
    std::size_t total = 0;
    std::size_t got;
    while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0) total += got;
    bool readable = std::ferror(file) == 0 && total > 0;
    std::fclose(file);
    if (!readable) printf("Unable to read file : %s\n", name);
    return readable;
}

}  // namespace

bool updateFilesAcceptable(bool device1, bool device5, bool fpga, bool edid) {
    bool acceptable = true;
    if (edid) acceptable = edidAcceptable("EDID.bin") && acceptable;
    if (device5) {
        acceptable = downloadAcceptable("FDriver.bin", 0) && acceptable;
        acceptable = downloadAcceptable("Device5.bin", 5) && acceptable;
    }
    if (device1) {
        acceptable = downloadAcceptable("SFDriver.bin", 0) && acceptable;
        acceptable = downloadAcceptable("Device1.bin", 1) && acceptable;
    }
    if (fpga) acceptable = fpgaAcceptable("fpga.xsvf") && acceptable;
    return acceptable;
}
