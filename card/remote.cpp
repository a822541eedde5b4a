// REMOTE: runs a script of text commands against the card, one line at a
// time: '#' sends a command and waits for its acknowledgement, '$' waits
// for a key, '&' sleeps, '@' shows a text; other lines are ignored. Ends
// with the counts of acknowledged and refused commands.
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "card/commands.h"
#include "port/console.h"
#include "port/port.h"

namespace {

constexpr int kLineArea = 255;
constexpr int kLineRead = 253;  // characters one read takes at most, line end included
// The card settles 10 ms after each carriage return, and after its echo.
constexpr DWORD kAfterResetMs = 10;
constexpr DWORD kAfterEchoMs = 10;
constexpr DWORD kAfterCommandMs = 10;
constexpr DWORD kEchoWaitMs = 1000;
constexpr DWORD kReplyWaitMs = 4000;
constexpr unsigned char reset = 0x0D;

struct Counters {
    int ack = 0;
    int nack = 0;
    int function = 0;    // replies seen: each '#' received while a reply is awaited
    int unanswered = 0;  // commands without "#A" or "#N" in time
};

// True once the tick count has reached `deadline` (by difference).
bool tickReached(DWORD deadline) { return static_cast<int>(GetTickCount() - deadline) >= 0; }

// The sleep time of a '&' line: the decimal number after it, or `wait`
// unchanged when there is none. A number outside 0 to INT_MAX (a negative
// sleep would last for weeks) is not taken either.
int sleepTime(const char* text, int wait) {
    char* end = nullptr;
    errno = 0;
    long value = std::strtol(text, &end, 10);
    if (end == text || errno == ERANGE || value < 0 || value > INT_MAX) return wait;
    return static_cast<int>(value);
}

// Reads the card's reply until "#A" or "#N" or the deadline.
void awaitReply(Counters& counters) {
    DWORD deadline = GetTickCount() + kReplyWaitMs;
    bool afterHash = false;
    while (!tickReached(deadline)) {
        unsigned char byte;
        if (readOne(byte) != LineRead::kByte) continue;
        if (!afterHash) {
            if (byte == '#') {
                ++counters.function;
                afterHash = true;
            }
            continue;
        }
        afterHash = false;
        if (byte == 'A') {
            printf("\nACK received...\n");
            ++counters.ack;
            return;
        }
        if (byte == 'N') {
            printf("\nNACK received...\n");
            ++counters.nack;
            return;
        }
    }
    printf("\nNACK received...\n");
    ++counters.unanswered;
}

// One '#' line: a carriage return, the card's echo, the command up to its
// line end, a carriage return, the reply. False when a byte could not be
// written.
bool runCommand(const char* CommandLine, Counters& counters) {
    WriteFile(lport, &reset, 1, &lnumbytes, nullptr);
    _sleep(kAfterResetMs);
    DWORD deadline = GetTickCount() + kEchoWaitMs;
    unsigned char echo;
    while (!tickReached(deadline) && readOne(echo) != LineRead::kByte) {
    }
    _sleep(kAfterEchoMs);

    std::size_t length = std::strcspn(CommandLine, "\r\n");
    for (std::size_t i = 0; i < length; ++i) {
        if (!writeByte(static_cast<unsigned char>(CommandLine[i]))) return false;
    }
    lrc = WriteFile(lport, &reset, 1, &lnumbytes, nullptr);
    _sleep(kAfterCommandMs);
    awaitReply(counters);
    return true;
}

}  // namespace

void Remote(const char* fileName) {
    std::FILE* script = std::fopen(fileName, "rb");
    if (script == nullptr) {
        printf("/nFile load error\n");
        exitStatus = kExitRefused;
        return;
    }
    printf("\n->Remote Function...Now executing the function in the remote.txt file...\n");
    noteFileSent(fileName);
    noteInterruptRisk("only part of the script may have been sent");

    Counters counters;
    int wait = 0;
    char CommandLine[kLineArea];
    while (std::fgets(CommandLine, kLineRead + 1, script) != nullptr) {
        switch (CommandLine[0]) {
        case '$':
            printf("Press a key to continue!");
            _getch();
            printf("%c                                                     ", 13);
            break;
        case '&':
            wait = sleepTime(CommandLine + 1, wait);
            _sleep(static_cast<unsigned long>(wait));
            break;
        case '@': {
            char buff[500];
            std::snprintf(buff, sizeof buff, "%s", CommandLine + 1);
            printf("\n%s", buff);
            break;
        }
        case '#':
            if (!runCommand(CommandLine, counters)) {
                std::fclose(script);
                exitStatus = kExitFailed;
                return;
            }
            break;
        default: break;
        }
    }
    clearInterruptRisk();
    printf("\n->ACK : %d / %d  ", counters.ack, counters.function);
    printf("\n->NACK : %d / %d  ", counters.nack, counters.function);
    printf("\nEnd of remote.txt");
    std::fclose(script);
    if (counters.nack > 0 || counters.unanswered > 0) exitStatus = kExitFailed;
}
