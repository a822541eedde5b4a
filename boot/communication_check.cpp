#include "boot/communication_check.h"

#include "boot/boot_link.h"
#include "port/console.h"

int flag = 0;

namespace {

constexpr DWORD kMatchingWaitMs = 10000;
constexpr DWORD kStartWaitMs = 2000;
constexpr int kMostRetries = 4;  // retries beyond this end the check
constexpr unsigned char kMatch = 0x00;
constexpr unsigned char kStart = 0x55;
constexpr unsigned char kStarted = 0xAA;
// A 0x00 takes just over 1 ms on the line at 9600 bit/s, as long as one
// polling read: sent once per read they would pile up behind one another
// (400 ms of them after 10 s) and hold back whatever the host sends next.
// The next goes out only when 2 ms have passed since the last.
constexpr DWORD kMatchSpacingMs = 2;

enum Matching { kMatchedRate, kFirstTimeOut, kWriteFailed };

// Sends 0x00 bytes until the boot program answers one with 0x00.
Matching matchBitRate(HANDLE port, unsigned char* ReadBuf) {
    DWORD deadline = GetTickCount() + kMatchingWaitMs;
    ReadBuf[0] = kSentinel;
    for (;;) {
        if (!sendByte(port, kMatch)) {
            printf("\nUnable to write on the COM port\nCheck if the jumpers are at the right place");
            return kWriteFailed;
        }
        DWORD sent = GetTickCount();
        do {
            if (readByte(port, ReadBuf) && ReadBuf[0] == kMatch) return kMatchedRate;
        } while (GetTickCount() - sent < kMatchSpacingMs);
        if (!tickPassed(deadline)) continue;
        if (flag == 0) {
            printf("\nTime Out...No communication with Boot Program...Maybe there's an old firmware...");
            printf("\nNow Calling the function to check the version of the firmware...");
            ++flag;
            return kFirstTimeOut;
        }
        // The operator has to reboot the card: remind every 10 s, for as
        // long as it takes.
        printf("\nTime out...No old firmware...No communication..Reboot the card and try again...");
        printf("\nBe sure that the jumpers for the RS-232 commmunications are at the right place");
        deadline = GetTickCount() + kMatchingWaitMs;
    }
}

}  // namespace

CheckResult checkCommunication(HANDLE port, unsigned char* ReadBuf) {
    printf("\n->CHECKING COMMUNICATION WITH SH2...");
    int retry = 0;
    for (;;) {
        Matching matching = matchBitRate(port, ReadBuf);
        if (matching == kFirstTimeOut) return kNoBootProgram;
        if (matching == kWriteFailed) return kCheckFailed;

        if (!sendByte(port, kStart)) {
            printf("\nError doesn't write2");
            return kCheckFailed;
        }
        DWORD deadline = GetTickCount() + kStartWaitMs;
        readByte(port, ReadBuf);
        while (ReadBuf[0] != kStarted) {
            if (tickPassed(deadline)) break;
            if (retry > kMostRetries) return kCheckFailed;
            readByte(port, ReadBuf);
        }
        if (ReadBuf[0] == kStarted) break;
        printf("\nTime Out...Retry...");
        ++retry;
    }
    printf("OK");
    return kMatched;
}
