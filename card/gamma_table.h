// The gamma file: comment lines beginning with '%', and exactly 1024 data
// lines of three values from 0 to 1023 (red, green, blue), each line read
// as "%d%*c%d%*c%d" reads it.
#pragma once

#include <cstdio>

#include "port/console.h"

constexpr int kGammaLines = 1024;
constexpr int kGammaValues = 3 * kGammaLines;

// The three values of one data line, as "%d%*c%d%*c%d" would read them: a
// decimal integer (after white space, with an optional sign), exactly one
// separator character of any kind, and so on; a value the line does not
// supply is 0. A value beyond the range of a long comes out as LONG_MIN or
// LONG_MAX, so that it is refused like any other out of range.
void parseGammaLine(const char* line, long values[3]);

// Reads the whole file into `table` (line 1's red, green, blue, then line
// 2's...). Returns false with the reason in `why` when the file is refused:
// a value outside 0 to 1023, or a count of data lines other than 1024.
bool readGammaTable(std::FILE* file, unsigned short (&table)[kGammaValues], Refusal& why);
