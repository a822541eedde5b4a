#include "boot/boot_parameters.h"

#include <cstring>

#include "boot/boot_link.h"
#include "port/console.h"

namespace {

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

bool send(HANDLE port, const Command& command, unsigned char* ReadBuf) {
    if (command.pauseBeforeMs > 0) _sleep(command.pauseBeforeMs);
    for (DWORD i = 0; i < command.count; ++i) {
        if (!sendByte(port, command.bytes[i]) && command.writeFailure != nullptr) {
            return stepFailed(command.writeFailure);
        }
        if (command.pauseAfterEachMs > 0) _sleep(command.pauseAfterEachMs);
    }
    if (!awaitByte(port, ReadBuf, kAck, kAckWaitMs)) return stepFailed(command.noAck);
    return true;
}

bool inquireProgrammingUnit(HANDLE port, unsigned char* ReadBuf) {
    if (!sendByte(port, kInquiry)) return stepFailed("\nError doesn't write6");
    if (!readAnswer(port, ReadBuf, kInquiryWaitMs)) return stepFailed("\nTime Out 5");
    if (std::memcmp(ReadBuf, kInquiryAnswer, kAnswerLength) != 0) return stepFailed("\nError 2");
    return true;
}

// Nothing more may come after the inquiry's answer: the line must fall
// silent for kQuietMs (a few byte times at 9600 bit/s; one polling read is
// shorter than one byte time there, so it cannot tell a pause between two
// bytes from silence) within 5 s.
bool drain(HANDLE port, unsigned char* ReadBuf) {
    _sleep(kCommandPauseMs);
    DWORD deadline = GetTickCount() + kDrainWaitMs;
    DWORD quietUntil = GetTickCount() + kQuietMs;
    while (!tickPassed(quietUntil)) {
        if (readInto(port, ReadBuf, kDrainChunk) > 0) quietUntil = GetTickCount() + kQuietMs;
        if (tickPassed(deadline)) return stepFailed("\nTime Out 6");
    }
    return true;
}

}  // namespace

bool setParameters(HANDLE port, DCB& dcb, unsigned char* ReadBuf) {
    printf("\n->SET PARAMETERS...");
    if (!inquireProgrammingUnit(port, ReadBuf) || !drain(port, ReadBuf) ||
        !send(port, kDeviceSelection, ReadBuf) || !send(port, kClockMode, ReadBuf) ||
        !send(port, kNewBitRate, ReadBuf)) {
        return false;
    }
    dcb.BaudRate = CBR_115200;
    if (!SetCommState(port, &dcb)) {
        printf("Failed to change baud rate : error %ld\n", static_cast<long>(GetLastError()));
        return false;
    }
    if (!send(port, kConfirmation, ReadBuf) || !send(port, kFinishDataSet, ReadBuf)) return false;
    printf("OK");
    return true;
}
