#include "card/xsvf_stream.h"

#include <algorithm>
#include <cstdint>

namespace {

// The instructions of an XSVF file, by their opcode byte.
// clang-format off
enum XsvfOpcode : int {
    kXcomplete    = 0x00,  // the end of the play
    kXtdoMask     = 0x01,  // a data-length TDO mask
    kXsir         = 0x02,  // length byte, then the instruction bits
    kXsdr         = 0x03,  // data-length TDI
    kXruntest     = 0x04,  // 4 bytes: the run-test time in microseconds
    kXrepeat      = 0x07,  // 1 byte
    kXsdrSize     = 0x08,  // 4 bytes: the data length in bits
    kXsdrTdo      = 0x09,  // data-length TDI, then data-length expected TDO
    kXsetSdrMasks = 0x0A,  // data-length address mask, then data-length data mask
    kXsdrInc      = 0x0B,  // a start address, a count, then data whose length the masks give
    kXsdrB        = 0x0C,  // data-length TDI, in three parts: begin,
    kXsdrC        = 0x0D,  //   continue
    kXsdrE        = 0x0E,  //   and end (in Run-Test/Idle)
    kXsdrTdoB     = 0x0F,  // data-length TDI and TDO, in three parts
    kXsdrTdoC     = 0x10,
    kXsdrTdoE     = 0x11,
    kXstate       = 0x12,  // 1 byte
    kXendIr       = 0x13,  // 1 byte
    kXendDr       = 0x14,  // 1 byte
    kXsir2        = 0x15,  // 2-byte length, then the instruction bits
    kXcomment     = 0x16,  // characters up to a NUL
    kXwait        = 0x17,  // wait state, end state, 4 bytes: microseconds
};
// clang-format on

// What the reading keeps of the instructions read so far.
struct XsvfReading {
    std::FILE* file;
    std::uint64_t dataBytes = 0;  // the data length XSDRSIZE set, in whole bytes
    std::uint32_t runTestUs = 0;  // the run-test time XRUNTEST set
    std::uint32_t longestUs = 0;  // the longest wait found
};

// A big-endian value of `count` bytes (at most 4).
bool readValue(std::FILE* file, int count, std::uint32_t& value) {
    value = 0;
    for (int i = 0; i < count; ++i) {
        int byte = std::fgetc(file);
        if (byte == EOF) return false;
        value = value << 8 | static_cast<std::uint32_t>(byte);
    }
    return true;
}

// Passes over `count` bytes, a chunk at a time. False when the file ends
// first.
bool skip(std::FILE* file, std::uint64_t count) {
    unsigned char chunk[4096];
    while (count > 0) {
        auto wanted = static_cast<std::size_t>(std::min<std::uint64_t>(count, sizeof chunk));
        if (std::fread(chunk, 1, wanted, file) != wanted) return false;
        count -= wanted;
    }
    return true;
}

bool skipText(std::FILE* file) {
    for (;;) {
        int byte = std::fgetc(file);
        if (byte == EOF) return false;
        if (byte == 0) return true;
    }
}

// Instruction bits after a length of `lengthBytes` bytes.
bool skipInstructionBits(std::FILE* file, int lengthBytes) {
    std::uint32_t bits;
    return readValue(file, lengthBytes, bits) && skip(file, (static_cast<std::uint64_t>(bits) + 7) / 8);
}

bool waits(XsvfReading& reading, std::uint32_t us) {
    reading.longestUs = std::max(reading.longestUs, us);
    return true;
}

// Where one instruction leaves the reading.
enum class Read { kNext, kComplete, kCut, kNotFollowed, kUnknown };

Read next(bool whole) { return whole ? Read::kNext : Read::kCut; }

// Reads the arguments of the instruction `opcode` and notes the wait it
// makes.
Read readInstruction(XsvfReading& r, int opcode) {
    std::uint32_t value;
    switch (opcode) {
    case kXtdoMask:
    case kXsdrB:
    case kXsdrC: return next(skip(r.file, r.dataBytes));
    case kXsdr:
    case kXsdrE: return next(skip(r.file, r.dataBytes) && waits(r, r.runTestUs));
    case kXsetSdrMasks:
    case kXsdrTdoB:
    case kXsdrTdoC: return next(skip(r.file, 2 * r.dataBytes));
    case kXsdrTdo:
    case kXsdrTdoE: return next(skip(r.file, 2 * r.dataBytes) && waits(r, r.runTestUs));
    case kXsir: return next(skipInstructionBits(r.file, 1) && waits(r, r.runTestUs));
    case kXsir2: return next(skipInstructionBits(r.file, 2) && waits(r, r.runTestUs));
    case kXruntest: return next(readValue(r.file, 4, r.runTestUs));
    case kXsdrSize:
        if (!readValue(r.file, 4, value)) return Read::kCut;
        r.dataBytes = (static_cast<std::uint64_t>(value) + 7) / 8;
        return Read::kNext;
    case kXrepeat:
    case kXstate:
    case kXendIr:
    case kXendDr: return next(skip(r.file, 1));
    case kXcomment: return next(skipText(r.file));
    case kXwait: return next(skip(r.file, 2) && readValue(r.file, 4, value) && waits(r, value));
    case kXcomplete: return Read::kComplete;   // the card plays nothing after it
    case kXsdrInc: return Read::kNotFollowed;  // its data's length is not followed here
    default: return Read::kUnknown;            // not an instruction
    }
}

// Reads instructions from the file's start until one ends the reading:
// how it ended, the last instruction's opcode and its offset.
struct StreamEnd {
    Read how;
    int opcode;
    long at;
};

StreamEnd readStream(XsvfReading& reading) {
    std::rewind(reading.file);
    for (;;) {
        long at = std::ftell(reading.file);
        int opcode = std::fgetc(reading.file);
        if (opcode == EOF) return {Read::kCut, EOF, at};
        Read how = readInstruction(reading, opcode);
        if (how != Read::kNext) return {how, opcode, at};
    }
}

}  // namespace

DWORD longestXsvfWaitMs(std::FILE* file) {
    XsvfReading reading{file};
    readStream(reading);
    std::rewind(file);  // clears a read error too: the transfer reads on its own
    return static_cast<DWORD>((static_cast<std::uint64_t>(reading.longestUs) + 999) / 1000);
}

bool xsvfReadsToComplete(std::FILE* file, Refusal& why) {
    XsvfReading reading{file};
    StreamEnd end = readStream(reading);
    bool failed = std::ferror(file) != 0;
    std::rewind(file);
    if (failed) return refuseFile(why, "the file cannot be read to its end");
    switch (end.how) {
    case Read::kComplete: return true;
    case Read::kNotFollowed:
        return refuseFile(why, "XSDRINC at byte %ld: its data cannot be followed to XCOMPLETE", end.at);
    case Read::kUnknown:
        return refuseFile(why, "byte %ld, 0x%02X, is not an XSVF instruction", end.at,
                          static_cast<unsigned>(end.opcode));
    case Read::kCut:
    case Read::kNext: break;
    }
    if (end.opcode == EOF) return refuseFile(why, "the file ends at byte %ld without XCOMPLETE", end.at);
    return refuseFile(why, "the file ends inside the instruction 0x%02X at byte %ld",
                      static_cast<unsigned>(end.opcode), end.at);
}
