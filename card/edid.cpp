// EDID: writes a 128- or 256-byte image into the card's EDID memory, one
// byte per acknowledgement, then the sum and the card's verdict.
#include <cstdio>

#include "card/commands.h"
#include "port/console.h"
#include "port/port.h"

namespace {

constexpr DWORD kWaitMs = 5000;  // for the line to fall silent, and for each answer
constexpr DWORD kAfterCommandMs = 500;
constexpr std::size_t kBlock = 128;
constexpr DWORD kDrainChunk = 2048;

void failureEnd(std::FILE* file, ExitStatus status) {
    if (file != nullptr) std::fclose(file);
    exitStatus = status;
    printf("Unable to write EDID information ");
    printf("\n");
    pressAnyKeyToContinue();
}

// Each byte waits for its '.', then the sum byte for '~' and the verdict.
// Returns the verdict, or 0 when an answer did not come in time.
unsigned char sendImage(const unsigned char* vecteur, std::size_t maxadress) {
    unsigned char checksum = 0;
    unsigned char answer = 0;
    for (std::size_t i = 0; i < maxadress; ++i) {
        DWORD begin = GetTickCount() + kWaitMs;
        bool written = writeByte(vecteur[i]);
        checksum = static_cast<unsigned char>(checksum + vecteur[i]);
        if (!written || !awaitOneOf(".", begin, answer)) return 0;
    }
    writeByte(checksum);
    if (!awaitOneOf("~", GetTickCount() + kWaitMs, answer)) return 0;
    if (!awaitOneOf("ES", GetTickCount() + kWaitMs, answer)) return 0;
    return answer;
}

}  // namespace

void ProgramEDID(const char* fileName) {
    if (!setTransferTimeouts()) {
        printf("Failed to set timeout : error %ld\n", static_cast<long>(GetLastError()));
        return failureEnd(nullptr, kExitFailed);
    }
    std::FILE* file = std::fopen(fileName, "rb");
    if (file == nullptr) {
        printf("/nFile load error\n");
        return failureEnd(nullptr, kExitRefused);
    }
    std::rewind(file);
    DWORD time = GetTickCount();
    if (!drainPort(kDrainChunk, GetTickCount() + kWaitMs)) return failureEnd(file, kExitFailed);

    unsigned char vecteur[300];
    std::size_t maxadress = std::fread(vecteur, 1, sizeof vecteur, file);
    if (maxadress != kBlock && maxadress != 2 * kBlock) {
        printf("\nError only file of 128 or 256 bytes can be read\n");
        return failureEnd(file, kExitRefused);
    }
    printf("\n->Program EDID with  %d bytes...\n", static_cast<int>(maxadress));

    const char* command = maxadress == kBlock ? "#EDID 1\r" : "#EDID 2\r";
    noteFileSent(fileName);
    noteInterruptRisk("the EDID memory may be partly written");
    lnumbytes = 0;
    lrc = WriteFile(lport, command, 8, &lnumbytes, nullptr);
    if (!lrc || lnumbytes != 8) return failureEnd(file, kExitFailed);
    _sleep(kAfterCommandMs);

    unsigned char verdict = sendImage(vecteur, maxadress);
    if (verdict == 0) return failureEnd(file, kExitFailed);
    printVerdict(verdict);
    printTime(time, 1);
    printf("\n");
    std::fclose(file);
}

void printVerdict(unsigned char verdict) {
    if (verdict == 'E') {
        printf("Failed\n");
        exitStatus = kExitFailed;
        return;
    }
    clearInterruptRisk();
    printf("Success\n");
}
