#include "port/interrupt_note.h"

#include <cstdarg>
#include <cstdio>

#include "platform/win32.h"

namespace {

constexpr char kNothingAtRisk[] = "Interrupted.";
char rerunCommand[384] = "";

}  // namespace

void watchForInterrupt() {
    rerunCommand[0] = '\0';
    setInterruptLine(kNothingAtRisk);
    watchInterrupts();
}

void setRerunCommand(const char* command, const char* fileName) {
    if (fileName != nullptr) {
        std::snprintf(rerunCommand, sizeof rerunCommand, "%s %s", command, fileName);
    } else {
        std::snprintf(rerunCommand, sizeof rerunCommand, "%s", command);
    }
}

void noteInterruptRisk(const char* format, ...) {
    char risk[128];
    va_list arguments;
    va_start(arguments, format);
    std::vsnprintf(risk, sizeof risk, format, arguments);
    va_end(arguments);
    char line[560];
    std::snprintf(line, sizeof line, "Interrupted: %s: run %s again.", risk, rerunCommand);
    setInterruptLine(line);
}

void clearInterruptRisk() { setInterruptLine(kNothingAtRisk); }
