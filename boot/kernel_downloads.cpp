#include "boot/kernel_downloads.h"

#include "boot/boot_link.h"
#include "boot/kernel_files.h"
#include "port/console.h"

namespace {

constexpr DWORD kLengthPauseMs = 10;
constexpr DWORD kMainDataPauseMs = 100;
constexpr DWORD kMainSumPauseMs = 2000;
constexpr DWORD kWriteSumPauseMs = 10;
constexpr DWORD kMainAckWaitMs = 3000;
constexpr DWORD kStatusWaitMs = 10000;
constexpr DWORD kStatusPauseMs = 1000;
constexpr DWORD kPrepareUserPauseMs = 1000;
// Added to each kernel's byte sum before its two's complement is sent.
constexpr unsigned char kMainKernelSumConstant = 0x75;
constexpr unsigned char kWriteKernelSumConstant = 0x9A;
constexpr unsigned char kStatusInquiry = 0x4F;
constexpr unsigned char kPrepareUser = 0x43;
constexpr unsigned char kMainKernelStatus[4] = {0x5F, 0x02, 0x03, 0x00};

// Sends the kernel's bytes, each counted into the returned sum; false when a
// send failed (after its text).
bool sendKernelBytes(HANDLE port, const unsigned char* WriteBuf, DWORD count, const char* writeFailure,
                     unsigned char& checksum) {
    checksum = 0;
    for (DWORD i = 0; i < count; ++i) {
        if (!sendByte(port, WriteBuf[i])) return stepFailed(writeFailure);
        checksum = static_cast<unsigned char>(checksum + WriteBuf[i]);
    }
    return true;
}

// The four-byte length, most significant byte first, 10 ms after each.
bool sendLength(HANDLE port, DWORD length, const char* writeFailure) {
    for (int shift = 24; shift >= 0; shift -= 8) {
        if (!sendByte(port, static_cast<unsigned char>(length >> shift)) && writeFailure != nullptr) {
            return stepFailed(writeFailure);
        }
        _sleep(kLengthPauseMs);
    }
    return true;
}

unsigned char kernelSum(unsigned char checksum, unsigned char constant) {
    return static_cast<unsigned char>(-(checksum + constant));
}

bool checkStatus(HANDLE port, unsigned char* ReadBuf) {
    _sleep(kStatusPauseMs);
    if (!sendByte(port, kStatusInquiry)) return stepFailed("\nError doesn't write14");
    if (!readAnswer(port, ReadBuf, kStatusWaitMs)) return stepFailed("\nTime Out 7");
    int expected = answerSumExpected(ReadBuf);
    if (ReadBuf[4] != expected) {
        printf("Error checking sum %02x ....%02x", ReadBuf[4], static_cast<unsigned>(expected));
        return false;
    }
    for (int i = 0; i < 4; ++i) {
        if (ReadBuf[i] != kMainKernelStatus[i]) return stepFailed("\nError 3");
    }
    return true;
}

bool prepareUser(HANDLE port, unsigned char* ReadBuf) {
    _sleep(kPrepareUserPauseMs);
    if (!sendByte(port, kPrepareUser)) return stepFailed("\nError doesn't write15");
    if (!awaitByte(port, ReadBuf, kAck, kAckWaitMs)) return stepFailed("\nACK NOT RECEIVE PrepareUser");
    return true;
}

}  // namespace

bool sendMainKernel(HANDLE port, unsigned char* WriteBuf, unsigned char* ReadBuf) {
    printf("\n->SENDING MAIN KERNEL...");
    long loaded = loadKernel(kMainKernelFile, WriteBuf);
    if (loaded < 0) return false;
    WORD maxAddr = static_cast<WORD>(loaded);

    unsigned char checksum = 0;
    if (!sendLength(port, maxAddr, "\nError doesn't write11")) return false;
    _sleep(kMainDataPauseMs);
    if (!sendKernelBytes(port, WriteBuf, maxAddr, "\nError doesn't write12", checksum)) return false;
    _sleep(kMainSumPauseMs);
    if (!sendByte(port, kernelSum(checksum, kMainKernelSumConstant))) return stepFailed("\nError doesn't write13");
    if (!awaitByte(port, ReadBuf, kAck, kMainAckWaitMs)) {
        printf("\nACK NOT received MAIN KERNEL ..%x", ReadBuf[0]);
        return false;
    }
    printf("OK");
    printf("\n->Set PARAMETERS...");

    if (!checkStatus(port, ReadBuf) || !prepareUser(port, ReadBuf)) return false;
    printf("OK");
    return true;
}

bool sendWriteKernel(HANDLE port, unsigned char* WriteBuf, unsigned char* ReadBuf) {
    long loaded = loadKernel(kWriteKernelFile, WriteBuf);
    if (loaded < 0) return false;
    DWORD sizeBinary = static_cast<DWORD>(loaded);

    unsigned char checksum = 0;
    sendLength(port, sizeBinary, nullptr);
    if (!sendKernelBytes(port, WriteBuf, sizeBinary, "\nError doesn't write16", checksum)) return false;
    _sleep(kWriteSumPauseMs);
    if (!sendByte(port, kernelSum(checksum, kWriteKernelSumConstant)))
        return stepFailed("\nError doesn't write17");
    // The write kernel may have been loaded all the same: writing goes on.
    if (!awaitByte(port, ReadBuf, kAck, kAckWaitMs)) printf("\nACK NOT received  FDTWrite ");
    return true;
}
