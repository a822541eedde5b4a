// The files MICRO sends, checked before anything goes to the card so that a
// run never stops halfway on a bad file (the flash would be left erased):
// appMain.mot read through as its readers will read it, and the three boot
// kernels; and the kernels' loading for the programmer.
#include "boot/micro_files.h"

#include <cctype>
#include <cstdio>
#include <cstring>

#include "boot/commands.h"
#include "boot/srecord_readers.h"
#include "port/console.h"

namespace {

constexpr std::size_t kLongestRecord = 219;
constexpr unsigned long kVectorArea = 8 * kBlockSize;  // the first 1024 data bytes

struct Token {
    char text[kLongestRecord + 1];
    std::size_t length;  // the whole token's, even where the text was cut
    unsigned long line;  // the file line the token starts on
};

struct ImageCount {
    unsigned long data = 0;  // data bytes before the end-of-image record
    bool ended = false;
};

// Reads the next whitespace-delimited token; false at the end of the file.
bool nextToken(FILE* file, unsigned long& line, Token& token) {
    int c = fgetc(file);
    while (c != EOF && std::isspace(c)) {
        if (c == '\n') ++line;
        c = fgetc(file);
    }
    if (c == EOF) return false;
    token.line = line;
    token.length = 0;
    for (; c != EOF && !std::isspace(c); c = fgetc(file)) {
        if (token.length < kLongestRecord) token.text[token.length] = static_cast<char>(c);
        ++token.length;
    }
    if (c == '\n') ++line;
    token.text[token.length < kLongestRecord ? token.length : kLongestRecord] = '\0';
    return true;
}

int hexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

unsigned byteAt(const Token& token, std::size_t i) {
    return static_cast<unsigned>(hexDigit(token.text[2 + 2 * i]) * 16 + hexDigit(token.text[3 + 2 * i]));
}

// A record's bytes, from its count to its checksum, add up to 0xFF. The
// record is well formed (formFault): its count matches its length, which
// bounds the bytes read.
bool checksumRight(const Token& token) {
    unsigned sum = 0;
    for (std::size_t i = 0; i < (token.length - 2) / 2; ++i) sum += byteAt(token, i);
    return (sum & 0xFF) == 0xFF;
}

// Address bytes of each record type; 0 for the type that has no records.
std::size_t addressBytes(char type) {
    switch (type) {
    case '0':
    case '1':
    case '5':
    case '9': return 2;
    case '2':
    case '6':
    case '8': return 3;
    case '3':
    case '7': return 4;
    default: return 0;
    }
}

// Why the record is not well formed, or nullptr. Every record up to the end
// of the image is held to the form, whatever its type: the readers drop a
// token that is too long and report one that is not a record, and a record
// out of form marks a damaged file. The checksum counts only where the
// readers take something (dataFault): the header, count and termination
// records they skip pass whatever their sum, as stored files carry them.
const char* formFault(const Token& token, char* why, std::size_t size) {
    if (token.length > kLongestRecord) return "the record is longer than 219 characters";
    if (token.text[0] != 'S' || !std::isdigit(static_cast<unsigned char>(token.text[1]))) {
        return "not an S-record (S and a type digit)";
    }
    if (addressBytes(token.text[1]) == 0) return "S4 is not a record type";
    if (token.length % 2 != 0) return "the record has an odd number of characters";
    if (token.length < 4) return "the record has no count";
    for (std::size_t i = 2; i < token.length; ++i) {
        if (hexDigit(token.text[i]) < 0) {
            std::snprintf(why, size, "character %lu is not an upper-case hexadecimal digit",
                          static_cast<unsigned long>(i + 1));
            return why;
        }
    }
    std::size_t count = byteAt(token, 0);
    if (count != (token.length - 4) / 2) {
        std::snprintf(why, size, "the count %02X does not match the record's length",
                      static_cast<unsigned>(count));
        return why;
    }
    if (count < addressBytes(token.text[1]) + 1)
        return "the count leaves no room for the address and the checksum";
    return nullptr;
}

// Counts the data of a well-formed S3 record, the one type the readers take
// bytes from (or, at FFFFxxxx, the end of the image); returns why they
// cannot be written, or nullptr.
const char* dataFault(const Token& token, ImageCount& image, char* why, std::size_t size) {
    if (!checksumRight(token)) return "the record's checksum is wrong";
    if (byteAt(token, 1) == 0xFF && byteAt(token, 2) == 0xFF) {
        image.ended = true;
        if (image.data >= kVectorArea) return nullptr;
        std::snprintf(why, size, "the end-of-image record comes after %lu data bytes; at least %lu are needed",
                      image.data, kVectorArea);
        return why;
    }
    unsigned long length = byteAt(token, 0) - 5;
    if (image.data < kVectorArea && image.data % kBlockSize + length > kBlockSize) {
        std::snprintf(why, size, "the record's data cross the 128-byte block that ends at data byte %lu",
                      (image.data / kBlockSize + 1) * kBlockSize);
        return why;
    }
    image.data += length;
    if (image.data > kVectorArea + kImageArea) return "more than 262144 data bytes after the first 1024";
    return nullptr;
}

constexpr char kBadFirmware[] = "Bad appMain.mot file. Exit.\n";

bool refuseAt(Refusal& out, unsigned long line, const char* why) {
    return refuseFile(out, "%sLine %lu: %s.\n", kBadFirmware, line, why);
}

}  // namespace

