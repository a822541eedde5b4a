// The gamma table as the card keeps it, read apart from the tool: every
// value of the data lines, big-endian 16-bit.
#pragma once

#include <sstream>
#include <string>

inline std::string gammaMemory(const std::string& table) {
    std::string bytes;
    std::istringstream lines(table);
    std::string line, field;
    while (std::getline(lines, line)) {
        if (line.empty() || line[0] == '%') continue;
        std::istringstream fields(line);
        while (std::getline(fields, field, ',')) bytes += {char(std::stoi(field) >> 8), char(std::stoi(field) & 0xFF)};
    }
    return bytes;
}
