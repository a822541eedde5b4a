#include "card/fpga_file.h"

#include <algorithm>
#include <cerrno>

#include "port/port.h"

namespace {

constexpr int kMeasureLimit = 700000;
constexpr int kMostProgressLines = 5000;

// The runtime's reason follows the text: a read error's, or none at the
// file's end (the error number is cleared before every read, so that a
// reason left over from earlier is never shown).
bool fileReadError() {
    std::perror("File read error\n");
    return false;
}

bool writeFailed() {
    printf("Failed to write data : error %ld\n", static_cast<long>(GetLastError()));
    return false;
}

}  // namespace

int measureFpgaFile(std::FILE* file) {
    std::rewind(file);
    unsigned char chunk[4096];
    int total = 0;
    while (total < kMeasureLimit) {
        std::size_t wanted = std::min<std::size_t>(sizeof chunk, static_cast<std::size_t>(kMeasureLimit - total));
        std::size_t got = std::fread(chunk, 1, wanted, file);
        total += static_cast<int>(got);
        if (got < wanted) break;
    }
    bool unreadable = std::ferror(file) != 0;
    std::rewind(file);
    return unreadable ? -1 : total;
}

void printFpgaProgress(FpgaFile& fpga) {
    DWORD step = static_cast<DWORD>(fpga.totalSize / kMostProgressLines);
    if (step * static_cast<DWORD>(fpga.time) >= fpga.size) return;
    double computed = static_cast<double>(fpga.size) / static_cast<double>(fpga.totalSize) * 100.0 + 0.2;
    fpga.percent = static_cast<float>(computed);
    if (fpga.percent > 100) fpga.percent = 100;
    printf("%cJob at %0.2f %c", 13, fpga.percent, '%');
    ++fpga.time;
}

bool serveByte(FpgaFile& fpga) {
    errno = 0;
    int next = std::fgetc(fpga.file);
    if (next == EOF || std::ferror(fpga.file)) return fileReadError();
    auto byte = static_cast<unsigned char>(next);
    lnumbytes = 0;
    lrc = WriteFile(lport, &byte, 1, &lnumbytes, nullptr);
    if (!lrc || lnumbytes != 1) return writeFailed();
    ++fpga.size;
    return true;
}

bool serveBlock(FpgaFile& fpga, DWORD length) {
    errno = 0;
    std::size_t got = std::fread(fpga.ucReadBuf.data(), 1, length, fpga.file);
    if (got < length || std::ferror(fpga.file)) return fileReadError();
    // A write call may move part of the block within its time-out; the
    // rest goes in the next call. A call that moves nothing has failed.
    DWORD remaining = length;
    while (remaining > 0) {
        lnumbytes = 0;
        lrc = WriteFile(lport, fpga.ucReadBuf.data() + (length - remaining), remaining, &lnumbytes, nullptr);
        if (!lrc || lnumbytes == 0) return writeFailed();
        fpga.size += lnumbytes;
        remaining -= lnumbytes;
    }
    return true;
}
