// The ISP packet link to the video processor: the packet's checksum and its
// byte coding on the wire, then one exchange per call, the command packet
// out and the reply packet back, judged as acknowledgement, refusal or
// time-out.
#include "link/isp_link.h"

#include <cstdio>
#include <cstring>

#include "link/isp_codes.h"
#include "port/console.h"
#include "port/port.h"

// ---- The packet: checksum, coding, printing -------------------------------

namespace {
constexpr unsigned char kEscape = '=';
constexpr unsigned char kStart = 'G';
constexpr unsigned char kEnd = 0x0D;
constexpr unsigned char kOffset = 42;
constexpr unsigned char kEscapeOffset = 64;

// Bytes that may not appear in a packet's body once offset: NUL, tab, line
// feed, carriage return and the escape itself.
bool needsEscape(unsigned char e) { return e == 0x00 || e == 0x09 || e == 0x0A || e == kEnd || e == kEscape; }

std::uint16_t sumOfWords(const std::uint16_t* msg) {
    int words = ispPacketWords(msg[0]);
    std::uint16_t sum = 0;
    for (int i = 0; i < words - 1; ++i) sum = static_cast<std::uint16_t>(sum + msg[i]);
    return sum;
}

}  // namespace

void createChecksum(std::uint16_t* msg) {
    msg[ispPacketWords(msg[0]) - 1] = static_cast<std::uint16_t>(-sumOfWords(msg));
}

char checksumOK(const std::uint16_t* msg) {
    std::uint16_t expected = static_cast<std::uint16_t>(-sumOfWords(msg));
    return msg[ispPacketWords(msg[0]) - 1] == expected ? 1 : 0;
}

int yEncode(unsigned char* encoded, const unsigned char* data, int length) {
    int count = 0;
    encoded[count++] = kEscape;
    encoded[count++] = kStart;
    for (int i = 0; i < length; ++i) {
        unsigned char e = static_cast<unsigned char>(data[i] + kOffset);
        if (needsEscape(e)) {
            encoded[count++] = kEscape;
            encoded[count++] = static_cast<unsigned char>(e + kEscapeOffset);
        } else {
            encoded[count++] = e;
        }
    }
    encoded[count++] = kEnd;
    encoded[count] = 0;
    return count;
}

int yDecode(unsigned char* decoded, const unsigned char* data, int length) {
    int count = 0;
    for (int i = 0; i < length; ++i) {
        unsigned char b = data[i];
        if (b == kEscape) {
            // An escape as the body's last byte has nothing to apply to.
            if (++i == length) break;
            b = static_cast<unsigned char>(data[i] - kEscapeOffset);
        }
        decoded[count++] = static_cast<unsigned char>(b - kOffset);
    }
    return count;
}

void printMsg(const std::uint16_t* msg) {
    int words = ispPacketWords(msg[0]);
    for (int i = 0; i < words; ++i) printf("0x%04x ", msg[i]);
    printf("\n");
}

// ---- One exchange -----------------------------------------------------------

