// Whole runs of the tool up to the command: arguments, port, probe, path
// choice, identification loop and banner, with their exit statuses.
#include <gtest/gtest.h>

#include <cstring>
#include <regex>

#include "boot/communication_check.h"
#include "platform/sim/sim_port.h"
#include "sim/samples/firmware_image.h"
#include "sim/samples/sample_files.h"
#include "tests/support/firmware_script.h"
#include "tests/support/scripted_peer.h"
#include "tests/support/tool_run.h"
#include "tests/support/work_dir.h"

namespace {

constexpr sim::Nanos kMs = ScriptedPeer::kMs;

std::string banner(const std::string& modelLine, const std::string& version) {
    return "\r\n* * * * * * * * * * * * * * * * * * * * * * * * * * * * *\n"
           "\t\t\t\t\t\t\t*\r*\t\t\t" + modelLine + "\n"
           "*\t\t\t\t\t\t\t*\n"
           "\t\t\t\t\t\t\t*\r*\tUpdater Version   -> 2.20\n"
           "*\t\t\t\t\t\t\t*\n"
           "\t\t\t\t\t\t\t*\r*\tSoftware Version  -> " + version + "\n"
           "* * * * * * * * * * * * * * * * * * * * * * * * * * * * *\n";
}

const std::string kIdentified =
    "\nNow communicating with the card to obtain version information...OK";

class Run : public ::testing::Test {
protected:
    void SetUp() override { simport::reset(); }
    WorkDir dir;
    ScriptedPeer peer;
};

}  // namespace

TEST_F(Run, NoArgumentPrintsNothing) {
    ToolRun run = runTool({}, peer);
    EXPECT_EQ(run.output, "");
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(simport::opens(), 0);
}

TEST_F(Run, HelpAndVersionNeedNoCard) {
    for (const char* option : {"--help", "-h", "/?"}) {
        ToolRun run = runTool({option}, peer);
        EXPECT_EQ(run.output.rfind("updater 2.20: updates the programmable parts", 0), 0u) << option;
        for (const char* part : {"Usage: updater PORT COMMAND [FILE]\n", "/dev/ttyS0", "  GAMMA FILE.csv ",
                                 "Genw7144.cde", "  130  interrupted"}) {
            EXPECT_NE(run.output.find(part), std::string::npos) << option << ": " << part;
        }
        EXPECT_EQ(run.status, 0);
    }
    ToolRun version = runTool({"--version", "COM1", "STATUS"}, peer);
    // The banner's 2.20 and the release's patch number.
    EXPECT_TRUE(std::regex_match(version.output, std::regex("updater 2\\.20\\.[0-9]+ \\(Linux\\)\n")))
        << version.output;
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(simport::opens(), 0);
}

TEST_F(Run, PortNameMustBeComAndOneToThreeDigits) {
    for (const char* name : {"LPT1", "COM", "COM1234", "COM1\\..\\X", "COMX"}) {
        ToolRun run = runTool({name, "STATUS"}, peer);
        EXPECT_EQ(run.output, "Must be COMXX\n\nExit updater\n") << name;
        EXPECT_EQ(run.status, 2);
    }
    // The port name is judged before the command word.
    EXPECT_EQ(runTool({"LPT1", std::string(150, 'X')}, peer).output, "Must be COMXX\n\nExit updater\n");
    EXPECT_EQ(simport::opens(), 0);
}

TEST_F(Run, OverlongArgumentsAreRefusedBeforeTheOpen) {
    ToolRun port = runTool({"/dev/" + std::string(95, 'p'), "STATUS"}, peer);
    EXPECT_EQ(port.output, "Port name too long (99 characters at most)\n\nExit updater\n");
    EXPECT_EQ(port.status, 2);
    ToolRun word = runTool({"COM1", std::string(100, 'X')}, peer);
    EXPECT_EQ(word.output, "Command word too long (99 characters at most)\n\nExit updater\n");
    EXPECT_EQ(simport::opens(), 0);

    // 99 characters are still a name and a word.
    ToolRun path = runTool({"/dev/" + std::string(94, 'p'), std::string(99, 'X')}, peer);
    EXPECT_EQ(path.output.find("too long"), std::string::npos);
    EXPECT_EQ(simport::opens(), 1);
}

