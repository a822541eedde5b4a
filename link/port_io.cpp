#include "link/port_io.h"

#include "port/console.h"
#include "port/port.h"

namespace {
constexpr DWORD kDrainArea = 1024;
}

bool writeAll(const unsigned char* bytes, DWORD length) {
    DWORD offset = 0;
    while (offset != length) {
        lnumbytes = 0;
        lrc = WriteFile(lport, bytes + offset, length - offset, &lnumbytes, nullptr);
        if (!lrc || lnumbytes == 0) return false;
        offset += lnumbytes;
    }
    return true;
}

bool drainPort(DWORD chunk, DWORD limitMs) {
    unsigned char scratch[kDrainArea];
    if (chunk > kDrainArea) chunk = kDrainArea;
    DWORD deadline = GetTickCount() + limitMs;
    do {
        lnumbytes = 0;
        if (!ReadFile(lport, scratch, chunk, &lnumbytes, nullptr)) lnumbytes = 0;
        if (lnumbytes == 0) return true;
    } while (!tickPassed(deadline));
    return false;
}
