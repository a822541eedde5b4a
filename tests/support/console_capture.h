// Captures what the tool prints on standard output while it lives.
#pragma once

#include <string>

class ConsoleCapture {
public:
    ConsoleCapture();
    ~ConsoleCapture();
    ConsoleCapture(const ConsoleCapture&) = delete;
    ConsoleCapture& operator=(const ConsoleCapture&) = delete;

    // Everything printed so far (flushes standard output first).
    std::string text();

private:
    int savedFd_;
    int fileFd_;
};
