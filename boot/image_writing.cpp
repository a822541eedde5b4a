// The last stage of boot-mode programming: appMain.mot written into the
// microcontroller's flash through the write kernel.
#include <vector>

#include "boot/boot_programmer.h"
#include "boot/srecord_readers.h"
#include "port/console.h"
#include "port/port.h"

namespace {

constexpr unsigned char nByteWrite = 0x50;  // the 128-byte programming command
constexpr DWORD kVectorAreaEnd = 0x3FF;
constexpr DWORD kMainAreaStart = 0x0800;
constexpr DWORD kHeaderPauseMs = 5;
constexpr DWORD kReadingLimitMs = 5000;
constexpr DWORD kStatusWaitMs = 10000;
constexpr DWORD kImageStatusPauseMs = 1000;
constexpr unsigned char kImageStatus[4] = {0x5F, 0x02, 0x04, 0x00};
// The bytes of the last frame beyond the image: what erased flash holds.
constexpr unsigned char kFiller = 0xFF;

// Calls `reader` until it signals; "ErrorReading line" when the file ends
// first or the reading takes more than 5 s.
template <class Reader>
bool readUntilSignal(FILE* fd, Reader reader) {
    DWORD deadline = GetTickCount() + kReadingLimitMs;
    while (checkReadLine != 1) {
        reader();
        if (checkReadLine != 1 && (feof(fd) || ferror(fd) || tickPassed(deadline))) {
            return stepFailed("ErrorReading line");
        }
    }
    checkReadLine = 0;
    return true;
}

void addressBytes(DWORD adress, unsigned char* bytes) {
    for (int i = 0; i < 4; ++i) bytes[i] = static_cast<unsigned char>(adress >> (24 - 8 * i));
}

// The eight frames of the vector area, each header byte followed by 5 ms.
bool writeVectorArea(FILE* fd, unsigned char* ReadBuf) {
    unsigned char Data[kBlockSize + 1];
    for (DWORD adress = 0; adress <= kVectorAreaEnd; adress += kBlockSize) {
        if (!readUntilSignal(fd, [&] { readline16(fd, Data); })) return false;
        unsigned char header[5] = {nByteWrite};
        addressBytes(adress, header + 1);
        unsigned char checksum = 0;
        for (unsigned char byte : header) checksum = static_cast<unsigned char>(checksum + byte);
        for (DWORD j = 0; j < kBlockSize; ++j) checksum = static_cast<unsigned char>(checksum + Data[j]);

        for (unsigned char byte : header) {
            writeByte(byte);
            _sleep(kHeaderPauseMs);
        }
        for (DWORD j = 0; j < kBlockSize; ++j) {
            if (!writeByte(Data[j])) return stepFailed("\nError doesn't write18");
        }
        if (!writeByte(static_cast<unsigned char>(-checksum))) return stepFailed("\nError doesn't write19");
        if (!awaitByte(ReadBuf, kAck, kAckWaitMs)) return stepFailed("\nACK NOT received  :( ");
    }
    return true;
}

// The write kernel's status after the vector area; a wrong sum is only
// reported.
bool checkImageStatus(unsigned char* ReadBuf) {
    _sleep(kImageStatusPauseMs);
    if (!writeByte(kStatusInquiry)) return stepFailed("\nError doesn't write20");
    if (!readAnswer(ReadBuf, kStatusWaitMs)) return stepFailed("\nTime Out 8");
    int expected = answerSumExpected(ReadBuf);
    if (ReadBuf[4] != expected) {
        printf("Error checking sum BINARY%02x ....%02x", ReadBuf[4], static_cast<unsigned>(expected));
    }
    for (int i = 0; i < 4; ++i) {
        if (ReadBuf[i] != kImageStatus[i]) return stepFailed("\nError 4");
    }
    return true;
}

// Everything after the vector area, from 0x0800 upward without gaps, one
// frame per 128 bytes, with a progress line after every byte.
bool writeMainArea(FILE* fd, unsigned char* ReadBuf) {
    std::vector<unsigned char> DataBlock(kImageArea, kFiller);
    DWORD BlockLength = 0;
    if (!readUntilSignal(fd, [&] { readblock(fd, DataBlock.data(), &BlockLength); })) return false;

    DWORD i = 0;
    for (DWORD adress = kMainAreaStart; adress < BlockLength + kMainAreaStart; adress += kBlockSize) {
        unsigned char header[5] = {nByteWrite};
        addressBytes(adress, header + 1);
        for (unsigned char byte : header) writeByte(byte);
        unsigned char checksum = 0;
        for (DWORD j = 0; j < kBlockSize; ++j) {
            if (!writeByte(DataBlock[i])) return stepFailed("\nError doesn't write21");
            checksum = static_cast<unsigned char>(checksum + DataBlock[i]);
            ++i;
            printf(" %cJob at %0.2f %c", 13, static_cast<double>(i) / BlockLength * 100 - 0.05, '%');
        }
        for (unsigned char byte : header) checksum = static_cast<unsigned char>(checksum + byte);
        if (!writeByte(static_cast<unsigned char>(-checksum))) return stepFailed("\nError doesn't write9");
        if (!awaitByte(ReadBuf, kAck, kAckWaitMs)) return stepFailed("\nACK NOT received  :( ");
    }
    return true;
}

}  // namespace

bool writeImage(unsigned char* ReadBuf) {
    printf("\n->WRITING .MOT FILE  TO FLASH MEMORY...\n");
    FILE* fd = fopen("appMain.mot", "rb");
    if (fd == nullptr) return stepFailed("/nFile load error\n");
    noteFileSent("appMain.mot");
    rewind(fd);
    bool written = writeVectorArea(fd, ReadBuf) && checkImageStatus(ReadBuf) && writeMainArea(fd, ReadBuf);
    fclose(fd);
    if (!written) return false;
    printf("%cJob at 100 %c      ", 13, '%');
    printf("\n%cOK", 13);
    printf("\nEND...REBOOT THE DEVICE!\n");
    return true;
}
