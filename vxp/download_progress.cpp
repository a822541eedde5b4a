#include "vxp/download_progress.h"

namespace {
constexpr DWORD kMostLines = 5000;
}

void downloadProgress(DWORD address, DWORD first, DWORD span, int& time) {
    if (span / kMostLines * static_cast<DWORD>(time) < address) {
        double percent = static_cast<double>(address - first) / static_cast<double>(span) * 100.0;
        printf("%cJob at %0.2f %c", 13, percent, '%');
        ++time;
    }
}

void printClosingProgress() { printf("%cJob at 100%%\t\t\t\t", 13); }
