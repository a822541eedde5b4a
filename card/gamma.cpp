// GAMMA: writes a 1024-line gamma table, read and checked whole from a
// comma-separated file, into the card as 3072 big-endian 16-bit values,
// each acknowledged, then the sum and the card's verdict.
#include <cstdio>

#include "card/commands.h"
#include "card/gamma_table.h"
#include "port/console.h"
#include "port/port.h"

namespace {

constexpr DWORD kDrainLimitMs = 5000;
constexpr DWORD kDrainChunk = 2048;
constexpr DWORD kAfterCommandMs = 100;
constexpr DWORD kValueWaitMs = 60000;
constexpr DWORD kVerdictWaitMs = 5000;

void failureEnd(std::FILE* file, ExitStatus status) {
    if (file != nullptr) std::fclose(file);
    exitStatus = status;
    pressAnyKeyToContinue();
}

// Sends every value and the sum; returns the verdict, or 0 after printing
// why the transfer failed.
unsigned char sendTable(const unsigned short (&table)[kGammaValues]) {
    unsigned char checksum = 0;
    unsigned char answer = 0;
    for (unsigned short value : table) {
        DWORD begin = GetTickCount() + kValueWaitMs;
        auto high = static_cast<unsigned char>((value & 0xFF00) >> 8);
        auto low = static_cast<unsigned char>(value & 0xFF);
        bool written = writeByte(high) && writeByte(low);
        checksum = static_cast<unsigned char>(checksum + high + low);
        if (!written) {
            printf("ERROR 0");
            return 0;
        }
        if (!awaitOneOf(".", begin, answer)) {
            printf("ERROR 1");
            return 0;
        }
    }
    writeByte(checksum);
    if (!awaitOneOf("~", GetTickCount() + kVerdictWaitMs, answer)) {
        printf("\nERROR 2");
        return 0;
    }
    if (!awaitOneOf("ES", GetTickCount() + kVerdictWaitMs, answer)) {
        printf("\nERROR 3");
        return 0;
    }
    return answer;
}

}  // namespace

void ProgramGamma(const char* fileName) {
    std::FILE* file = std::fopen(fileName, "rb");
    if (file == nullptr) {
        printf("/nFile load error\n");
        return failureEnd(nullptr, kExitRefused);
    }
    std::rewind(file);
    // One deadline for both drains: the line falls silent before the
    // table is read and again after the command.
    DWORD begin = GetTickCount() + kDrainLimitMs;
    if (!drainPort(kDrainChunk, begin)) return failureEnd(file, kExitFailed);

    printf("\n->Analysing Gamma File...");
    unsigned short table[kGammaValues];
    Refusal why;
    if (!readGammaTable(file, table, why)) {
        printRefusal(why);
        return failureEnd(file, kExitRefused);
    }
    printf("OK");
    printf("\n->Sending Gamma Data...");

    noteFileSent(fileName);
    noteInterruptRisk("the gamma table may be partly written");
    lnumbytes = 0;
    lrc = WriteFile(lport, "#GAMMA 3 0\r", 11, &lnumbytes, nullptr);
    if (!lrc || lnumbytes != 11) return failureEnd(file, kExitFailed);
    _sleep(kAfterCommandMs);
    if (!drainPort(kDrainChunk, begin)) return failureEnd(file, kExitFailed);

    unsigned char verdict = sendTable(table);
    if (verdict == 0) return failureEnd(file, kExitFailed);
    printVerdict(verdict);
    printf("\n");
    std::fclose(file);
}
