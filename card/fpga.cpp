// FPGA: serves an XSVF configuration file to the card, which plays it into
// the FPGA. The card asks for the next byte ('*') or the next block of N
// bytes ("$$" hi lo) of the file, in file order, and ends with "~S" or
// another "~" mark; "$" and another byte is an error report. The tool looks
// inside the file once, before the transfer, only for the longest wait it
// makes the card keep between two requests: a silent card is given that
// long beyond its minute.
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <vector>

#include "card/commands.h"
#include "card/xsvf_stream.h"
#include "port/console.h"
#include "port/port.h"

namespace {

// ---- The file as the transfer serves it ------------------------------------

struct FpgaFile {
    std::FILE* file = nullptr;
    int totalSize = 0;        // the size measured at the start, at most 700000
    DWORD size = 0;           // bytes sent to the card so far
    int time = 0;             // progress lines printed so far
    float percent = 0;        // the percentage last printed
    DWORD longestWaitMs = 0;  // the longest wait the file makes the card keep between requests
    std::vector<unsigned char> ucReadBuf = std::vector<unsigned char>(65535);  // one block request's bytes
};

constexpr int kMeasureLimit = 700000;
constexpr int kMostProgressLines = 5000;

// The runtime's reason follows the text: a read error's, or none at the
// file's end (the error number is cleared before every read, so that a
// reason left over from earlier is never shown).
bool fileReadError() {
    std::perror("File read error\n");
    return false;
}

bool writeFailed() {
    printf("Failed to write data : error %ld\n", static_cast<long>(GetLastError()));
    return false;
}

int measureFpgaFile(std::FILE* file) {
    std::rewind(file);
    unsigned char chunk[4096];
    int total = 0;
    while (total < kMeasureLimit) {
        std::size_t wanted = std::min<std::size_t>(sizeof chunk, static_cast<std::size_t>(kMeasureLimit - total));
        std::size_t got = std::fread(chunk, 1, wanted, file);
        total += static_cast<int>(got);
        if (got < wanted) break;
    }
    bool unreadable = std::ferror(file) != 0;
    std::rewind(file);
    return unreadable ? -1 : total;
}

void printFpgaProgress(FpgaFile& fpga) {
    DWORD step = static_cast<DWORD>(fpga.totalSize / kMostProgressLines);
    if (step * static_cast<DWORD>(fpga.time) >= fpga.size) return;
    double computed = static_cast<double>(fpga.size) / static_cast<double>(fpga.totalSize) * 100.0 + 0.2;
    fpga.percent = static_cast<float>(computed);
    if (fpga.percent > 100) fpga.percent = 100;
    printf("%cJob at %0.2f %c", 13, fpga.percent, '%');
    ++fpga.time;
}

bool serveByte(FpgaFile& fpga) {
    errno = 0;
    int next = std::fgetc(fpga.file);
    if (next == EOF || std::ferror(fpga.file)) return fileReadError();
    auto byte = static_cast<unsigned char>(next);
    lnumbytes = 0;
    lrc = WriteFile(lport, &byte, 1, &lnumbytes, nullptr);
    if (!lrc || lnumbytes != 1) return writeFailed();
    ++fpga.size;
    return true;
}

bool serveBlock(FpgaFile& fpga, DWORD length) {
    errno = 0;
    std::size_t got = std::fread(fpga.ucReadBuf.data(), 1, length, fpga.file);
    if (got < length || std::ferror(fpga.file)) return fileReadError();
    // A write call may move part of the block within its time-out; the
    // rest goes in the next call. A call that moves nothing has failed.
    DWORD remaining = length;
    while (remaining > 0) {
        lnumbytes = 0;
        lrc = WriteFile(lport, fpga.ucReadBuf.data() + (length - remaining), remaining, &lnumbytes, nullptr);
        if (!lrc || lnumbytes == 0) return writeFailed();
        fpga.size += lnumbytes;
        remaining -= lnumbytes;
    }
    return true;
}

// ---- What the card sends -----------------------------------------------------

enum class CardByte { kByte, kNothing, kGone };

constexpr DWORD kGoneAfterMs = 60000;
constexpr DWORD kFollowingByteMs = 1000;
constexpr DWORD kQuietWithinMs = 5000;

DWORD requestSilenceMs(DWORD longestWaitMs) { return kGoneAfterMs + longestWaitMs; }

CardByte nextCardByte(unsigned char& byte, DWORD lastHeard, DWORD silenceMs) {
    if (readOne(byte) == LineRead::kByte) return CardByte::kByte;
    return tickPassed(lastHeard + silenceMs) ? CardByte::kGone : CardByte::kNothing;
}

bool followingByte(unsigned char& byte) {
    DWORD deadline = GetTickCount() + kFollowingByteMs;
    for (;;) {
        if (readOne(byte) == LineRead::kByte) return true;
        if (tickPassed(deadline)) return false;
    }
}

bool waitForQuiet() {
    DWORD deadline = GetTickCount() + kQuietWithinMs;
    for (;;) {
        unsigned char discarded;
        if (readOne(discarded) == LineRead::kNothing) return true;
        if (tickPassed(deadline)) return false;
    }
}

// ---- The requests -------------------------------------------------------------

constexpr DWORD kBeforeCommandMs = 1000;
constexpr DWORD kAfterCommandMs = 500;

// Where one request leaves the transfer.
enum class Step { kGoOn, kSucceeded, kFailed, kAborted };

Step stalled() {
    printf("\nThe card stopped inside a request.\n");
    return Step::kAborted;
}

Step noQuiet() {
    printf("\nThe line does not fall silent after a request.\n");
    return Step::kAborted;
}

Step served(bool ok) { return ok ? Step::kGoOn : Step::kAborted; }

// Answers the request that begins with `marker`.
Step answer(unsigned char marker, FpgaFile& fpga) {
    unsigned char next;
    switch (marker) {
    case '*': return waitForQuiet() ? served(serveByte(fpga)) : noQuiet();
    case '~':
        if (!followingByte(next)) return stalled();
        return next == 'S' ? Step::kSucceeded : Step::kFailed;
    case '$': {
        if (!followingByte(next)) return stalled();
        if (next != '$') {
            printf("\nerror : $%c", next);
            return Step::kGoOn;
        }
        unsigned char high, low;
        if (!followingByte(high) || !followingByte(low)) return stalled();
        if (!waitForQuiet()) return noQuiet();
        return served(serveBlock(fpga, high * 256u + low));
    }
    default: return Step::kGoOn;
    }
}

// Answers the card's requests until its end mark or an error. There is no
// overall deadline; a card that sends nothing for a minute beyond the
// longest wait the file asks of it is gone.
Step serveCard(FpgaFile& fpga) {
    DWORD silenceMs = requestSilenceMs(fpga.longestWaitMs);
    DWORD lastHeard = GetTickCount();
    for (;;) {
        printFpgaProgress(fpga);
        unsigned char byte;
        CardByte read = nextCardByte(byte, lastHeard, silenceMs);
        if (read == CardByte::kGone) {
            printf("\nNo request from the card for %lu seconds.\n", static_cast<unsigned long>(silenceMs / 1000));
            return Step::kAborted;
        }
        if (read == CardByte::kNothing) continue;
        Step step = answer(byte, fpga);
        if (step != Step::kGoOn) return step;
        lastHeard = GetTickCount();
    }
}

void closingReport(DWORD size) {
    printf("Taille du fichier : %d\n", static_cast<int>(size));
    printf("\n/**********************************/\n");
    std::fflush(stdout);
}

}  // namespace

