// Why an update file is refused, in the words the command prints. The
// checks of the update files fill one in; the commands print it as it is,
// and `updater --check` shows it on the file's line.
#pragma once

#include <cstddef>

struct Refusal {
    char text[320] = "";
};

// Writes the printf-style reason into `why` (cut to fit) and returns false,
// so that a check can end with `return refuseFile(why, ...)`.
bool refuseFile(Refusal& why, const char* format, ...)
#ifdef __GNUC__
    __attribute__((format(printf, 2, 3)))
#endif
    ;

// Prints the reason as the command shows it.
void printRefusal(const Refusal& why);
