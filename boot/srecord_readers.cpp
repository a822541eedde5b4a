#include "boot/srecord_readers.h"

#include <cctype>
#include <cstring>

int checkReadLine = 0;

void strHexTolong(char* value, const char* str) {
    unsigned char byte = 0;
    for (int i = 0; i < 2; ++i) {
        char c = str[i];
        int digit;
        if (c >= '0' && c <= '9') {
            digit = c - '0';
        } else if (c >= 'A' && c <= 'F') {
            digit = c - 'A' + 10;
        } else {
            break;
        }
        byte = static_cast<unsigned char>(byte * 16 + digit);
    }
    *value = static_cast<char>(byte);
}

namespace {

constexpr int kLineArea = 220;  // ParsingLine: records of at most 219 characters

enum RecordKind { kIgnored, kData, kTermination };

void reportCorrupted() { printf("Error...File .mot corrupted"); }

// Reads one token into ParsingLine. A token longer than the area is taken
// whole and dropped; an empty read (end of the file) leaves the area empty.
void readToken(FILE* fd, char* ParsingLine) {
    ParsingLine[0] = '\0';
    if (fscanf(fd, "%219s", ParsingLine) != 1) return;
    int next = fgetc(fd);
    if (next == EOF || std::isspace(next)) return;
    while (next != EOF && !std::isspace(next)) next = fgetc(fd);
    ParsingLine[0] = '\0';
}

// Reads one token and decodes an S3 or S7 record into ParsingLineHex
// (`area` bytes, at least 110). For a data record the count nByte must lie
// within the pairs present, so that its checksum position was decoded.
RecordKind readRecord(FILE* fd, unsigned char* ParsingLineHex, std::size_t area, int& nByte) {
    char ParsingLine[kLineArea];
    readToken(fd, ParsingLine);
    if (ParsingLine[0] != 'S') {
        reportCorrupted();
        return kIgnored;
    }
    if (ParsingLine[1] != '3' && ParsingLine[1] != '7') return kIgnored;

    std::memset(ParsingLineHex, 0, area);
    std::size_t length = std::strlen(ParsingLine);
    int decoded = 0;
    for (std::size_t i = 0; 2 + 2 * i < length; ++i, ++decoded) {
        strHexTolong(reinterpret_cast<char*>(&ParsingLineHex[i]), &ParsingLine[2 + 2 * i]);
    }
    nByte = ParsingLineHex[0];
    if (ParsingLine[1] == '7') return kTermination;
    if (nByte > decoded - 1) {
        reportCorrupted();
        return kIgnored;
    }
    return kData;
}

}  // namespace

int readline16(FILE* fd, unsigned char* Data) {
    static DWORD k = 0;
    unsigned char ParsingLineHex[129];
    int nByte = 0;
    if (readRecord(fd, ParsingLineHex, sizeof ParsingLineHex, nByte) != kData) return 0;
    if (nByte > 5) {
        DWORD count = static_cast<DWORD>(nByte - 5);
        if (k + count > kBlockSize) {
            reportCorrupted();
            return 0;
        }
        std::memcpy(Data + k, ParsingLineHex + 5, count);
        k += count;
    }
    if (k >= kBlockSize) {
        k = 0;
        checkReadLine = 1;
    }
    return 0;
}

int readblock(FILE* fd, unsigned char* DataBlock, DWORD* BlockLength) {
    static DWORD k = 0;
    unsigned char ParsingLineHex[220];
    int nByte = 0;
    if (readRecord(fd, ParsingLineHex, sizeof ParsingLineHex, nByte) != kData) return 0;
    if (ParsingLineHex[1] == 0xFF && ParsingLineHex[2] == 0xFF) {
        k = 0;
        checkReadLine = 1;
        return 0;
    }
    if (nByte <= 5) return 0;
    DWORD count = static_cast<DWORD>(nByte - 5);
    if (k + count > kImageArea) {
        reportCorrupted();
        return 0;
    }
    std::memcpy(DataBlock + k, ParsingLineHex + 5, count);
    k += count;
    *BlockLength += count;
    return 0;
}