void ProgramFPGA(const char* fileName) {
    if (!setTransferTimeouts()) {
        printf("Failed to set timeout : error %ld\n", static_cast<long>(GetLastError()));
        exitStatus = kExitFailed;
        return;
    }
    FpgaFile fpga;
    fpga.file = std::fopen(fileName, "rb");
    if (fpga.file != nullptr) fpga.totalSize = measureFpgaFile(fpga.file);
    if (fpga.totalSize <= 0) {
        // Nothing to serve: the card is not told anything.
        if (fpga.file != nullptr) {
            printf("Unable to read file : %s\n", fileName);
            std::fclose(fpga.file);
        }
        exitStatus = kExitRefused;
        return closingReport(0);
    }
    fpga.longestWaitMs = longestXsvfWaitMs(fpga.file);

    _sleep(kBeforeCommandMs);
    noteFileSent(fileName);
    noteInterruptRisk("the FPGA may be partly configured");
    lnumbytes = 0;
    lrc = WriteFile(lport, "#FPGA 1\r", 8, &lnumbytes, nullptr);
    Step end = Step::kAborted;
    if (lrc && lnumbytes == 8) {
        _sleep(kAfterCommandMs);
        printf("\n->Programming FPGA...\n");
        end = serveCard(fpga);
    }
    std::fclose(fpga.file);

    if (end == Step::kSucceeded) {
        clearInterruptRisk();
        printf("\nSuccess");
        return;
    }
    // The card's failure verdict ends the transfer without a word: the
    // exit status tells it.
    exitStatus = kExitFailed;
    if (end == Step::kAborted) closingReport(fpga.size);
}