bool appMainFileAcceptable(const char* name, Refusal& out) {
    FILE* file = fopen(name, "rb");
    if (file == nullptr) return refuseFile(out, "%sThe file cannot be read.\n", kBadFirmware);
    unsigned long line = 1;
    Token token{};
    token.line = 1;
    ImageCount image;
    char why[120];
    const char* fault = nullptr;
    // The readers never read past the end-of-image record, and neither does
    // the check: whatever follows it (an end-of-file byte 0x1A, notes) stays.
    while (fault == nullptr && !image.ended && nextToken(file, line, token)) {
        fault = formFault(token, why, sizeof why);
        if (fault == nullptr && token.text[1] == '3') fault = dataFault(token, image, why, sizeof why);
    }
    fclose(file);
    if (fault != nullptr) return refuseAt(out, token.line, fault);
    if (!image.ended)
        return refuseAt(out, token.line, "no end-of-image record (an S3 record at address FFFFxxxx)");
    return true;
}

bool appMainFileValid(const char* name) {
    Refusal why;
    if (appMainFileAcceptable(name, why)) return true;
    printRefusal(why);
    return false;
}

// ---- The boot kernels ---------------------------------------------------------

const char* const kMicroKernelFile = "uGen7144.cde";
const char* const kMainKernelFile = "Genm7144.cde";
const char* const kWriteKernelFile = "Genw7144.cde";

namespace {

bool refuseKernel(Refusal& out, const char* name, const char* why) {
    return refuseFile(out, "Bad kernel file %s. Exit.\n%s\n", name, why);
}

bool kernelUsable(const char* name) {
    Refusal why;
    if (kernelFileAcceptable(name, why)) return true;
    printRefusal(why);
    return false;
}

}  // namespace

bool kernelFileAcceptable(const char* name, Refusal& out) {
    FILE* file = fopen(name, "rb");
    if (file == nullptr) return refuseKernel(out, name, "The file cannot be read.");
    long size = fseek(file, 0, SEEK_END) == 0 ? ftell(file) : -1;
    fclose(file);
    if (size < 0) return refuseKernel(out, name, "The file cannot be read.");
    if (size == 0) return refuseKernel(out, name, "The file is empty.");
    if (size > static_cast<long>(kKernelArea))
        return refuseKernel(out, name, "The file is longer than 4000 bytes.");
    return true;
}

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
    noteFileSent(name);
    return static_cast<long>(count);
}

// ---- appMain.mot's size, and the whole of MICRO's files -----------------------

namespace {

// Firmware files known to be bad for the card's microcontroller, by size.
constexpr DWORD kBadFirmwareSizes[6] = {570422, 570974, 510718, 510526, 511446, 511070};

}  // namespace

bool firmwareSizeKnownBad(DWORD size) {
    for (DWORD badSize : kBadFirmwareSizes) {
        if (size == badSize) return true;
    }
    return false;
}

bool microFilesAcceptable() {
    HANDLE file = CreateFileA("appMain.mot", GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD size = GetFileSize(file, nullptr);
    CloseHandle(file);
    if (firmwareSizeKnownBad(size)) {
        printf("%s", kBadFirmware);
        return false;
    }
    return appMainFileValid("appMain.mot") && kernelFilesUsable();
}
