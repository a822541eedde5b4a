#include "boot/micro_kernel.h"

#include "boot/boot_link.h"
#include "boot/kernel_files.h"
#include "port/console.h"

namespace {

constexpr DWORD kEchoWaitMs = 5000;
constexpr unsigned char kErased = 0xAA;
constexpr unsigned char kEraseFailed = 0xFF;
// The failed-erase byte follows the 0xAA directly: one byte time at 9600
// bit/s is just over 1 ms, longer than one polling read, so it is awaited
// for a few byte times.
constexpr DWORD kEraseVerdictWaitMs = 10;

// Sends one length byte and awaits its echo. The echo comes two byte times
// after the send, later than one polling read: until it has come, the
// receive position holds what cannot be taken for it (the echo of the high
// byte would be taken for the low byte's when both are equal).
bool sendLengthByte(HANDLE port, unsigned char byte, unsigned char* ReadBuf, const char* writeFailure,
                    const char* timeOut) {
    if (!sendByte(port, byte)) return stepFailed(writeFailure);
    ReadBuf[0] = static_cast<unsigned char>(~byte);
    readByte(port, ReadBuf);
    DWORD deadline = GetTickCount() + kEchoWaitMs;
    while (ReadBuf[0] != byte) {
        if (tickPassed(deadline)) return stepFailed(timeOut);
        readByte(port, ReadBuf);
    }
    return true;
}

// A byte that follows the 0xAA within a few byte times.
bool eraseFailed(HANDLE port, unsigned char* ReadBuf) {
    DWORD deadline = GetTickCount() + kEraseVerdictWaitMs;
    while (!readByte(port, ReadBuf)) {
        if (tickPassed(deadline)) return false;
    }
    return ReadBuf[0] == kEraseFailed;
}

}  // namespace

bool sendMicroKernel(HANDLE port, unsigned char* WriteBuf, unsigned char* ReadBuf) {
    printf("\n->SENDING MICRO KERNEL...\n");
    long loaded = loadKernel(kMicroKernelFile, WriteBuf);
    if (loaded < 0) return false;
    WORD maxAddr = static_cast<WORD>(loaded);

    if (!sendLengthByte(port, static_cast<unsigned char>(maxAddr >> 8), ReadBuf, "\nError doesn't write3",
                        "\nTime Out1") ||
        !sendLengthByte(port, static_cast<unsigned char>(maxAddr), ReadBuf, "\nError doesn't write4",
                        "\nTime Out 2")) {
        return false;
    }

    for (DWORD i = 0; i < maxAddr; ++i) {
        DWORD deadline = GetTickCount() + kEchoWaitMs;
        if (!sendByte(port, WriteBuf[i])) return stepFailed("\nError doesn't write5");
        while (!readByte(port, &ReadBuf[i])) {
            if (tickPassed(deadline)) return stepFailed("\nTime Out 3");
        }
        if (ReadBuf[i] != WriteBuf[i]) return stepFailed("Error during  validation  byte");
        printf("%cJob at %0.2f %c", 13, static_cast<double>(i) / maxAddr * 100 + 0.05, '%');
    }
    printf("%cJob at 100 %c     ", 13, '%');

    if (!awaitByte(port, ReadBuf, kErased, kEchoWaitMs)) return stepFailed("\nTime Out 4");
    printf("\n%cOK", 13);
    if (eraseFailed(port, ReadBuf)) return stepFailed("Error during erasing of the flash");
    return true;
}
