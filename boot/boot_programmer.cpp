// The boot-mode programmer of the microcontroller's flash (FDT), from its
// entry to the write kernel: the waits of its exchange, the communication
// check with the boot program at 9600 bit/s, the micro kernel, its
// parameters and the switch to 115200 bit/s, the main kernel and the write
// kernel. The image itself is written by image_writing.cpp. Every send is one
// write of one byte; every answer is awaited by short reads against a
// deadline on the tick count.
#include <cstring>

#include "boot/boot_programmer.h"
#include "boot/commands.h"
#include "boot/micro_files.h"
#include "port/console.h"
#include "port/port.h"

// ---- The waits of the exchange --------------------------------------------

namespace {

// One read of one byte into `into`. True when a byte came.
bool readByte(unsigned char* into) { return readSome(into, 1) == 1; }

}  // namespace

bool awaitByte(unsigned char* ReadBuf, unsigned char awaited, DWORD limitMs) {
    DWORD deadline = GetTickCount() + limitMs;
    ReadBuf[0] = kSentinel;
    readByte(ReadBuf);
    while (ReadBuf[0] != awaited && !tickPassed(deadline)) readByte(ReadBuf);
    return ReadBuf[0] == awaited;
}

bool readAnswer(unsigned char* ReadBuf, DWORD limitMs) {
    DWORD deadline = GetTickCount() + limitMs;
    ReadBuf[0] = kSentinel;
    DWORD got = 0;
    while (got < kAnswerLength) {
        if (tickPassed(deadline)) return false;
        got += readSome(ReadBuf + got, kAnswerLength - got);
    }
    return true;
}

int answerSumExpected(const unsigned char* ReadBuf) {
    return 256 - (ReadBuf[0] + ReadBuf[1] + ReadBuf[2] + ReadBuf[3]);
}

bool stepFailed(const char* text) {
    printf("%s", text);
    return false;
}

int flag = 0;

