// The tool's printing, on every platform: printf's text, written to standard
// output as it is, and the last line the console showed. A carriage return
// starts the line over, as on the console: a progress line shows its last
// state.
#include <cctype>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <string>

#include "platform/win32.h"

#undef printf

namespace {

constexpr std::size_t kLineSize = 256;

char current[kLineSize] = "";  // since the last line end or carriage return
std::size_t currentLength = 0;
char previous[kLineSize] = "";  // the last line before it that held something

bool blank(const char* text) {
    for (; *text != '\0'; ++text) {
        if (!std::isspace(static_cast<unsigned char>(*text))) return false;
    }
    return true;
}

void keep(const char* text, std::size_t length) {
    for (std::size_t i = 0; i < length; ++i) {
        char c = text[i];
        if (c == '\n' || c == '\r') {
            if (!blank(current)) std::memcpy(previous, current, currentLength + 1);
            currentLength = 0;
        } else if (currentLength < kLineSize - 1) {
            current[currentLength++] = c;
        }
        current[currentLength] = '\0';
    }
}

}  // namespace

int win32Printf(const char* format, ...) {
    va_list arguments;
    va_start(arguments, format);
    va_list again;
    va_copy(again, arguments);
    char small[512];
    int length = std::vsnprintf(small, sizeof small, format, arguments);
    const char* text = small;
    std::string large;
    if (length >= static_cast<int>(sizeof small)) {
        large.resize(static_cast<std::size_t>(length) + 1);
        std::vsnprintf(large.data(), large.size(), format, again);
        text = large.data();
    }
    va_end(again);
    va_end(arguments);
    if (length <= 0) return length;
    std::size_t written = std::fwrite(text, 1, static_cast<std::size_t>(length), stdout);
    keep(text, written);
    return static_cast<int>(written);
}

const char* lastConsoleLine() {
    static char line[kLineSize];
    const char* source = blank(current) ? previous : current;
    while (std::isspace(static_cast<unsigned char>(*source))) ++source;
    std::size_t length = std::strlen(source);
    while (length > 0 && std::isspace(static_cast<unsigned char>(source[length - 1]))) --length;
    std::memcpy(line, source, length);
    line[length] = '\0';
    return line;
}
