// The short command link to the card's microcontroller.
#pragma once

#include <cstdint>

int sendMicroCmd(const unsigned char* msg, std::uint16_t length);
int ReadMicroResponse();
