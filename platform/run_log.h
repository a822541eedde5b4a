// What the run's record needs of the system: a file's SHA-256 from the
// system's own cryptography (CNG on Windows, OpenSSL's libcrypto elsewhere),
// and one line appended to a log that other runs may be appending to at the
// same time.
#pragma once

#include <string>

// The SHA-256 of the whole file `name` in 64 lower-case hexadecimal digits,
// and its size. False, with the reason in `why`, when it cannot be read.
bool fileSha256(const char* name, std::string& hex, unsigned long long& size, std::string& why);

// Appends `line` (its line end included) to the file `path`, created if
// missing, in one write on a file opened for appending: lines that runs
// write at the same time never mix. False, with the reason in `why`, when
// the line was not written whole.
bool appendLine(const char* path, const std::string& line, std::string& why);
