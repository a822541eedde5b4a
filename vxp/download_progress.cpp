#include "vxp/download_progress.h"

namespace {
constexpr DWORD kMostLines = 5000;
}

bool progressLineDue(DWORD address, DWORD span, int& time) {
    if (span / kMostLines * static_cast<DWORD>(time) >= address) return false;
    ++time;
    return true;
}

void downloadProgress(DWORD address, DWORD first, DWORD span, int& time) {
    if (progressLineDue(address, span, time)) {
        double percent = static_cast<double>(address - first) / static_cast<double>(span) * 100.0;
        printf("%cJob at %0.2f %c", 13, percent, '%');
    }
}

void printClosingProgress() { printf("%cJob at 100%%\t\t\t\t", 13); }
