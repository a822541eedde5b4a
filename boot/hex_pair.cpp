#include "boot/hex_pair.h"

void strHexTolong(char* value, const char* str) {
    unsigned char byte = 0;
    for (int i = 0; i < 2; ++i) {
        char c = str[i];
        int digit;
        if (c >= '0' && c <= '9') {
            digit = c - '0';
        } else if (c >= 'A' && c <= 'F') {
            digit = c - 'A' + 10;
        } else {
            break;
        }
        byte = static_cast<unsigned char>(byte * 16 + digit);
    }
    *value = static_cast<char>(byte);
}
