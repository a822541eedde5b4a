#include "vxp/image_file.h"

#include <cstdlib>
#include <cstring>

namespace {

constexpr std::size_t kAreaSize = 3145728;
constexpr DWORD kBlockSize = 32;
constexpr unsigned char kErasedFlash = 0xFF;

bool needsHeader(int device) { return device == 5 || device == 7; }

// Prints why a file of `size` bytes cannot go to `device`, and says whether it is refused.
bool sizeRefused(const char* name, unsigned long size, int device) {
    if (size > kImageMaxSize) {
        printf("File %s is too large (2097152 bytes at most).\n", name);
        return true;
    }
    if (needsHeader(device) && size < kImageHeaderSize) {
        printf("File %s is too small for device %d : %lu bytes (256 at least).\n", name, device, size);
        return true;
    }
    return false;
}

}  // namespace

UpdateFileCheck checkUpdateFile(const char* name, int device) {
    std::FILE* file = std::fopen(name, "rb");
    if (file == nullptr) return UpdateFileCheck::kUnreadable;
    long size = -1;
    if (std::fseek(file, 0, SEEK_END) == 0) size = std::ftell(file);
    std::fclose(file);
    if (size < 0) return UpdateFileCheck::kUnreadable;
    return sizeRefused(name, static_cast<unsigned long>(size), device) ? UpdateFileCheck::kRefused
                                                                       : UpdateFileCheck::kAcceptable;
}

ExitStatus openImage(const char* filename, int device, ImageArea& image) {
    image.bytes = static_cast<unsigned char*>(std::malloc(kAreaSize));
    if (image.bytes == nullptr) {
        printf("Unable to allocate memory.\n");
        return kExitFailed;
    }
    image.file = std::fopen(filename, "rb");
    if (image.file == nullptr) {
        printf("Unable to open file : %s\n", filename);
        closeImage(image);
        return kExitRefused;
    }

    // One byte more than an image may have tells a file that would be cut.
    std::size_t count = std::fread(image.bytes, 1, kImageMaxSize + 1, image.file);
    if (sizeRefused(filename, count, device)) {
        closeImage(image);
        return kExitRefused;
    }
    image.size = static_cast<DWORD>(count);
    printf("File Size : %d bytes\n", static_cast<int>(image.size));

    // The last block's bytes past the file's end are sent as erased flash.
    DWORD padded = (image.size + kBlockSize - 1) / kBlockSize * kBlockSize;
    std::memset(image.bytes + image.size, kErasedFlash, padded - image.size);
    return kExitDone;
}

void closeImage(ImageArea& image) {
    if (image.file != nullptr) std::fclose(image.file);
    std::free(image.bytes);
    image.file = nullptr;
    image.bytes = nullptr;
}
