// The program's entry: the options that need no card (--help, -h and /? print
// the help, --version the version and the platform, --ports the serial
// ports, --check the update files) end without opening a port; anything
// else is one run of the tool.
#include <cstring>

#include "driver/file_check.h"
#include "driver/updater.h"
#include "driver/version.h"
#include "platform/serial_ports.h"
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

// updater --ports: the serial ports the machine has, one a line, with what
// is known of each; nothing is sent to any port. `root` is where posix reads
// /sys and /dev from (a test's tree; nullptr for the system's own).
int listPorts(const char* root) {
    std::vector<SerialPort> ports = listSerialPorts(root != nullptr ? root : "");
    if (ports.empty()) printf("No serial port found.\n");
    for (const SerialPort& port : ports) {
        if (port.details.empty()) {
            printf("%s\n", port.name.c_str());
        } else {
            printf("%-14s %s\n", port.name.c_str(), port.details.c_str());
        }
    }
    return 0;
}

void printHelp() {
    printf("updater %d.%d: updates the programmable parts of a video converter card (its\n"
           "flash devices, microcontroller, FPGA, EDID and gamma table) through one serial\n"
           "port.\n"
           "\n"
           "Usage: updater PORT COMMAND [FILE]\n"
           "   or: updater --ports | --check [DIR] | --help | -h | /? | --version\n"
           "\n"
           "  --ports              list the serial ports of this machine, with what is\n"
           "                       known of each (the adapter's maker, product and serial\n"
           "                       number); nothing is sent to any port\n"
           "  --check [DIR]        check the update files in DIR (the current directory)\n"
           "                       as the commands would before sending them, one line a\n"
           "                       file: what it is for, and ok or why it would be refused;\n"
           "                       then the files ALL and MICRO look for that are missing.\n"
           "                       Exit status 0, or 2 when a file would be refused\n"
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
    printf("\n"
           "Environment:\n"
           "  UPDATER_LOG          a file to which each run appends one line of JSON: when\n"
           "                       it started and ended, the port, the command and file,\n"
           "                       each update file sent with its size and SHA-256, the\n"
           "                       card (model, firmware version, variant), the exit\n"
           "                       status and, on failure, the last line shown\n");
}

// When the arguments ask for something that needs no card, answers it and
// returns true with the exit status in `status`. --ports takes a root of
// its own for /sys and /dev (--root DIR, for tests; not in the help).
bool answerWithoutCard(int argc, char* argv[], int& status) {
    const char* argument = argv[1];
    status = 0;
    if (std::strcmp(argument, "--ports") == 0) {
        bool rooted = argc == 4 && std::strcmp(argv[2], "--root") == 0;
        if (argc != 2 && !rooted) {
            printf("Usage: updater --ports\n");
            status = 2;
            return true;
        }
        status = listPorts(rooted ? argv[3] : nullptr);
        return true;
    }
    if (std::strcmp(argument, "--check") == 0) {
        if (argc > 3) {
            printf("Usage: updater --check [DIR]\n");
            status = 2;
            return true;
        }
        status = checkUpdateFiles(argc == 3 ? argv[2] : nullptr);
        return true;
    }
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
    int status = 0;
    if (argc >= 2 && answerWithoutCard(argc, argv, status)) return status;
    return runUpdater(argc, argv);
}
