#include "card/gamma_table.h"

#include <cerrno>
#include <climits>
#include <cstdlib>

namespace {
constexpr int kLineArea = 256;  // each read takes at most 255 characters, line end included
constexpr long kMostValue = 1023;
}  // namespace

void parseGammaLine(const char* line, long values[3]) {
    const char* next = line;
    for (int i = 0; i < 3; ++i) {
        values[i] = 0;
    }
    for (int i = 0; i < 3; ++i) {
        if (i > 0) {
            if (*next == '\0') return;  // no separator: the parse stops
            ++next;
        }
        char* end = nullptr;
        errno = 0;
        long value = std::strtol(next, &end, 10);
        if (end == next) return;  // no number: the parse stops
        values[i] = value;
        next = end;
    }
}

bool readGammaTable(std::FILE* file, unsigned short (&table)[kGammaValues], Refusal& why) {
    for (unsigned short& value : table) value = 0;
    char vecteur[kLineArea] = {};
    int lines = 0;
    while (std::fgets(vecteur, sizeof vecteur, file) != nullptr) {
        if (vecteur[0] == '%') continue;
        long values[3];
        parseGammaLine(vecteur, values);
        for (long value : values) {
            if (value < 0 || value > kMostValue) {
                return refuseFile(why, "\nError, the RGB value must be between 0 and 1023.");
            }
        }
        if (lines < kGammaLines) {
            for (int i = 0; i < 3; ++i) table[3 * lines + i] = static_cast<unsigned short>(values[i]);
        }
        if (lines < INT_MAX) ++lines;
    }
    if (lines != kGammaLines) {
        return refuseFile(why, "Gamma File error -> The file contains %d lines (only 1024 lines are accepted)",
                          lines);
    }
    return true;
}
