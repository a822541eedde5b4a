// updater --check [DIR]: every update file in DIR (the working directory
// when none is given) judged as the commands that would send it judge it
// before their first byte, without a card and without a port, one line a
// file: its name, what it is for, and "ok" or why it would be refused.
//
// The files: the fixed names (Device1.bin, Device5.bin, Device7.bin,
// SFDriver.bin, FDriver.bin, appMain.mot and the three boot kernels) and by
// their extension, as the commands take them (case matters): *.xsvf FPGA
// configurations, *.csv gamma tables, *.txt remote scripts, Device*.bin
// flash device images (VIPER's name test decides which device) and every
// other *.bin an EDID image. Beyond the commands' own checks, where a file
// can be read through without a card: an XSVF stream must read to its
// XCOMPLETE with every opcode known, and an EDID image's header and block
// checksums are checked (a warning only: the card takes what it is given).
// A device image whose ISP driver is missing is refused, as VIPER refuses
// it. Then a line for each file that ALL or MICRO looks for and did not
// find.
#pragma once

// Prints the lines; returns the exit status: 0 when every file present
// would be accepted, 2 when one would be refused or DIR cannot be read.
int checkUpdateFiles(const char* dir);
