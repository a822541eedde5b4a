#include "platform/host/interrupt_line.h"

#include <cstdio>
#include <cstring>

#include "platform/win32.h"

namespace {
char line[host::kInterruptLineSize] = "Interrupted.";
}

void setInterruptLine(const char* text) {
    std::strncpy(line, text, sizeof line - 1);
    line[sizeof line - 1] = '\0';
}

namespace host {

const char* interruptLine() { return line; }

void printInterruptLine() {
    std::fflush(stdout);
    printf("\n%s\n", line);
    std::fflush(stdout);
}

}  // namespace host
