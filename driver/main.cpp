// The program's entry: the options that need no card (--help, -h and /? print
// the help, --version the version and the platform) end with status 0
// without opening a port; anything else is one run of the tool.
#include <cstring>

#include "driver/updater.h"
#include "driver/version.h"
#include "platform/win32.h"

namespace {

#ifdef _WIN32
constexpr char kPortForms[] = "PORT:\n"
                              "  COMn                 the serial port COMn, e.g. COM1\n";
constexpr char kInterruptStatus[] = "  130  interrupted (Ctrl-C, Ctrl-Break or the console closed)\n";
#else
constexpr char kPortForms[] = "PORT:\n"
                              "  COMn                 COM1 to COM256: the serial devices /dev/ttyS0 to ttyS255\n"
                              "  /PATH                an absolute device path, as it is (e.g. /dev/ttyUSB0)\n";
constexpr char kInterruptStatus[] = "  130  interrupted by Ctrl-C (128 + the signal's number: 143 for SIGTERM,\n"
                                    "       129 when the terminal closed)\n";
#endif

void printHelp() {
    printf("updater %d.%d: updates the programmable parts of a video converter card (its\n"
           "flash devices, microcontroller, FPGA, EDID and gamma table) through one serial\n"
           "port.\n"
           "\n"
           "Usage: updater PORT COMMAND [FILE]\n"
           "   or: updater --help | -h | /?\n"
           "   or: updater --version\n"
           "\n"
           "  --help, -h, /?       print this text\n"
           "  --version            print the version and the platform\n"
           "\n",
           kVersionMajor, kVersionMinor);
    printf("%s", kPortForms);
    printf("\n"
           "COMMAND (in any case) and its FILE (as typed):\n"
           "  FPGA FILE.xsvf       play an FPGA configuration into the card's FPGA\n"
           "  VIPER DeviceN.bin    write the image of flash device N (1, 5 or 7), loading\n"
           "                       the ISP driver SFDriver.bin (device 1) or FDriver.bin\n"
           "                       first\n"
           "  VERIFY DeviceN.bin   read flash device N back and count the words that differ\n"
           "  MICRO                rewrite the microcontroller's flash from appMain.mot\n"
           "  EDID FILE.bin        write a 128- or 256-byte EDID image (DVI TO SDI and\n"
           "                       HDMI TO SDI cards only)\n"
           "  ALL                  update everything the current directory has files for\n"
           "  REMOTE FILE.txt      send a script of text commands, count their answers\n"
           "  STATUS               show the video processor's status report\n"
           "  GAMMA FILE.csv       write a gamma table of 1024 lines\n"
           "\n"
           "Files looked for in the current directory:\n"
           "  ALL     Device1.bin with SFDriver.bin, Device5.bin with FDriver.bin,\n"
           "          fpga.xsvf, and EDID.bin on DVI TO SDI and HDMI TO SDI cards\n"
           "  MICRO   appMain.mot, and the boot kernels uGen7144.cde, Genm7144.cde and\n"
           "          Genw7144.cde\n"
           "  VIPER   the ISP driver named above\n"
           "\n"
           "Exit status:\n"
           "  0    the command did what was asked\n"
           "  1    it ran and failed (the console says why, except when the card itself\n"
           "       ends an FPGA transfer as failed)\n"
           "  2    the command line or an update file was refused before anything was\n"
           "       written to the card\n");
    printf("%s", kInterruptStatus);
}

// When `argument` (the first one) asks for help or the version, prints it and
// returns true.
bool answerHelpOrVersion(const char* argument) {
    if (std::strcmp(argument, "--help") == 0 || std::strcmp(argument, "-h") == 0 ||
        std::strcmp(argument, "/?") == 0) {
        printHelp();
        return true;
    }
    if (std::strcmp(argument, "--version") == 0) {
        printf("updater %d.%d.%d (%s)\n", kVersionMajor, kVersionMinor, kVersionPatch, kPlatformName);
        return true;
    }
    return false;
}

}  // namespace

int main(int argc, char* argv[]) {
    if (argc >= 2 && answerHelpOrVersion(argv[1])) return 0;
    return runUpdater(argc, argv);
}
