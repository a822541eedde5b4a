// One command to the microcontroller and its one-byte verdict.
#include "link/micro_link.h"

#include "port/console.h"
#include "port/port.h"

namespace {

constexpr DWORD kDrainChunk = 300;
constexpr DWORD kDrainLimitMs = 5000;
constexpr DWORD kReadChunk = 10;
constexpr DWORD kAnswerWaitMs = 10000;
constexpr int kMaxTimeoutRetries = 5;  // waits after the first before giving up

enum Answer { kAccepted = 1, kInvalidCommand = 2, kInvalidAnswer = 3, kNoAnswer = 4 };
enum ReaderState { kHunting, kAfterEscape, kAfterM };

// The verdict carried by the status byte of a complete frame.
int judgeStatus(unsigned char status) {
    if (status == '*') return kAccepted;
    if (status == '~') {
        printf("Invalid command from micro ...\n");
        return kInvalidCommand;
    }
    printf("Invalid answer from micro ... %c\n", status);
    return kInvalidAnswer;
}

}  // namespace

int ReadMicroResponse() {
    DWORD deadline = GetTickCount() + kAnswerWaitMs;
    unsigned char readBuf[kReadChunk];
    ReaderState state = kHunting;
    int error = 0;

    while (error == 0) {
        lnumbytes = 0;
        if (!ReadFile(lport, readBuf, kReadChunk, &lnumbytes, nullptr)) error = kNoAnswer;
        if (tickPassed(deadline)) error = kNoAnswer;
        DWORD count = lnumbytes < kReadChunk ? lnumbytes : kReadChunk;

        // A frame completed in this read counts, even when the wait just ended.
        for (DWORD i = 0; i < count; ++i) {
            unsigned char byte = readBuf[i];
            switch (state) {
            case kHunting:
                if (byte == '=') state = kAfterEscape;
                break;
            case kAfterEscape:
                // A repeated "=" may still start the frame; anything else is noise.
                if (byte == 'M') {
                    state = kAfterM;
                } else if (byte != '=') {
                    state = kHunting;
                }
                break;
            case kAfterM: return judgeStatus(byte);
            }
        }
    }
    return error;
}

int sendMicroCmd(const unsigned char* msg, std::uint16_t length) {
    // Whatever arrived before the command is not its answer. A line that
    // never falls silent ends the drain; the command goes out regardless.
    drainPort(kDrainChunk, GetTickCount() + kDrainLimitMs);
    if (!writeAll(msg, length)) return 0;

    for (int retry = 0;; ++retry) {
        int answer = ReadMicroResponse();
        if (answer == kAccepted) return 1;
        if (answer != kNoAnswer) {
            printf("\n%.*s\n", static_cast<int>(length), reinterpret_cast<const char*>(msg));
            return 0;
        }
        if (retry >= kMaxTimeoutRetries) {
            printf("Unable to send command. Exit. SendMicro\n");
            return 0;
        }
        printf("Timeout. Retry...SEndMicro\n");
    }
}
