#include "driver/identification.h"

#include <cctype>
#include <cstring>

#include "port/console.h"
#include "port/port.h"

const char* const cardModeName[6] = {"DVI TO SDI",  "DL-SDI TO DVI",  "SL-SDI TO DVI",
                                     "HDMI TO SDI", "DL-SDI TO HDMI", "SL-SDI TO HDMI"};
int cardVersion = 69;
char RDVersion[10] = "E";

namespace {

// The reply area of DevType; ReadCmd never stores past it.
constexpr int kReplyArea = 60;
// A frame is given up once this many characters are stored without its end.
constexpr int kFrameBound = 40;

constexpr DWORD kReplyWaitMs = 2000;
constexpr DWORD kDrainMs = 1000;
constexpr DWORD kMenuKeyPauseMs = 500;  // an old firmware takes its menu keys this far apart
constexpr int kReplyWaits = 4;
constexpr int kVersionAttempts = 15;

enum ReadOutcome { kTooLong = 0, kReadFailed = 1, kDeadline = 2, kFrame = 4 };

const char* const kModelReplies[6] = {"#DEVTYPE DVITOSDI\r",  "#DEVTYPE SDITODVI\r",  "#DEVTYPE SL-SDITODVI\r",
                                      "#DEVTYPE HDMITOSDI\r", "#DEVTYPE SDITOHDMI\r", "#DEVTYPE SL-SDITOHDMI\r"};

// Closes the port and opens and configures it again, as at the start of the
// run. Every failure is printed and the next step is made regardless. A port
// that cannot be opened again (a USB adapter pulled out) is given the time
// of one reply wait before the next attempt, so that identification keeps
// trying at the pace of a silent card instead of spinning on the console.
void recoverPort() {
    CloseHandle(lport);
    if (!openPort()) _sleep(kReplyWaitMs);
    configurePort(false);
}

// Takes the variant digit and the version word from a version reply: the
// digit at position 11; the word from position 13 on, white space before it
// skipped, up to the next white space, at most 9 characters. What the reply
// is too short to hold stays unread, and so does an empty word.
void takeVersionFacts(const char* answer) {
    cardVersion = 69;
    RDVersion[0] = 'E';
    if (std::strncmp(answer, "#DEVERSION", 10) != 0) return;
    std::size_t length = std::strlen(answer);
    if (length <= 11) return;
    cardVersion = answer[11] - 48;
    if (length <= 13) return;

    const char* word = answer + 13;
    while (std::isspace(static_cast<unsigned char>(*word))) ++word;
    std::size_t n = 0;
    while (n < sizeof RDVersion - 1 && word[n] != '\0' && !std::isspace(static_cast<unsigned char>(word[n]))) {
        RDVersion[n] = word[n];
        ++n;
    }
    if (n > 0) RDVersion[n] = '\0';
}

// Asks an old firmware's menu for a sign of life: three menu keys half a
// second apart, then one short read.
int probeOldFirmwareMenu() {
    const unsigned char keys[3] = {0x0D, 0x31, 0x24};
    for (unsigned char key : keys) {
        lrc = WriteFile(lport, &key, 1, &lnumbytes, nullptr);
        if (!lrc) return kNoCommunication;
        _sleep(kMenuKeyPauseMs);
    }
    unsigned char menu[10];
    lnumbytes = 0;
    ReadFile(lport, menu, sizeof menu, &lnumbytes, nullptr);
    if (lnumbytes > 4) {
        printf("\nYou are using an old firmware version...");
        return kOldFirmware;
    }
    printf("\nError no communication with the device");
    return kNoCommunication;
}

}  // namespace

int ReadCmd(char* DataReceive) {
    DWORD deadline = GetTickCount() + kReplyWaitMs;
    bool hunting = true;
    int stored = 0;
    int outcome = kTooLong;
    DataReceive[0] = '\0';

    while (outcome == kTooLong && stored < kFrameBound) {
        unsigned char readArea[50];
        lnumbytes = 0;
        if (!ReadFile(lport, readArea, sizeof readArea, &lnumbytes, nullptr)) outcome = kReadFailed;
        if (tickPassed(deadline)) outcome = kDeadline;

        for (DWORD i = 0; i < lnumbytes; ++i) {
            char c = static_cast<char>(readArea[i]);
            if (hunting) {
                if (c != '#') continue;
                hunting = false;
            } else if (c == '#') {
                continue;
            } else if (c == '\r') {
                DataReceive[stored++] = c;
                DataReceive[stored] = '\0';
                return kFrame;
            } else if (stored >= kReplyArea - 2) {
                continue;  // no room left before the closing carriage return
            }
            DataReceive[stored++] = c;
            DataReceive[stored] = '\0';
        }
    }
    return outcome;
}

int SendCmd(char* msg, int lenght, char* answer) {
    unsigned char scratch[300];
    DWORD drainDeadline = GetTickCount() + kDrainMs;
    do {
        lnumbytes = 0;
        ReadFile(lport, scratch, sizeof scratch, &lnumbytes, nullptr);
    } while (lnumbytes > 0 && !tickPassed(drainDeadline));

    for (int i = 0; i < lenght; ++i) {
        lrc = WriteFile(lport, &msg[i], 1, &lnumbytes, nullptr);
        if (!lrc || lnumbytes != 1) return 0;
    }

    for (int wait = 0; wait < kReplyWaits; ++wait) {
        int outcome = ReadCmd(answer);
        if (outcome == kFrame) return 1;
        if (outcome == kTooLong) return 0;
    }
    return 0;
}

int DevType() {
    char msg[50];
    char answer[kReplyArea] = {};

    printf("\nNow communicating with the card to obtain version information...");
    std::snprintf(msg, sizeof msg, "#DEVERSION\r");

    int attempts = 0;
    int replied = 0;
    do {
        replied = SendCmd(msg, 11, answer);
        ++attempts;
        if (GetLastError() != 0) recoverPort();
    } while (!replied && attempts < kVersionAttempts);

    takeVersionFacts(answer);

    std::memset(answer, 0, sizeof answer);
    std::memset(msg, 0, sizeof msg);
    std::snprintf(msg, sizeof msg, "#DEVTYPE\r");
    if (!SendCmd(msg, 9, answer)) return probeOldFirmwareMenu();

    for (int model = 0; model < 6; ++model) {
        if (std::strcmp(answer, kModelReplies[model]) == 0) {
            printf("OK");
            return model + 1;
        }
    }
    printf("\nERROR CARD MODEL UNKNOWN");
    return kModelUnknown;
}
