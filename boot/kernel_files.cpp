#include "boot/kernel_files.h"

const char* const kMicroKernelFile = "uGen7144.cde";
const char* const kMainKernelFile = "Genm7144.cde";
const char* const kWriteKernelFile = "Genw7144.cde";

namespace {

bool refuse(const char* name, const char* why) {
    printf("Bad kernel file %s. Exit.\n", name);
    printf("%s\n", why);
    return false;
}

bool kernelUsable(const char* name) {
    FILE* file = fopen(name, "rb");
    if (file == nullptr) return refuse(name, "The file cannot be read.");
    long size = fseek(file, 0, SEEK_END) == 0 ? ftell(file) : -1;
    fclose(file);
    if (size < 0) return refuse(name, "The file cannot be read.");
    if (size == 0) return refuse(name, "The file is empty.");
    if (size > static_cast<long>(kKernelArea)) return refuse(name, "The file is longer than 4000 bytes.");
    return true;
}

}  // namespace

bool kernelFilesUsable() {
    return kernelUsable(kMicroKernelFile) && kernelUsable(kMainKernelFile) && kernelUsable(kWriteKernelFile);
}

long loadKernel(const char* name, unsigned char* into) {
    FILE* file = fopen(name, "rb");
    if (file == nullptr) {
        printf("/nFile load error\n");
        return -1;
    }
    rewind(file);
    std::size_t count = fread(into, 1, kKernelArea, file);
    fclose(file);
    return static_cast<long>(count);
}