namespace {

// ---- Communication check: bit-rate matching, then 0x55 answered by 0xAA ----

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

// kNoBootProgram: no answer within 10 s, the first time in the process.
// After that, the reminder texts every 10 s until the boot program answers.
// kCheckFailed: a failed write, or no 0xAA after five retries.
enum CheckResult { kMatched, kNoBootProgram, kCheckFailed };

// Sends 0x00 bytes until the boot program answers one with 0x00.
Matching matchBitRate(unsigned char* ReadBuf) {
    DWORD deadline = GetTickCount() + kMatchingWaitMs;
    ReadBuf[0] = kSentinel;
    for (;;) {
        if (!writeByte(kMatch)) {
            printf("\nUnable to write on the COM port\nCheck if the jumpers are at the right place");
            return kWriteFailed;
        }
        DWORD sent = GetTickCount();
        do {
            if (readByte(ReadBuf) && ReadBuf[0] == kMatch) return kMatchedRate;
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

CheckResult checkCommunication(unsigned char* ReadBuf) {
    printf("\n->CHECKING COMMUNICATION WITH SH2...");
    int retry = 0;
    for (;;) {
        Matching matching = matchBitRate(ReadBuf);
        if (matching == kFirstTimeOut) return kNoBootProgram;
        if (matching == kWriteFailed) return kCheckFailed;

        if (!writeByte(kStart)) {
            printf("\nError doesn't write2");
            return kCheckFailed;
        }
        DWORD deadline = GetTickCount() + kStartWaitMs;
        readByte(ReadBuf);
        while (ReadBuf[0] != kStarted) {
            if (tickPassed(deadline)) break;
            if (retry > kMostRetries) return kCheckFailed;
            readByte(ReadBuf);
        }
        if (ReadBuf[0] == kStarted) break;
        printf("\nTime Out...Retry...");
        ++retry;
    }
    printf("OK");
    return kMatched;
}

// ---- The micro kernel: its length and bytes, each echoed; the erase --------

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
bool sendLengthByte(unsigned char byte, unsigned char* ReadBuf, const char* writeFailure, const char* timeOut) {
    if (!writeByte(byte)) return stepFailed(writeFailure);
    ReadBuf[0] = static_cast<unsigned char>(~byte);
    readByte(ReadBuf);
    DWORD deadline = GetTickCount() + kEchoWaitMs;
    while (ReadBuf[0] != byte) {
        if (tickPassed(deadline)) return stepFailed(timeOut);
        readByte(ReadBuf);
    }
    return true;
}

// A byte that follows the 0xAA within a few byte times.
bool eraseFailed(unsigned char* ReadBuf) {
    DWORD deadline = GetTickCount() + kEraseVerdictWaitMs;
    while (!readByte(ReadBuf)) {
        if (tickPassed(deadline)) return false;
    }
    return ReadBuf[0] == kEraseFailed;
}

bool sendMicroKernel(unsigned char* WriteBuf, unsigned char* ReadBuf) {
    printf("\n->SENDING MICRO KERNEL...\n");
    long loaded = loadKernel(kMicroKernelFile, WriteBuf);
    if (loaded < 0) return false;
    WORD maxAddr = static_cast<WORD>(loaded);

    if (!sendLengthByte(static_cast<unsigned char>(maxAddr >> 8), ReadBuf, "\nError doesn't write3",
                        "\nTime Out1") ||
        !sendLengthByte(static_cast<unsigned char>(maxAddr), ReadBuf, "\nError doesn't write4", "\nTime Out 2")) {
        return false;
    }

    for (DWORD i = 0; i < maxAddr; ++i) {
        DWORD deadline = GetTickCount() + kEchoWaitMs;
        if (!writeByte(WriteBuf[i])) return stepFailed("\nError doesn't write5");
        while (!readByte(&ReadBuf[i])) {
            if (tickPassed(deadline)) return stepFailed("\nTime Out 3");
        }
        if (ReadBuf[i] != WriteBuf[i]) return stepFailed("Error during  validation  byte");
        printf("%cJob at %0.2f %c", 13, static_cast<double>(i) / maxAddr * 100 + 0.05, '%');
    }
    printf("%cJob at 100 %c     ", 13, '%');

    if (!awaitByte(ReadBuf, kErased, kEchoWaitMs)) return stepFailed("\nTime Out 4");
    printf("\n%cOK", 13);
    if (eraseFailed(ReadBuf)) return stepFailed("Error during erasing of the flash");
    return true;
}

// ---- The micro kernel's parameters ------------------------------------------

constexpr DWORD kInquiryWaitMs = 5000;
constexpr DWORD kDrainWaitMs = 5000;
constexpr DWORD kDrainChunk = 100;
constexpr DWORD kQuietMs = 5;
constexpr DWORD kCommandPauseMs = 1000;
constexpr DWORD kSwitchPauseMs = 50;

constexpr unsigned char kInquiry = 0x27;
// Programming unit 0x0080: the 128 data bytes of every frame written later.
constexpr unsigned char kInquiryAnswer[kAnswerLength] = {0x37, 0x02, 0x00, 0x80, 0x47};

// A command frame of the micro kernel and how its sending is judged.
struct Command {
    DWORD pauseBeforeMs;
    unsigned char bytes[10];
    DWORD count;
    DWORD pauseAfterEachMs;
    const char* writeFailure;  // nullptr: a failed send goes unnoticed
    const char* noAck;
};

// clang-format off
// Device code "0410" in ASCII.
constexpr Command kDeviceSelection = {0, {0x10, 0x04, 0x30, 0x34, 0x31, 0x30, 0x27}, 7, 0, nullptr,
                                      "\nACK NOT received  DEVICE!!"};
constexpr Command kClockMode = {kCommandPauseMs, {0x11, 0x01, 0x03, 0xEB}, 4, 1000, "\nError doesn't write7",
                                "\nACK NOT received  SElect CLOCK MODE!!"};
// 04 80: 1152, the new rate in units of 100 bit/s.
constexpr Command kNewBitRate = {kCommandPauseMs, {0x3F, 0x07, 0x04, 0x80, 0x04, 0x52, 0x02, 0x04, 0x02, 0xD8},
                                 10, 0, "\nError doesn't write8", "\nACK NOT received  Changing Baud RAte!!"};
constexpr Command kConfirmation = {kSwitchPauseMs, {kAck}, 1, 0, "\nError doesn't write9",
                                   "\nACK NOT  received  Baud Rate !!!!"};
constexpr Command kFinishDataSet = {kCommandPauseMs, {0x40}, 1, 0, "\nError doesn't write10",
                                    "\nACK NOT  received   Finish Data Set !!!!"};
// clang-format on

bool send(const Command& command, unsigned char* ReadBuf) {
    if (command.pauseBeforeMs > 0) _sleep(command.pauseBeforeMs);
    for (DWORD i = 0; i < command.count; ++i) {
        if (!writeByte(command.bytes[i]) && command.writeFailure != nullptr) {
            return stepFailed(command.writeFailure);
        }
        if (command.pauseAfterEachMs > 0) _sleep(command.pauseAfterEachMs);
    }
    if (!awaitByte(ReadBuf, kAck, kAckWaitMs)) return stepFailed(command.noAck);
    return true;
}

bool inquireProgrammingUnit(unsigned char* ReadBuf) {
    if (!writeByte(kInquiry)) return stepFailed("\nError doesn't write6");
    if (!readAnswer(ReadBuf, kInquiryWaitMs)) return stepFailed("\nTime Out 5");
    if (std::memcmp(ReadBuf, kInquiryAnswer, kAnswerLength) != 0) return stepFailed("\nError 2");
    return true;
}

// Nothing more may come after the inquiry's answer: the line must fall
// silent for kQuietMs (a few byte times at 9600 bit/s; one polling read is
// shorter than one byte time there, so it cannot tell a pause between two
// bytes from silence) within 5 s.
bool drain(unsigned char* ReadBuf) {
    _sleep(kCommandPauseMs);
    DWORD deadline = GetTickCount() + kDrainWaitMs;
    DWORD quietUntil = GetTickCount() + kQuietMs;
    while (!tickPassed(quietUntil)) {
        if (readSome(ReadBuf, kDrainChunk) > 0) quietUntil = GetTickCount() + kQuietMs;
        if (tickPassed(deadline)) return stepFailed("\nTime Out 6");
    }
    return true;
}

bool setParameters(HANDLE port, DCB& dcb, unsigned char* ReadBuf) {
    printf("\n->SET PARAMETERS...");
    if (!inquireProgrammingUnit(ReadBuf) || !drain(ReadBuf) || !send(kDeviceSelection, ReadBuf) ||
        !send(kClockMode, ReadBuf) || !send(kNewBitRate, ReadBuf)) {
        return false;
    }
    dcb.BaudRate = CBR_115200;
    if (!SetCommState(port, &dcb)) {
        printf("Failed to change baud rate : error %ld\n", static_cast<long>(GetLastError()));
        return false;
    }
    if (!send(kConfirmation, ReadBuf) || !send(kFinishDataSet, ReadBuf)) return false;
    printf("OK");
    return true;
}

// ---- The main kernel and the write kernel -----------------------------------

constexpr DWORD kLengthPauseMs = 10;
constexpr DWORD kMainDataPauseMs = 100;
constexpr DWORD kMainSumPauseMs = 2000;
constexpr DWORD kWriteSumPauseMs = 10;
constexpr DWORD kMainAckWaitMs = 3000;
constexpr DWORD kStatusWaitMs = 10000;
constexpr DWORD kMainStatusPauseMs = 1000;
constexpr DWORD kPrepareUserPauseMs = 1000;
// Added to each kernel's byte sum before its two's complement is sent.
constexpr unsigned char kMainKernelSumConstant = 0x75;
constexpr unsigned char kWriteKernelSumConstant = 0x9A;
constexpr unsigned char kPrepareUser = 0x43;
constexpr unsigned char kMainKernelStatus[4] = {0x5F, 0x02, 0x03, 0x00};

// Sends the kernel's bytes, each counted into the returned sum; false when a
// send failed (after its text).
bool sendKernelBytes(const unsigned char* WriteBuf, DWORD count, const char* writeFailure,
                     unsigned char& checksum) {
    checksum = 0;
    for (DWORD i = 0; i < count; ++i) {
        if (!writeByte(WriteBuf[i])) return stepFailed(writeFailure);
        checksum = static_cast<unsigned char>(checksum + WriteBuf[i]);
    }
    return true;
}

// The four-byte length, most significant byte first, 10 ms after each.
bool sendLength(DWORD length, const char* writeFailure) {
    for (int shift = 24; shift >= 0; shift -= 8) {
        if (!writeByte(static_cast<unsigned char>(length >> shift)) && writeFailure != nullptr) {
            return stepFailed(writeFailure);
        }
        _sleep(kLengthPauseMs);
    }
    return true;
}

unsigned char kernelSum(unsigned char checksum, unsigned char constant) {
    return static_cast<unsigned char>(-(checksum + constant));
}

bool checkStatus(unsigned char* ReadBuf) {
    _sleep(kMainStatusPauseMs);
    if (!writeByte(kStatusInquiry)) return stepFailed("\nError doesn't write14");
    if (!readAnswer(ReadBuf, kStatusWaitMs)) return stepFailed("\nTime Out 7");
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

bool prepareUser(unsigned char* ReadBuf) {
    _sleep(kPrepareUserPauseMs);
    if (!writeByte(kPrepareUser)) return stepFailed("\nError doesn't write15");
    if (!awaitByte(ReadBuf, kAck, kAckWaitMs)) return stepFailed("\nACK NOT RECEIVE PrepareUser");
    return true;
}

bool sendMainKernel(unsigned char* WriteBuf, unsigned char* ReadBuf) {
    printf("\n->SENDING MAIN KERNEL...");
    long loaded = loadKernel(kMainKernelFile, WriteBuf);
    if (loaded < 0) return false;
    WORD maxAddr = static_cast<WORD>(loaded);

    unsigned char checksum = 0;
    if (!sendLength(maxAddr, "\nError doesn't write11")) return false;
    _sleep(kMainDataPauseMs);
    if (!sendKernelBytes(WriteBuf, maxAddr, "\nError doesn't write12", checksum)) return false;
    _sleep(kMainSumPauseMs);
    if (!writeByte(kernelSum(checksum, kMainKernelSumConstant))) return stepFailed("\nError doesn't write13");
    if (!awaitByte(ReadBuf, kAck, kMainAckWaitMs)) {
        printf("\nACK NOT received MAIN KERNEL ..%x", ReadBuf[0]);
        return false;
    }
    printf("OK");
    printf("\n->Set PARAMETERS...");

    if (!checkStatus(ReadBuf) || !prepareUser(ReadBuf)) return false;
    printf("OK");
    return true;
}

bool sendWriteKernel(unsigned char* WriteBuf, unsigned char* ReadBuf) {
    long loaded = loadKernel(kWriteKernelFile, WriteBuf);
    if (loaded < 0) return false;
    DWORD sizeBinary = static_cast<DWORD>(loaded);

    unsigned char checksum = 0;
    sendLength(sizeBinary, nullptr);
    if (!sendKernelBytes(WriteBuf, sizeBinary, "\nError doesn't write16", checksum)) return false;
    _sleep(kWriteSumPauseMs);
    if (!writeByte(kernelSum(checksum, kWriteKernelSumConstant))) return stepFailed("\nError doesn't write17");
    // The write kernel may have been loaded all the same: writing goes on.
    if (!awaitByte(ReadBuf, kAck, kAckWaitMs)) printf("\nACK NOT received  FDTWrite ");
    return true;
}

}  // namespace

// ---- The programmer --------------------------------------------------------

int FDT(HANDLE port, DCB dcb, COMMTIMEOUTS, char*) {
    exitStatus = kExitFailed;
    // From here on the microcontroller runs only its boot program until it is
    // programmed and rebooted; once the micro kernel has gone, its flash is
    // erased and written.
    noteInterruptRisk("the card stays in boot mode");
    unsigned char WriteBuf[5000];
    unsigned char ReadBuf[4000];

    CheckResult check = checkCommunication(ReadBuf);
    if (check == kNoBootProgram) return kFdtNoBootProgram;
    if (check == kCheckFailed) return kFdtRunEnded;

    if (!sendMicroKernel(WriteBuf, ReadBuf)) return kFdtRunEnded;
    noteInterruptRisk("the microcontroller's flash may be partly written and the card stays in boot mode");
    if (setParameters(port, dcb, ReadBuf) && sendMainKernel(WriteBuf, ReadBuf) &&
        sendWriteKernel(WriteBuf, ReadBuf) && writeImage(ReadBuf)) {
        exitStatus = kExitDone;
        clearInterruptRisk();
    }
    return kFdtRunEnded;
}
