#include "port/refusal.h"

#include <cstdarg>
#include <cstdio>

#include "platform/win32.h"

bool refuseFile(Refusal& why, const char* format, ...) {
    va_list arguments;
    va_start(arguments, format);
    std::vsnprintf(why.text, sizeof why.text, format, arguments);
    va_end(arguments);
    return false;
}

void printRefusal(const Refusal& why) { printf("%s", why.text); }