namespace {

constexpr int kPacketArea = 256;
constexpr int kFullPacket = 255;  // stored bytes at which a packet is given up as unfinished
constexpr DWORD kReadChunk = 50;
constexpr DWORD kReplyWaitMs = 3000;
constexpr int kMaxTimeoutRetries = 10;  // waits after the first before giving up
constexpr int kTimeoutsBeforeGivingUp = 4;
constexpr std::uint16_t kGspiTimeoutMark = 0x1234;

// Whether the reply the last exchange stored had the length its header
// announces and a right checksum.
bool replyIntact = false;

enum ReaderState { kHunting, kAfterEscape, kInPacket };

// Serialises the command low byte first and writes its encoded form.
bool writePacket(const std::uint16_t* msg, unsigned char* tempMsg, unsigned char* msgToSend) {
    int words = ispPacketWords(msg[0]);
    for (int i = 0; i < words; ++i) {
        tempMsg[2 * i] = static_cast<unsigned char>(msg[i] & 0xFF);
        tempMsg[2 * i + 1] = static_cast<unsigned char>(msg[i] >> 8);
    }
    int encodedLength = yEncode(msgToSend, tempMsg, 2 * words);
    return writeAll(msgToSend, static_cast<DWORD>(encodedLength));
}

// Decodes the body of a raw packet and assembles the reply words; words that
// the reply does not carry read as 0. Returns the number of decoded bytes
// against the reply's announced length in bytes: a reply shorter than its
// header announces (at least header, argument and checksum) lacks words that
// would be made up, and a reply under six bytes would pass, zero padded, for
// a valid reply of code 0. Bytes beyond the announced length are reported
// and left out.
int takeReply(const unsigned char* tempMsg, int received, unsigned char* decoded, std::uint16_t* response,
              int& announced) {
    int decodedLength = yDecode(decoded, tempMsg + 2, received - 3);
    if (decodedLength < 2 * kIspMaxWords) {
        std::memset(decoded + decodedLength, 0, static_cast<std::size_t>(2 * kIspMaxWords - decodedLength));
    }
    int words = ispPacketWords(static_cast<std::uint16_t>(decoded[1] << 8));
    if (decodedLength != 2 * words) {
        printf("\n%d - %d , Incompatible reception with command.\n", decodedLength, 2 * words);
    }
    for (int k = 0; k < words; ++k) {
        response[k] = static_cast<std::uint16_t>(decoded[2 * k] + 256 * decoded[2 * k + 1]);
    }
    announced = 2 * words;
    return decodedLength;
}

// A refusal: code 2, a reply that repeats the command's own header, or one
// shorter than its header announces.
void reportRefusal(const std::uint16_t* msg, const std::uint16_t* response, int valRetry) {
    if (response[2] == kGspiTimeoutMark) printf("GSPI Timeout\n");
    if (valRetry > kTimeoutsBeforeGivingUp) {
        printf("\nUnable to send command. Exit.\n");
        printMsg(response);
        return;
    }
    printf("\nNACK received. Retry ... \n");
    printMsg(msg);
    printMsg(response);
    unsigned refused = ispCode(response[1]);
    unsigned sent = ispCode(msg[0]);
    if (refused != sent) printf("\nNACK on unknown command. 0x%04x != 0x%04x\n", refused, sent);
}

}  // namespace

int ReadISPResponse(unsigned char* tempMsg) {
    DWORD deadline = GetTickCount() + kReplyWaitMs;
    unsigned char readBuf[55];
    ReaderState state = kHunting;
    int stored = 0;
    bool complete = false;
    bool error = false;

    while (!complete && !error && stored < kFullPacket) {
        lnumbytes = 0;
        if (!ReadFile(lport, readBuf, kReadChunk, &lnumbytes, nullptr)) error = true;
        DWORD count = lnumbytes < kReadChunk ? lnumbytes : kReadChunk;

        for (DWORD i = 0; i < count && !complete && stored < kFullPacket; ++i) {
            unsigned char byte = readBuf[i];
            switch (state) {
            case kHunting:
                if (byte == '=') {
                    tempMsg[stored++] = byte;
                    state = kAfterEscape;
                }
                break;
            case kAfterEscape:
                if (byte == 'G') {
                    tempMsg[stored++] = byte;
                    state = kInPacket;
                } else if (byte != '=') {
                    --stored;
                    state = kHunting;
                }
                break;
            case kInPacket:
                tempMsg[stored++] = byte;
                if (byte == 'G' && tempMsg[stored - 2] == '=') {
                    stored = 2;  // a new packet starts: what came before it is dropped
                } else if (byte == 0x0D) {
                    complete = true;
                }
                break;
            }
        }
        // A packet completed in this read counts, even when the wait ended
        // meanwhile: a host that looked late (a busy PC) must not throw away
        // the answer the card gave in time, since the command is never sent
        // again within one exchange.
        if (!complete && tickPassed(deadline)) error = true;
    }
    return error ? 0 : stored;
}

int sendISPCmd(std::uint16_t* msg, std::uint16_t* response, unsigned long wait) {
    unsigned char tempMsg[kPacketArea];
    unsigned char msgToSend[kPacketArea];

    replyIntact = false;
    createChecksum(msg);
    if (!writePacket(msg, tempMsg, msgToSend)) return 0;
    if (wait != 0) _sleep(wait);

    int valRetry = 0;
    int received;
    while ((received = ReadISPResponse(tempMsg)) == 0) {
        if (valRetry >= kMaxTimeoutRetries) {
            printf("Unable to send command. Exit.SendISP\n");
            return 0;
        }
        printf("Timeout. Retry...SendISP\n");
        ++valRetry;
    }

    int announced = 0;
    int decoded = takeReply(tempMsg, received, msgToSend, response, announced);
    bool sumRight = checksumOK(response) == 1;
    if (!sumRight) printf("Bad checksum\n");
    replyIntact = decoded == announced && sumRight;

    bool refused = decoded < announced || ispCode(response[0]) == kIspNack || response[0] == msg[0];
    if (!refused) return 1;
    reportRefusal(msg, response, valRetry);
    return 0;
}

bool ispReplyIntact() { return replyIntact; }