TEST_F(Run, PortThatCannotBeOpened) {
    ToolRun missing = runTool({"COM9", "STATUS"}, peer);
    EXPECT_EQ(missing.output,
              "Failed to open COM9 :  The COM port selected don't exist!\n\nExit updater\n");
    EXPECT_EQ(missing.status, 1);

    simport::failOpens(ERROR_ACCESS_DENIED, 1);
    ToolRun busy = runTool({"COM1", "STATUS"}, peer);
    EXPECT_EQ(busy.output,
              "Failed to open COM1 :  The COM port selected is already open by an other "
              "program!\n\nExit updater\n");

    simport::failOpens(ERROR_PRIVILEGE_NOT_HELD, 1);
    ToolRun denied = runTool({"COM1", "STATUS"}, peer);
    EXPECT_EQ(denied.output,
              "Failed to open COM1 :  No permission to open COM1: read and write access to it is "
              "needed (usually membership of its group, such as dialout)\n\nExit updater\n");
    EXPECT_EQ(denied.status, 1);

    simport::failOpens(ERROR_PATH_NOT_FOUND, 1);
    ToolRun other = runTool({"COM1", "STATUS"}, peer);
    EXPECT_EQ(other.output, "Failed to open COM1 :  \n\nExit updater\n");
}

TEST_F(Run, LowerCasePortAndCommandAreAccepted) {
    simport::addPort("COM3");
    answerOpening(peer);
    ToolRun run = runTool({"com3", "fpga"}, peer);
    EXPECT_EQ(run.output.rfind(kIdentified + banner("DL-SDI TO HDMI", "V1.23") + "Error: Usage is\n", 0),
              0u);
    EXPECT_EQ(peer.hostBaud(), 115200u);
}

TEST_F(Run, BannerVariants) {
    answerProbes(peer);
    answerIdentification(peer, "#DEVERSION 2 V1.23\r", "#DEVTYPE SDITOHDMI\r");
    ToolRun plus = runTool({"COM1", "FPGA"}, peer);
    EXPECT_NE(plus.output.find(banner("DL-SDI TO HDMI PLUS", "V1.23")), std::string::npos);

    ScriptedPeer unknown;
    answerProbes(unknown);
    answerIdentification(unknown, "#SOMETHING ELSE\r", "#DEVTYPE DVITOSDI\r");
    simport::reset();
    ToolRun run = runTool({"COM1", "FPGA"}, unknown);
    EXPECT_NE(run.output.find(banner("DVI TO SDI", "Unknown")), std::string::npos);
}

TEST_F(Run, UsageTextAfterTheBanner) {
    answerOpening(peer, "SDITODVI");
    ToolRun run = runTool({"COM1", "FPGA"}, peer);
    EXPECT_EQ(run.output, kIdentified + banner("DL-SDI TO DVI", "V1.23") +
                              "Error: Usage is\n"
                              "  updater [COMXX] [FPGA/VIPER] Filename.xxx\n"
                              "e.g. updater COM1 FPGA fpga.xsvf\n"
                              "e.g. updater COM1 VIPER Device5.bin\n"
                              "e.g. updater COM1 MICRO\n"
                              "e.g. updater COM1 ALL\n"
                              "\nExit updater\n");
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(peer.received(), std::string("\0\0#DEVERSION\r#DEVTYPE\r", 22));

    // The port as the tool set it up: only these fields changed.
    DCB expected = simport::portDefaults();
    expected.DCBlength = 28;
    expected.BaudRate = 115200;
    expected.ByteSize = 8;
    expected.Parity = NOPARITY;
    expected.StopBits = ONESTOPBIT;
    expected.fRtsControl = RTS_CONTROL_DISABLE;
    EXPECT_EQ(std::memcmp(&simport::appliedSettings(), &expected, sizeof expected), 0);
    const COMMTIMEOUTS& timeouts = simport::appliedTimeouts();
    EXPECT_EQ(timeouts.ReadIntervalTimeout, MAXDWORD);
    EXPECT_EQ(timeouts.ReadTotalTimeoutMultiplier, MAXDWORD);
    EXPECT_EQ(timeouts.ReadTotalTimeoutConstant, 1u);
    EXPECT_EQ(timeouts.WriteTotalTimeoutMultiplier, 100u);
    EXPECT_EQ(timeouts.WriteTotalTimeoutConstant, 0u);
}

TEST_F(Run, OpeningJustBeforeTheTickCounterWraps) {
    answerOpening(peer);
    ToolRun run = runTool({"COM1", "FPGA"}, peer, "", 0xFFFFFFFFu - 150);
    EXPECT_EQ(peer.received(), std::string("\0\0#DEVERSION\r#DEVTYPE\r", 22));
    EXPECT_NE(run.output.find(kIdentified), std::string::npos);
}

TEST_F(Run, UnknownModelIsAskedAgainUntilItIsKnown) {
    answerProbes(peer);
    answerIdentification(peer, "#DEVERSION 1 V1\r", "#DEVTYPE NEWMODEL\r");
    answerIdentification(peer, "#DEVERSION 1 V1\r", "#DEVTYPE HDMITOSDI\r");
    ToolRun run = runTool({"COM1", "FPGA"}, peer);
    EXPECT_EQ(run.output.rfind("\nNow communicating with the card to obtain version information..."
                               "\nERROR CARD MODEL UNKNOWN" + kIdentified + banner("HDMI TO SDI", "V1"),
                               0),
              0u);
    EXPECT_NE(run.output.find("e.g. updater COM1 EDID\n"), std::string::npos);
}

