// Gamma files, as an operator's editor or a damaged disk may leave them,
// read by the GAMMA command's parser. Input: the file's bytes.
// Whatever the file holds: the parser never reads past its line buffer,
// never trips over a number too large for its type, and accepts a table
// only when every value it stored lies between 0 and 1023.
#include <cstdio>

#include "card/gamma_table.h"
#include "tests/fuzz/scripted_line.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::FILE* file = std::tmpfile();
    if (file == nullptr) return 0;
    std::fwrite(data, 1, size, file);
    std::rewind(file);
    unsigned short table[kGammaValues];
    Refusal why;
    bool accepted = readGammaTable(file, table, why);
    std::fclose(file);
    if (accepted) {
        for (unsigned short value : table)
            fuzz::require(value <= 1023, "an accepted table holds values up to 1023");
    }
    return 0;
}
