// appMain.mot as a build tool, an editor or a damaged disk may leave it, checked as
// MICRO checks it and read by the two S-record readers as the image writing reads it.
// Input: the file's bytes.
// Whatever the file holds: neither the check nor the readers read or write
// outside their buffers, and every reading ends. A file the check accepts
// is read exactly: the first 1024 data bytes of its S3 records in eight
// 128-byte blocks, then the rest of the data up to the end-of-image record,
// and the readers are back at their start.
#include <cctype>
#include <cstdio>
#include <cstring>
#include <unistd.h>
#include <vector>

#include "boot/micro_files.h"
#include "boot/srecord_readers.h"
#include "tests/fuzz/scripted_line.h"

namespace {

using fuzz::require;
using Bytes = std::vector<std::uint8_t>;

constexpr int kVectorBlocks = 8;

int hexValue(char c) { return std::isdigit(static_cast<unsigned char>(c)) ? c - '0' : c - 'A' + 10; }

// The data of the S3 records before the end-of-image record, of an accepted file.
Bytes imageData(const std::string& text) {
    Bytes data;
    std::size_t at = 0;
    while (at < text.size()) {
        while (at < text.size() && std::isspace(static_cast<unsigned char>(text[at]))) ++at;
        std::size_t end = at;
        while (end < text.size() && !std::isspace(static_cast<unsigned char>(text[end]))) ++end;
        std::string record = text.substr(at, end - at);
        at = end;
        if (record.compare(0, 2, "S3") != 0) continue;
        auto byte = [&record](std::size_t i) {
            return hexValue(record[2 + 2 * i]) * 16 + hexValue(record[3 + 2 * i]);
        };
        if (byte(1) == 0xFF && byte(2) == 0xFF) break;
        for (int i = 5; i < byte(0); ++i) data.push_back(static_cast<std::uint8_t>(byte(i)));
    }
    return data;
}

// Calls `reader` until it signals (true) or the file ends, as the image writing does.
template <class Reader>
bool readUntilSignal(FILE* file, Reader reader) {
    while (checkReadLine != 1) {
        reader();
        if (checkReadLine != 1 && (std::feof(file) || std::ferror(file))) return false;
    }
    checkReadLine = 0;
    return true;
}

struct Reading {
    Bytes vectorArea;  // the blocks readline16 completed
    Bytes rest;        // what readblock stored
    bool ended = false;
};

// The image buffer readblock fills, kept from one input to the next.
unsigned char* imageArea() {
    static Bytes area(kImageArea);
    return area.data();
}

Reading readImage(FILE* file) {
    Reading reading;
    unsigned char Data[kBlockSize + 1];
    for (int block = 0; block < kVectorBlocks; ++block) {
        if (!readUntilSignal(file, [&] { readline16(file, Data); })) return reading;
        reading.vectorArea.insert(reading.vectorArea.end(), Data, Data + kBlockSize);
    }
    DWORD BlockLength = 0;
    reading.ended = readUntilSignal(file, [&] { readblock(file, imageArea(), &BlockLength); });
    require(BlockLength <= kImageArea, "the length counted fits the image buffer");
    reading.rest.assign(imageArea(), imageArea() + BlockLength);
    return reading;
}

// A stream over `text`, which must outlive it.
FILE* streamOf(const std::string& text) {
    FILE* file = ::fmemopen(const_cast<char*>(text.data()), text.size(), "r");
    require(file != nullptr, "a stream over the text opens");
    return file;
}

// Takes both readers back to their start: one-byte records complete readline16's
// block, an end-of-image record ends readblock's image.
void resetReaders() {
    static const std::string text = [] {
        std::string ones;
        for (DWORD i = 0; i < kBlockSize; ++i) ones += "S306000000000000\n";
        return ones + "S305FFFF0000FE\n";
    }();
    FILE* file = streamOf(text);
    unsigned char Data[kBlockSize + 1];
    while (checkReadLine != 1) readline16(file, Data);
    checkReadLine = 0;
    DWORD BlockLength = 0;
    while (checkReadLine != 1) readblock(file, imageArea(), &BlockLength);
    checkReadLine = 0;
    std::fclose(file);
}

// The file the check opens by name: in memory where the system offers it.
const std::string& checkedPath() {
    static const std::string path = (::access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp") +
                                    std::string("/fuzz_srecord_") + std::to_string(::getpid()) + ".mot";
    return path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string text(reinterpret_cast<const char*>(data), size);
    FILE* checked = std::fopen(checkedPath().c_str(), "wb");
    require(checked != nullptr, "the file to check can be written");
    std::fwrite(text.data(), 1, text.size(), checked);
    std::fclose(checked);
    bool accepted = appMainFileValid(checkedPath().c_str());

    Reading reading;
    if (!text.empty()) {
        FILE* file = streamOf(text);
        reading = readImage(file);
        std::fclose(file);
    }
    resetReaders();
    if (!accepted) return 0;

    Bytes image = imageData(text);
    std::size_t vectorBytes = kVectorBlocks * kBlockSize;
    require(image.size() >= vectorBytes && reading.ended, "an accepted file is read to its end-of-image record");
    require(reading.vectorArea == Bytes(image.begin(), image.begin() + vectorBytes),
            "the blocks hold the first 1024 data bytes");
    require(Bytes(image.begin() + vectorBytes, image.end()) == reading.rest, "the image buffer holds the rest");
    return 0;
}