TEST_F(Run, ProbeCountsChooseThePath) {
    ASSERT_EQ(sim::writeSampleFiles(dir.path()), "");

    // Eleven bytes: a running firmware, identification even for MICRO.
    answerProbes(peer, std::string(11, 'x'));
    answerIdentification(peer, "#DEVERSION 1 V1\r", "#DEVTYPE SDITOHDMI\r");
    ToolRun eleven = runTool({"COM1", "MICRO"}, peer);
    EXPECT_NE(eleven.output.find(kIdentified), std::string::npos);

    // Ten bytes under MICRO: the boot program must be restarted.
    ScriptedPeer ten;
    answerProbes(ten, std::string(10, 'x'));
    simport::reset();
    ToolRun reboot = runTool({"COM1", "MICRO"}, ten);
    EXPECT_EQ(reboot.output,
              "\nThe BOOT program needs to be reboot  -> Please reboot the card and try again"
              "\nExit updater\n");
    EXPECT_EQ(reboot.status, 1);
    EXPECT_EQ(ten.received(), std::string("\0\0", 2));

    // Nothing under MICRO: the boot-mode path (tests/scenario/boot_micro.cpp).

    // Nothing under another command: identification all the same.
    ScriptedPeer quiet;
    quiet.onWrite("#DEVERSION\r", "#DEVERSION 1 V1\r", kMs);
    quiet.onWrite("#DEVTYPE\r", "#DEVTYPE SDITOHDMI\r", kMs);
    simport::reset();
    ToolRun status = runTool({"COM1", "FPGA"}, quiet);
    EXPECT_NE(status.output.find(kIdentified), std::string::npos);
}

TEST_F(Run, FirmwareFileCheckBeforeMicro) {
    ToolRun missing = runTool({"COM1", "MICRO"}, peer);
    EXPECT_EQ(missing.output, "\nExit updater\n");
    EXPECT_EQ(missing.status, 2);
    EXPECT_EQ(peer.received(), "");

    dir.write("appMain.mot", std::string(511070, 'S'));
    ToolRun bad = runTool({"COM1", "MICRO"}, peer);
    EXPECT_EQ(bad.output, "Bad appMain.mot file. Exit.\n\nExit updater\n");
    EXPECT_EQ(bad.status, 2);
    EXPECT_EQ(peer.received(), "");

    // One byte more or less: a good file (blanks after its records) goes on.
    ASSERT_EQ(sim::writeSampleFiles(dir.path()), "");
    const std::string good = sim::sRecordFile(sim::sampleFirmwareData());
    for (std::size_t size : {511069u, 511071u}) {
        dir.write("appMain.mot", good + std::string(size - good.size(), '\n'));
        ScriptedPeer card;
        answerOpening(card);
        simport::reset();
        flag = 0;  // each run meets a silent boot program for the first time
        ToolRun run = runTool({"COM1", "MICRO"}, card);
        EXPECT_EQ(run.output.find("Bad appMain.mot"), std::string::npos) << size;
        EXPECT_EQ(card.received().substr(0, 1), std::string(1, '\0')) << size;
    }
}

TEST_F(Run, OldFirmwareUnderMicroHandsOverToTheBootProgram) {
    ASSERT_EQ(sim::writeSampleFiles(dir.path()), "");
    answerProbes(peer, "\r\nMENU: 1 $ 6\r\n");
    peer.onWrite("#DEVTYPE\r\r1$", "\r\nMENU: 1 $ 6\r\n", 10 * kMs);
    ToolRun run = runTool({"COM1", "MICRO"}, peer);
    EXPECT_EQ(run.output.find("* * *"), std::string::npos);
    EXPECT_NE(run.output.find("\nYou are using an old firmware version...\nExit updater\n"),
              std::string::npos);
    EXPECT_EQ(peer.received().back(), '6');
    EXPECT_EQ(run.status, 1);
}

TEST_F(Run, OldFirmwareUnderStatusIsUnsupported) {
    answerProbes(peer, "\r\nMENU: 1 $ 6\r\n");
    peer.onWrite("#DEVTYPE\r\r1$", "\r\nMENU: 1 $ 6\r\n", 10 * kMs);
    ToolRun run = runTool({"COM1", "STATUS"}, peer);
    EXPECT_NE(run.output.find("\nYou are using an old firmware version..."
                              "\nUnsupported feature...Update the firmware version"
                              "\nExit updater\n"),
              std::string::npos);
    EXPECT_EQ(run.output.find("* * *"), std::string::npos);
    EXPECT_EQ(peer.received().back(), '$');
    EXPECT_EQ(run.status, 1);
}
