// Whole runs up to the command against the card model: arguments, port, probe,
// identification, banner, command selection with its file checks, ALL's discovery.
#include <cstring>

#include "boot/commands.h"
#include "sim/samples/firmware_image.h"
#include "tests/support/card_run.h"
#include "tests/support/scripted_peer.h"

namespace {

std::string banner(const std::string& modelLine, const std::string& version) {
    const std::string stars = "* * * * * * * * * * * * * * * * * * * * * * * * * * * * *\n";
    const std::string edge = "*\t\t\t\t\t\t\t*\n\t\t\t\t\t\t\t*\r*\t";
    return "\r\n" + stars + "\t\t\t\t\t\t\t*\r*\t\t\t" + modelLine + "\n" + edge + "Updater Version   -> 2.20\n" +
           edge + "Software Version  -> " + version + "\n" + stars;
}

const std::string kIdentified = kAsking + "OK";
const std::string kUsage =
    "Error: Usage is\n  updater [COMXX] [FPGA/VIPER] Filename.xxx\ne.g. updater COM1 FPGA fpga.xsvf\n"
    "e.g. updater COM1 VIPER Device5.bin\ne.g. updater COM1 MICRO\n";
const std::string kPause = "Press any key to continue . . . \n";
const std::string kBadPort = "Must be COMXX\n";

using Files = std::vector<std::pair<std::string, std::string>>;

struct RunCase {
    std::vector<std::string> args;
    std::string console;  // after the banner (all of it when there is none), before the exit line
    int status = 2;
    std::string model = "SDITOHDMI";
    Files files = {};
    int keyReads = 0;
    std::function<void()> prepare = {};  // on the simulated platform, before the run
    bool oldFirmware = false;
    bool samples = false;  // the sample files are there (before `files`)
};

TEST(Run, FromTheCommandLineToTheCommand) {
    const std::string longest = std::string(250, 'a') + ".xsvf";
    const std::string noUpdate = "fpga.xsvf : \tNO\nNo update available.";
    auto atKey = [](const std::string& refusal) { return refusal + "\n" + kKeyPrompt; };
    auto unreadableFpga = [](const std::string& name) {
        return "Unable to read file : " + name +
               "\nTaille du fichier : 0\n\n/**********************************/\n";
    };
    // clang-format off
    const RunCase cases[] = {
        {.args = {}, .console = ""},  // prints nothing, not even the exit line
        {.args = {"LPT1", "STATUS"}, .console = kBadPort},
        {.args = {"COM", "STATUS"}, .console = kBadPort},
        {.args = {"COM1234", "STATUS"}, .console = kBadPort},
        {.args = {"COM1\\..\\X", "STATUS"}, .console = kBadPort},
        {.args = {"COMX", "STATUS"}, .console = kBadPort},
        {.args = {"LPT1", std::string(150, 'X')}, .console = kBadPort},  // the port name comes first
        {.args = {"/dev/" + std::string(95, 'p'), "STATUS"},
         .console = "Port name too long (99 characters at most)\n"},
        {.args = {"COM1", std::string(100, 'X')}, .console = "Command word too long (99 characters at most)\n"},
        {.args = {"COM9", "STATUS"}, .console = "Failed to open COM9 :  The COM port selected don't exist!\n",
         .status = 1},
        {.args = {"COM1", "STATUS"},
         .console = "Failed to open COM1 :  The COM port selected is already open by an other program!\n",
         .status = 1, .prepare = [] { simport::failOpens(ERROR_ACCESS_DENIED, 1); }},
        {.args = {"COM1", "STATUS"},
         .console = "Failed to open COM1 :  No permission to open COM1: read and write access to it is needed "
                    "(usually membership of its group, such as dialout)\n",
         .status = 1, .prepare = [] { simport::failOpens(ERROR_PRIVILEGE_NOT_HELD, 1); }},
        {.args = {"COM1", "STATUS"}, .console = "Failed to open COM1 :  \n", .status = 1,
         .prepare = [] { simport::failOpens(ERROR_PATH_NOT_FOUND, 1); }},
        // Command selection: the usage ends with the example the card supports.
        {.args = {"com3", "fpga"}, .console = kUsage + "e.g. updater COM1 ALL\n",
         .prepare = [] { simport::addPort("COM3"); }},
        {.args = {"COM1", "GAMMA"}, .console = kUsage + "e.g. updater COM1 EDID\n", .model = "HDMITOSDI"},
        {.args = {"COM1", "EDID", "edid.bin"}, .console = "Must be FPGA, VIPER, MICRO, CMD, GAMMA or ALL\n",
         .model = "SDITODVI"},
        {.args = {"COM1", "FLASH", "x.bin"}, .console = "Must be FPGA, VIPER, MICRO, EDID, CMD , GAMMA or ALL\n",
         .model = "DVITOSDI"},
        // The extension tests are exact and case-sensitive, and wait for no key.
        {.args = {"COM1", "FPGA", "fpga.XSVF"}, .console = "Bad fpga file\n"},
        {.args = {"COM1", "FPGA", "svf"}, .console = "Bad fpga file\n"},
        {.args = {"COM1", "GAMMA", "Gamma.CSV"}, .console = "Bad GAMMA file\n"},
        {.args = {"COM1", "REMOTE", "script.txt.bak"}, .console = "Bad REMOTE file\n"},
        {.args = {"COM1", "EDID", "edid.hex"}, .console = "Bad EDID file\n", .model = "DVITOSDI"},
        // A missing file waits for a key, except a device image.
        {.args = {"COM1", "gamma", "table.csv"}, .console = "File table.csv doesn't exist.\n" + kPause,
         .keyReads = 1},
        {.args = {"COM1", "VERIFY", "Device5.bin"}, .console = "File Device5.bin doesn't exist.\n"},
        {.args = {"COM1", "VIPER", "Device7.bin.old"}, .console = "File Device7.bin.old doesn't exist.\n"},
        {.args = {"COM1", "FPGA", longest}, .console = "File " + longest + " doesn't exist.\n" + kPause,
         .keyReads = 1},
        {.args = {"COM1", "FPGA", "a" + longest}, .console = "File name too long (255 characters at most)\n"},
        {.args = {"COM1", "VIPER", "device5.bin"}, .console = "Bad device file. (Device 1 or 5 only)\n"},
        {.args = {"COM1", "VIPER", "./Device5.bin"}, .console = "Bad device file. (Device 1 or 5 only)\n"},
        {.args = {"COM1", "VIPER", "Device3.bin"}, .console = "Bad device file. (Device 1,5  or 7 only)\n"},
        {.args = {"COM1", "VERIFY", "Device"}, .console = "Bad device file. (Device 1,5  or 7 only)\n"},
        {.args = {"COM1", "VERIFY", "Device5.hex"}, .console = "Bad device file. (Device 1, 5 or 7 only)\n"},
        // Image, driver and FPGA files that cannot be used are refused before anything is sent.
        {.args = {"COM1", "VIPER", "Device7.bin"},
         .console = atKey("File Device7.bin is too small for device 7 : 255 bytes (256 at least)."),
         .files = {{"Device7.bin", imageBytes(0xFF)}}, .keyReads = 1, .samples = true},
        {.args = {"COM1", "VIPER", "Device1.bin"}, .console = atKey("File Device1.bin is empty."),
         .files = {{"Device1.bin", ""}}, .keyReads = 1, .samples = true},
        {.args = {"COM1", "VERIFY", "Device1.bin"}, .console = atKey("File Device1.bin is empty."),
         .files = {{"Device1.bin", ""}}, .keyReads = 1},
        {.args = {"COM1", "VIPER", "Device5.bin"},
         .console = atKey("File FDriver.bin is too large (2097152 bytes at most)."),
         .files = {{"FDriver.bin", imageBytes(2097152 + 1)}}, .keyReads = 1, .samples = true},
        {.args = {"COM1", "VERIFY", "Device1.bin"},
         .console = atKey("File Device1.bin is too large (2097152 bytes at most)."),
         .files = {{"Device1.bin", imageBytes(2097152 + 10)}}, .keyReads = 1},
        {.args = {"COM1", "VIPER", "Device5.bin"},
         .console = atKey("Loading ISP Driver...\nUnable to open file : FDriver.bin"),
         .keyReads = 1, .prepare = [] { std::filesystem::remove("FDriver.bin"); }, .samples = true},
        {.args = {"COM1", "VIPER", "Device1.bin"}, .console = atKey("Unable to read file : Device1.bin"),
         .keyReads = 1,
         .prepare = [] {
             std::filesystem::remove("Device1.bin");
             std::filesystem::create_directory("Device1.bin");
         },
         .samples = true},
        {.args = {"COM1", "FPGA", "folder.xsvf"}, .console = unreadableFpga("folder.xsvf"),
         .prepare = [] { std::filesystem::create_directory("folder.xsvf"); }},
        {.args = {"COM1", "FPGA", "empty.xsvf"}, .console = unreadableFpga("empty.xsvf"),
         .files = {{"empty.xsvf", ""}}},
        // ALL looks for the files and their drivers, and for the EDID only on cards that have one.
        {.args = {"COM1", "ALL"},
         .console = "\nLooking for update files ... \n\nDevice1.bin : \tYES\nDevice5.bin : \tNO\n"
                    "SFDriver.bin : \tNO  (ERROR - You need a driver to update device1.)\n" + noUpdate,
         .files = {{"Device1.bin", "image"}}},
        {.args = {"COM1", "ALL"},
         .console = "\nLooking for update files ... \n\nDevice1.bin : \tNO\nDevice5.bin : \tYES\n"
                    "FDriver.bin : \tNO  (ERROR - You need a driver to update device5.)\n" + noUpdate,
         .model = "SDITODVI", .files = {{"Device5.bin", "image"}, {"EDID.bin", "edid"}}},
        // Old firmwares: MICRO hands over to the boot program (key 6), anything else is refused.
        {.args = {"COM1", "MICRO"}, .console = kAsking + "\nYou are using an old firmware version...", .status = 1,
         .oldFirmware = true},
        {.args = {"COM1", "STATUS"},
         .console = kAsking + "\nYou are using an old firmware version...\nUnsupported feature...Update the "
                              "firmware version",
         .status = 1, .oldFirmware = true},
    };
    // clang-format on
    for (const RunCase& c : cases) {
        std::string args;
        for (const std::string& arg : c.args) args += arg.substr(0, 20) + " ";
        SCOPED_TRACE(args);
        WorkDir dir;
        if (c.oldFirmware || c.samples) {
            ASSERT_EQ(sim::writeSampleFiles(dir.path(), 256), "");
        }
        for (const auto& [name, bytes] : c.files) dir.write(name, bytes);
        sim::Card card{cardOptions(c.model, [&](auto& o) { o.oldFirmware = c.oldFirmware; })};
        CardRun run = runOnCard(card, c.args, "", c.prepare);
        EXPECT_EQ(run.console, c.args.empty() ? "" : c.console + kExit);
        EXPECT_EQ(run.status, c.status);
        EXPECT_EQ(simport::keyReads(), c.keyReads);
        if (contains(run.output, kIdentified)) {
            EXPECT_EQ(run.sent, "") << "nothing is sent after a refusal";
        }
        if (c.oldFirmware) {  // MICRO ends with the key that calls the boot program
            EXPECT_EQ(simport::written().back(), c.args[1] == "MICRO" ? '6' : '$');
        }
    }
}

TEST(Run, IdentificationAndBannerOfTheCard) {
    WorkDir dir;
    sim::Card plus{cardOptions("SDITOHDMI", [](auto& o) {
        o.variant = 2;
        o.firmware = "V1.23";
    })};
    CardRun run = runOnCard(plus, {"COM1", "FPGA"}, "", {}, 0xFFFFFFFFu - 150);  // the tick counter wraps
    EXPECT_EQ(run.output,
              kIdentified + banner("DL-SDI TO HDMI PLUS", "V1.23") + kUsage + "e.g. updater COM1 ALL\n" + kExit);
    EXPECT_EQ(plus.received(), kOpening);

    // The port as the tool set it up: only these fields changed.
    DCB expected = simport::portDefaults();
    expected.DCBlength = 28;
    expected.BaudRate = 115200;
    expected.fRtsControl = RTS_CONTROL_DISABLE;
    EXPECT_EQ(std::memcmp(&simport::appliedSettings(), &expected, sizeof expected), 0);
    const COMMTIMEOUTS& t = simport::appliedTimeouts();
    EXPECT_EQ(std::vector<DWORD>({t.ReadIntervalTimeout, t.ReadTotalTimeoutMultiplier, t.ReadTotalTimeoutConstant,
                                  t.WriteTotalTimeoutMultiplier, t.WriteTotalTimeoutConstant}),
              std::vector<DWORD>({MAXDWORD, MAXDWORD, 1, 100, 0}));
}

// Replies and probe answers the card model never gives.
TEST(Run, OddRepliesToTheProbeAndTheIdentification) {
    WorkDir dir{256};
    const std::string v1 = "#DEVERSION 1 V1\r";
    // clang-format off
    const struct {
        const char* what;
        std::string probeAnswer;  // to each probe byte ("": nothing)
        std::vector<std::pair<std::string, std::string>> replies;  // to each identification, in turn
        std::vector<std::string> args;
        std::string start;  // of the output
        int status;
    } cases[] = {
        {"not a version reply: the version is unknown", kProbeAnswer,
         {{"#SOMETHING ELSE\r", "#DEVTYPE DVITOSDI\r"}}, {"COM1", "FPGA"},
         kIdentified + banner("DVI TO SDI", "Unknown"), 2},
        {"an unknown model is asked again until it is known", kProbeAnswer,
         {{v1, "#DEVTYPE NEWMODEL\r"}, {v1, "#DEVTYPE HDMITOSDI\r"}}, {"COM1", "FPGA"},
         kAsking + "\nERROR CARD MODEL UNKNOWN" + kIdentified + banner("HDMI TO SDI", "V1"), 2},
        {"eleven bytes to the probe: a running firmware, even for MICRO", std::string(11, 'x'),
         {{v1, "#DEVTYPE SDITOHDMI\r"}}, {"COM1", "MICRO"}, kIdentified, 1},
        {"ten bytes under MICRO: the boot program must be restarted", std::string(10, 'x'), {}, {"COM1", "MICRO"},
         "\nThe BOOT program needs to be reboot  -> Please reboot the card and try again\nExit updater\n", 1},
        {"nothing to the probe under another command: identification all the same", "",
         {{v1, "#DEVTYPE SDITOHDMI\r"}}, {"COM1", "FPGA"}, kIdentified, 2},
    };
    // clang-format on
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ScriptedPeer peer;
        answerProbes(peer, c.probeAnswer);
        for (const auto& [version, model] : c.replies) answerIdentification(peer, version, model);
        flag = 0;
        CardRun run = runOnCard(peer, c.args);
        EXPECT_EQ(run.output.rfind(c.start, 0), 0u) << run.output.substr(0, 400);
        EXPECT_EQ(run.status, c.status);
    }
}

