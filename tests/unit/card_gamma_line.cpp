// The gamma file's data lines: read as "%d%*c%d%*c%d" reads them, without
// its undefined behaviour for numbers beyond the range of an int.
#include <gtest/gtest.h>

#include <cstdio>

#include "card/gamma_table.h"

namespace {

TEST(GammaLine, ReadsAsTheScanFormatDoes) {
    const struct {
        const char* line;
        long values[3];
    } cases[] = {
        {"12,34,56\n", {12, 34, 56}},     {"12;34;56\r\n", {12, 34, 56}},  {"12 34 56", {12, 34, 56}},
        {"12, 34, 56", {12, 34, 56}},     {"12 ,34,56", {12, 0, 0}},       {"R,G,B", {0, 0, 0}},
        {"\n", {0, 0, 0}},                {"", {0, 0, 0}},                 {"+5,-6,\t7", {5, -6, 7}},
        {"1,2", {1, 2, 0}},               {"1,,3", {1, 0, 0}},             {"0x10,2,3", {0, 10, 2}},
        {"7-8-9", {7, 8, 9}},             {"1,- 2,3", {1, 0, 0}},          {"1023,1023,1023x", {1023, 1023, 1023}},
    };
    for (const auto& c : cases) {
        long values[3];
        parseGammaLine(c.line, values);
        EXPECT_EQ(values[0], c.values[0]) << c.line;
        EXPECT_EQ(values[1], c.values[1]) << c.line;
        EXPECT_EQ(values[2], c.values[2]) << c.line;
        // Within the range of an int, the scan format itself agrees.
        int scanned[3] = {0, 0, 0};
        std::sscanf(c.line, "%d%*c%d%*c%d", &scanned[0], &scanned[1], &scanned[2]);
        for (int i = 0; i < 3; ++i) EXPECT_EQ(values[i], scanned[i]) << c.line << " value " << i;
    }
}

}  // namespace
