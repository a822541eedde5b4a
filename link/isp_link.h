// The packet link to the video processor and its ISP driver.
#pragma once

#include <cstdint>

int sendISPCmd(std::uint16_t* msg, std::uint16_t* response, unsigned long wait);
int ReadISPResponse(unsigned char* tempMsg);
void createChecksum(std::uint16_t* msg);
char checksumOK(const std::uint16_t* msg);
int yEncode(unsigned char* encoded, const unsigned char* data, int length);
int yDecode(unsigned char* decoded, const unsigned char* data, int length);
void printMsg(const std::uint16_t* msg);

// Whether the reply that the last sendISPCmd stored had exactly the length
// its header announces and a right checksum. sendISPCmd takes a reply that
// fails either as an answer all the same (after "Incompatible reception" or
// "Bad checksum"); a caller that uses the reply's words must not.
bool ispReplyIntact();
