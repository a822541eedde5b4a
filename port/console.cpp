#include "port/console.h"

#include <cctype>
#include <cstring>

void caseSensitive(const char* argv, char* data) {
    std::size_t i = 0;
    for (; argv[i] != '\0'; ++i) {
        data[i] = static_cast<char>(std::toupper(static_cast<unsigned char>(argv[i])));
    }
    data[i] = '\0';
}

void errorCheck(char* error) {
    switch (GetLastError()) {
    case ERROR_FILE_NOT_FOUND:
        std::strcpy(error, "The COM port selected don't exist!");
        break;
    case ERROR_ACCESS_DENIED:
        std::strcpy(error, "The COM port selected is already open by an other program!");
        break;
    default:
        error[0] = '\0';
        break;
    }
}

void printTime(DWORD begin, int all) {
    // Unsigned 32-bit difference: right across a wrap of the tick counter.
    DWORD elapsedMs = GetTickCount() - begin;
    DWORD seconds = elapsedMs / 1000;
    int minutes = static_cast<int>(seconds / 60);
    int rest = static_cast<int>(seconds % 60);
    if (all == 0) {
        printf("\nTime : %d minutes %d seconds\n", minutes, rest);
    } else {
        printf("\nTotal Time : %d minutes %d seconds\n", minutes, rest);
    }
}
