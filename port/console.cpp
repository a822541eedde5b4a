#include "port/console.h"

#include <cctype>
#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "port/port.h"

int exitStatus = kExitDone;

void caseSensitive(const char* argv, char* data) {
    std::size_t i = 0;
    for (; argv[i] != '\0'; ++i) {
        data[i] = static_cast<char>(std::toupper(static_cast<unsigned char>(argv[i])));
    }
    data[i] = '\0';
}

namespace {

constexpr std::size_t kErrorText = 256;  // what both callers give

// Names the device behind the port: on posix COM1 is /dev/ttyS0.
void noPermission(char* error) {
    char device[128];  // a port name or device path: 99 characters at most
    if (QueryDosDeviceA(lportname, device, sizeof device) == 0) {
        std::snprintf(device, sizeof device, "%.99s", lportname);
    }
    std::snprintf(error, kErrorText,
                  "No permission to open %s: read and write access to it is needed "
                  "(usually membership of its group, such as dialout)",
                  device);
}

}  // namespace

void errorCheck(char* error) {
    switch (GetLastError()) {
    case ERROR_PRIVILEGE_NOT_HELD: noPermission(error); break;
    case ERROR_FILE_NOT_FOUND: std::strcpy(error, "The COM port selected don't exist!"); break;
    case ERROR_ACCESS_DENIED:
        std::strcpy(error, "The COM port selected is already open by an other program!");
        break;
    default: error[0] = '\0'; break;
    }
}

void printTime(DWORD begin, int all) {
    // Unsigned 32-bit difference: right across a wrap of the tick counter.
    DWORD elapsedMs = GetTickCount() - begin;
    DWORD seconds = elapsedMs / 1000;
    int minutes = static_cast<int>(seconds / 60);
    int rest = static_cast<int>(seconds % 60);
    if (all == 0) {
        printf("\nTime : %d minutes %d seconds\n", minutes, rest);
    } else {
        printf("\nTotal Time : %d minutes %d seconds\n", minutes, rest);
    }
}

// The prompts are shown past printf: the last line the console showed, for
// the run's record, stays the one that says why the run stopped.
void pressKeyToContinue() {
    std::fputs("Press a key to continue ... ", stdout);
    _getch();
}

void pressAnyKeyToContinue() {
    std::fputs("\nPress any key to continue\n", stdout);
    _getch();
}

namespace {

constexpr char kNothingAtRisk[] = "Interrupted.";
char rerunCommand[384] = "";
char advice[544] = "";

}  // namespace

void watchForInterrupt() {
    rerunCommand[0] = '\0';
    advice[0] = '\0';
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
    std::snprintf(advice, sizeof advice, "%s: run %s again.", risk, rerunCommand);
    char line[560];
    std::snprintf(line, sizeof line, "Interrupted: %s", advice);
    setInterruptLine(line);
}

void clearInterruptRisk() {
    advice[0] = '\0';
    setInterruptLine(kNothingAtRisk);
}

const char* recoveryAdvice() { return advice; }

bool refuseFile(Refusal& why, const char* format, ...) {
    va_list arguments;
    va_start(arguments, format);
    std::vsnprintf(why.text, sizeof why.text, format, arguments);
    va_end(arguments);
    return false;
}

void printRefusal(const Refusal& why) { printf("%s", why.text); }

namespace {
char filesSent[kMostFilesSent][256];
int filesSentNoted = 0;
}  // namespace

void noteFileSent(const char* name) {
    for (int i = 0; i < filesSentNoted; ++i) {
        if (std::strcmp(filesSent[i], name) == 0) return;
    }
    if (filesSentNoted == kMostFilesSent) return;
    std::snprintf(filesSent[filesSentNoted++], sizeof filesSent[0], "%s", name);
}

void forgetFilesSent() { filesSentNoted = 0; }

int filesSentCount() { return filesSentNoted; }

const char* fileSent(int index) { return filesSent[index]; }
