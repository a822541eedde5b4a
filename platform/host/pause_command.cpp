// The command interpreter, as far as the tool uses it: PAUSE prompts and
// waits for one key (from _getch, so a finished key input ends it at once),
// then moves to a new line as the Windows command interpreter does. No other
// command is run.
#include <cctype>
#include <cstdio>
#include <cstring>

#include "platform/win32.h"

#undef system

int win32System(const char* command) {
    constexpr char pause[] = "PAUSE";
    if (command == nullptr || std::strlen(command) != sizeof pause - 1) return -1;
    for (std::size_t i = 0; i < sizeof pause - 1; ++i) {
        if (std::toupper(static_cast<unsigned char>(command[i])) != pause[i]) return -1;
    }
    std::fputs("Press any key to continue . . . ", stdout);
    _getch();
    std::fputs("\n", stdout);
    return 0;
}
