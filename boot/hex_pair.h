// The hexadecimal pairs of an S-record.
#pragma once

// Converts the two characters at `str` into the byte at `value`. Only the
// digits and the capitals A to F count; any other character (a small letter,
// the terminating NUL) ends the conversion with the value built so far, so
// "3a" gives 0x03 and nothing past a NUL is read.
void strHexTolong(char* value, const char* str);
