#include "vxp/commands.h"

#include <cstdint>
#include <cstring>

#include "link/isp_codes.h"
#include "link/isp_link.h"
#include "platform/win32.h"
#include "port/console.h"
#include "port/port.h"

namespace {

constexpr int kPacketWords = 256;
constexpr int kClearedWords = 15;
constexpr int kEndOfInput = -1;
constexpr DWORD kDrainChunk = 1024;
constexpr DWORD kDrainLimitMs = 5000;

// The replies of one pass; a reply that never came reads as zeros.
struct StatusReplies {
    std::uint16_t name[kPacketWords];
    std::uint16_t status[kPacketWords];
    std::uint16_t osdCalibration[kPacketWords];
    std::uint16_t videoCalibration[kPacketWords];
};

// One exchange; false when it failed, when its reply did not come whole (a
// wrong length or checksum), or when the reply lacks some of the `used`
// argument words the report takes from it: such a reply answers another
// question, one asked before whose answer came too late for it. The
// report then shows what came, but it may not be what the card holds.
bool ask(std::uint16_t header, std::uint16_t first, std::uint16_t second, std::uint16_t* reply, int used) {
    std::uint16_t msg[kPacketWords];
    std::memset(msg, 0, kClearedWords * sizeof msg[0]);
    std::memset(reply, 0, kClearedWords * sizeof reply[0]);
    msg[0] = header;
    msg[1] = first;
    msg[2] = second;
    return sendISPCmd(msg, reply, 0) == 1 && ispReplyIntact() && ispArgumentWords(reply[0]) >= used;
}

// Asks the four questions in order; true when all four were answered.
// What is still on the line first (an answer that came too late for the
// last pass) is drained.
bool askAll(StatusReplies& replies) {
    drainPort(kDrainChunk, GetTickCount() + kDrainLimitMs);
    bool answered = ask(ispHeader(kIspDeviceName, 1), 0x0000, 0x0000, replies.name, 6);
    answered &= ask(ispHeader(kIspVxpStatus, 1), 0x0000, 0x0000, replies.status, 14);
    answered &= ask(ispHeader(kIspCalibration, 2), 0x005E, 0x0B06, replies.osdCalibration, 3);
    answered &= ask(ispHeader(kIspCalibration, 2), 0x007C, 0x0005, replies.videoCalibration, 3);
    return answered;
}

const char* osdLoadText(unsigned value) {
    static const char* const kTexts[7] = {"OSD Load Table OK",
                                          "No load data table entry in configuration info",
                                          "Load table corrupted or absent",
                                          "Load table empty",
                                          "Load table too big",
                                          "Memory overflow",
                                          "Awaiting trigger of manual OSD bulk load"};
    return value < 7 ? kTexts[value] : "Error Unknown";
}

const char* configText(unsigned value) {
    static const char* const kTexts[5] = {"Insystem program mode", "Configuration in progress",
                                          "Configuration complete", "Configuration error",
                                          "Firmware incompatible with device type"};
    return value < 5 ? kTexts[value] : "Error Unknown";
}

// One flag line: the text for a set bit or the one for a clear bit.
struct FlagLine {
    int bit;
    const char* set;
    const char* clear;
};

void printFlags(unsigned flags, const FlagLine* lines, int count) {
    for (int i = 0; i < count; ++i) {
        printf("%s", (flags >> lines[i].bit) & 1 ? lines[i].set : lines[i].clear);
    }
}

void printMemories(unsigned flags) {
    static const FlagLine kVideo[5] = {{8, "           SDRAM 1 Detected", "           SDRAM 1 Not Detected"},
                                       {11, "           SDRAM 4 Detected \n",
                                        "           SDRAM 4 Not Detected \n"},
                                       {9, "           SDRAM 2 Detected", "           SDRAM 2 Not Detected"},
                                       {12, "           SDRAM 5 Detected \n", "           SDRAM 5 Not Detected\n"},
                                       {10, "           SDRAM 3 Detected\n", "           SDRAM 3 Not Detected\n"}};
    static const FlagLine kOsd[2] = {{13, "           SDRAM 1 Detected", "           SDRAM 1 Not Detected"},
                                     {14, "           SDRAM 2 Detected \n", "           SDRAM 2 Not Detected\n"}};
    static const FlagLine kFlash[8] = {{0, "           CS0 Detected", "           CS0 Not Detected"},
                                       {4, "           CS4 Detected\n", "           CS4 Not Detected\n"},
                                       {1, "           CS1 Detected", "           CS1 Not Detected"},
                                       {5, "           CS5 Detected\n", "           CS5 Not Detected\n"},
                                       {2, "           CS2 Detected", "           CS2 Not Detected"},
                                       {6, "               CS6 Detected\n", "               CS6 Not Detected\n"},
                                       {3, "           CS3 Detected", "           CS3 Not Detected"},
                                       {7, "               CS7 Detected \n", "               CS7 Not Detected\n"}};
    printf("    Video Memory:  \n");
    printFlags(flags, kVideo, 5);
    printf("    OSD Memory:  \n");
    printFlags(flags, kOsd, 2);
    printf("    Flash Memory:  \n");
    printFlags(flags, kFlash, 8);
}

void printCalibrations(unsigned osd, unsigned video) {
    static const FlagLine kOsd[4] = {{0, "           Byte 0 : Passed", "           Byte 0 : Not Passed"},
                                     {2, "            Byte 2 : Passed\n", "            Byte 2 : Not Passed\n"},
                                     {1, "           Byte 1 : Passed", "           Byte 1 : Not Passed"},
                                     {3, "            Byte 3 : Passed\n", "            Byte 3 : Not Passed\n"}};
    static const FlagLine kVideo[10] = {{0, "           Byte 0 : Passed", "           Byte 0 : Not Passed"},
                                        {5, "            Byte 5 : Passed\n", "            Byte 5 : Not Passed\n"},
                                        {1, "           Byte 1 : Passed", "           Byte 1 : Not Passed"},
                                        {6, "            Byte 6 : Passed\n", "            Byte 6 : Not Passed\n"},
                                        {2, "           Byte 2 : Passed", "           Byte 2 : Not Passed"},
                                        {7, "            Byte 7 : Passed\n", "            Byte 7 : Not Passed\n"},
                                        {3, "           Byte 3 : Passed", "           Byte 3 : Not Passed"},
                                        {8, "            Byte 8 : Passed\n", "            Byte 8 : Not Passed\n"},
                                        {4, "           Byte 4 : Passed", "           Byte 4 : Not Passed"},
                                        {9, "            Byte 9 : Passed\n", "            Byte 9 : Not Passed\n"}};
    printf("    OSD : \n");
    printFlags(osd, kOsd, 4);
    printf("    Video: \n");
    printFlags(video, kVideo, 10);
}

void printReport(const StatusReplies& replies) {
    char name[12];
    for (int k = 0; k < 6; ++k) {
        name[2 * k] = static_cast<char>(replies.name[1 + k] >> 8);
        name[2 * k + 1] = static_cast<char>(replies.name[1 + k] & 0xFF);
    }
    unsigned statusWord = replies.status[1];

    printf("\n/********** VXP STATUS ***********/ \n");
    printf("\nDevice Name         -> %c%c%c%c%c%c%c%c%c%c%c%c", name[0], name[1], name[2], name[3], name[4],
           name[5], name[6], name[7], name[8], name[9], name[10], name[11]);
    printf("\nDevice Type         -> GF%x", static_cast<unsigned>(replies.status[2]));
    printf("\nOSD Load Status     -> %s", osdLoadText(statusWord >> 8));
    printf("\nConfig Status       -> %s", configText(statusWord & 0xFF));
    printf("\nMemory Devices      ->\n\r");
    printMemories(replies.status[14]);
    printf("SDRAM Calibration   ->\n\r");
    printCalibrations(replies.osdCalibration[3] & 0x0F, replies.videoCalibration[3] & 0x03FF);
    printf("\n/******** END OF VXP STATUS ********/ ");
    printf("\nPress Enter to refresh or \'Q\' to quit ");
}

}  // namespace

void vxpStatus() {
    // Refreshed until the operator quits or key input ends; the outcome is
    // that of the last report shown.
    for (;;) {
        StatusReplies replies;
        bool answered = askAll(replies);
        exitStatus = answered ? kExitDone : kExitFailed;
        printReport(replies);
        int key = _getch();
        if (key == 'Q' || key == 'q' || key == kEndOfInput) return;
    }
}
