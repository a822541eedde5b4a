// FPGA: serves an XSVF configuration file to the card, which plays it into
// the FPGA. The card asks for the next byte ('*') or the next block of N
// bytes ("$$" hi lo) of the file, in file order, and ends with "~S" or
// another "~" mark; "$" and another byte is an error report. The tool looks
// inside the file once, before the transfer, only for the longest wait it
// makes the card keep between two requests: a silent card is given that
// long beyond its minute.
#include "card/content_port.h"
#include "card/fpga_file.h"
#include "card/fpga_line.h"
#include "card/handlers.h"
#include "card/xsvf_waits.h"
#include "port/exit_status.h"
#include "port/port.h"
#include "port/interrupt_note.h"

namespace {

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
