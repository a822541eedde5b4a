// Card identification over the firmware's text channel.
#pragma once

// Card facts for the banner.
extern const char* const cardModeName[6];
extern int cardVersion;     // the variant digit's value; 69 until read, 2 = PLUS
extern char RDVersion[10];  // the firmware version word; "E" when not read

// Model codes 1 to 6, or the statuses below.
enum DevTypeStatus : int {
    kNoCommunication = 20,
    kOldFirmware = 21,
    kModelUnknown = 99,
};

int DevType();
int SendCmd(char* msg, int lenght, char* answer);
int ReadCmd(char* DataReceive);