// Six sizes of appMain.mot are refused by size alone before the port is used; a byte
// more or less goes on.
TEST(Run, FirmwareFileIsCheckedBeforeMicro) {
    WorkDir dir;
    sim::Card card{sim::CardOptions{}};
    CardRun missing = runOnCard(card, {"COM1", "MICRO"});
    EXPECT_EQ(missing.output, kExit);
    EXPECT_EQ(missing.status, 2);
    ASSERT_EQ(sim::writeSampleFiles(dir.path(), 256), "");
    const std::string good = sim::sRecordFile(sim::sampleFirmwareData());
    for (std::size_t size : {570422u, 570974u, 510718u, 510526u, 511446u, 511070u}) {
        dir.write("appMain.mot", std::string(size, 'S'));
        CardRun run = runOnCard(card, {"COM1", "MICRO"});
        EXPECT_EQ(run.output, "Bad appMain.mot file. Exit.\n" + kExit) << size;
        EXPECT_EQ(run.status, 2);
        EXPECT_EQ(simport::written(), "");
    }
    for (std::size_t size : {511069u, 511071u}) {
        dir.write("appMain.mot", good + std::string(size - good.size(), '\n'));
        sim::Card fresh{sim::CardOptions{}};
        flag = 0;
        EXPECT_EQ(runOnCard(fresh, {"COM1", "MICRO"}).status, 0) << size;
    }
}

}  // namespace
