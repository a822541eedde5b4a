// What the rest of the tool calls in card/: the commands over the
// firmware's text channel (FPGA, EDID, GAMMA, REMOTE) and ALL, which looks
// for the update files and updates every part of the card it has one for.
#pragma once

#include "port/console.h"

void ProgramFPGA(const char* fileName);
void ProgramEDID(const char* fileName);
void ProgramGamma(const char* fileName);
void Remote(const char* fileName);

// ALL: prints which update files it finds in the working directory (the
// EDID only on a card with an EDID memory, `DVITOSDI` 1), then runs
// ProgramALL with what was found, or says there is nothing to update.
void programAllFound(int DVITOSDI);

// ALL's checks of its EDID and FPGA files, made before anything is sent:
// the EDID image holds 128 or 256 bytes, the FPGA file opens, reads to its
// end and holds something. False with the reason in `why` otherwise.
bool edidFileAcceptable(const char* name, Refusal& why);
bool fpgaFileAcceptable(const char* name, Refusal& why);

// ALL's steps, each run when its flag is set: the EDID, flash device 5,
// flash device 1, the FPGA, under one total time.
void ProgramALL(int device1Present, int device5Present, int fpgaPresent, int edidPresent);

// The card's verdict on an EDID or gamma transfer: "Failed" on 'E' (the run
// fails), otherwise "Success" (the memory is whole again).
void printVerdict(unsigned char verdict);
