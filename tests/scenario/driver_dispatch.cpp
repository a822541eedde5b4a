// Command selection after the banner: the command table, the file checks and
// the ALL discovery, each refusal with its text, key wait and exit status.
#include <gtest/gtest.h>

#include <filesystem>

#include "platform/sim/sim_port.h"
#include "tests/support/firmware_script.h"
#include "tests/support/scripted_peer.h"
#include "tests/support/tool_run.h"
#include "tests/support/work_dir.h"

namespace {

const std::string kOpening("\0\0#DEVERSION\r#DEVTYPE\r", 22);
const std::string kExit = "\nExit updater\n";

class Dispatch : public ::testing::Test {
protected:
    // Runs the tool on a card of the given model and keeps what follows the
    // banner, and what was sent to the card after identifying it.
    std::string run(const std::vector<std::string>& args, const std::string& model = "SDITOHDMI") {
        ScriptedPeer peer;
        answerOpening(peer, model);
        simport::reset();
        ToolRun result = runTool(args, peer);
        status = result.status;
        sentAfterOpening = peer.received().substr(kOpening.size());
        std::size_t end = result.output.rfind("* * *\n");
        EXPECT_NE(end, std::string::npos) << result.output;
        return result.output.substr(end + 6);
    }

    WorkDir dir;
    int status = -1;
    std::string sentAfterOpening;
};

}  // namespace

TEST_F(Dispatch, UsageEndsWithTheExampleTheCardSupports) {
    EXPECT_EQ(run({"COM1", "GAMMA"}, "HDMITOSDI"),
              "Error: Usage is\n"
              "  updater [COMXX] [FPGA/VIPER] Filename.xxx\n"
              "e.g. updater COM1 FPGA fpga.xsvf\n"
              "e.g. updater COM1 VIPER Device5.bin\n"
              "e.g. updater COM1 MICRO\n"
              "e.g. updater COM1 EDID\n" + kExit);
    EXPECT_EQ(status, 2);
    std::string other = run({"COM1", "VIPER"}, "SL-SDITODVI");
    EXPECT_EQ(other.substr(other.size() - 22 - kExit.size()), "e.g. updater COM1 ALL\n" + kExit);
}

TEST_F(Dispatch, CommandWordMustBeInTheTable) {
    EXPECT_EQ(run({"COM1", "EDID", "edid.bin"}, "SDITODVI"),
              "Must be FPGA, VIPER, MICRO, CMD, GAMMA or ALL\n" + kExit);
    EXPECT_EQ(status, 2);
    EXPECT_EQ(run({"COM1", "FLASH", "x.bin"}, "DVITOSDI"),
              "Must be FPGA, VIPER, MICRO, EDID, CMD , GAMMA or ALL\n" + kExit);
    EXPECT_EQ(sentAfterOpening, "");
}

TEST_F(Dispatch, ExtensionTestsAreExactAndCaseSensitive) {
    const struct {
        const char* command;
        const char* file;
        const char* refusal;
    } cases[] = {{"FPGA", "fpga.XSVF", "Bad fpga file\n"},
                 {"FPGA", "svf", "Bad fpga file\n"},
                 {"GAMMA", "Gamma.CSV", "Bad GAMMA file\n"},
                 {"REMOTE", "script.txt.bak", "Bad REMOTE file\n"},
                 {"EDID", "edid.hex", "Bad EDID file\n"}};
    for (const auto& c : cases) {
        EXPECT_EQ(run({"COM1", c.command, c.file}, "DVITOSDI"), c.refusal + kExit) << c.file;
        EXPECT_EQ(status, 2);
        EXPECT_EQ(simport::keyReads(), 0);
    }
}

TEST_F(Dispatch, MissingFileWaitsForAKeyExceptForDeviceImages) {
    EXPECT_EQ(run({"COM1", "gamma", "table.csv"}),
              "File table.csv doesn't exist.\nPress any key to continue . . . \n" + kExit);
    EXPECT_EQ(simport::keyReads(), 1);
    EXPECT_EQ(status, 2);

    EXPECT_EQ(run({"COM1", "VERIFY", "Device5.bin"}), "File Device5.bin doesn't exist.\n" + kExit);
    EXPECT_EQ(simport::keyReads(), 0);
    EXPECT_EQ(run({"COM1", "VIPER", "Device7.bin.old"}),
              "File Device7.bin.old doesn't exist.\n" + kExit);
    EXPECT_EQ(sentAfterOpening, "");
}

TEST_F(Dispatch, DeviceFileNames) {
    EXPECT_EQ(run({"COM1", "VIPER", "device5.bin"}), "Bad device file. (Device 1 or 5 only)\n" + kExit);
    EXPECT_EQ(run({"COM1", "VIPER", "Device3.bin"}),
              "Bad device file. (Device 1,5  or 7 only)\n" + kExit);
    EXPECT_EQ(run({"COM1", "VERIFY", "Device"}), "Bad device file. (Device 1,5  or 7 only)\n" + kExit);
    EXPECT_EQ(run({"COM1", "VERIFY", "Device5.hex"}),
              "Bad device file. (Device 1, 5 or 7 only)\n" + kExit);
    EXPECT_EQ(run({"COM1", "VIPER", "./Device5.bin"}),
              "Bad device file. (Device 1 or 5 only)\n" + kExit);
    EXPECT_EQ(status, 2);
}

TEST_F(Dispatch, FileInAnotherDirectoryAndOverlongNames) {
    std::filesystem::create_directory("sub");
    dir.write("sub/new.xsvf", "x");
    std::string fpga = run({"COM1", "FPGA", "sub/new.xsvf"});
    EXPECT_EQ(fpga.find("Bad fpga file"), std::string::npos);
    EXPECT_EQ(fpga.find("doesn't exist"), std::string::npos);

    std::string longest = std::string(250, 'a') + ".xsvf";
    EXPECT_EQ(run({"COM1", "FPGA", longest}), "File " + longest + " doesn't exist.\n" +
                                                  "Press any key to continue . . . \n" + kExit);
    EXPECT_EQ(run({"COM1", "FPGA", "a" + longest}),
              "File name too long (255 characters at most)\n" + kExit);
    EXPECT_EQ(status, 2);
}

TEST_F(Dispatch, AllDiscoveryWithoutADriver) {
    dir.write("Device1.bin", "image");
    EXPECT_EQ(run({"COM1", "ALL"}),
              "\nLooking for update files ... \n\n"
              "Device1.bin : \tYES\n"
              "Device5.bin : \tNO\n"
              "SFDriver.bin : \tNO  (ERROR - You need a driver to update device1.)\n"
              "fpga.xsvf : \tNO\n"
              "No update available." + kExit);
    EXPECT_EQ(status, 2);
    EXPECT_EQ(sentAfterOpening, "");
}

TEST_F(Dispatch, AllDiscoveryLooksForEdidOnlyOnCardsWithIt) {
    dir.write("Device5.bin", "image");
    dir.write("EDID.bin", "edid");
    std::string noEdid = run({"COM1", "ALL"}, "SDITODVI");
    EXPECT_EQ(noEdid.find("EDID.bin"), std::string::npos);
    EXPECT_NE(noEdid.find("FDriver.bin : \tNO  (ERROR - You need a driver to update device5.)\n"
                          "fpga.xsvf : \tNO\nNo update available."),
              std::string::npos);

    dir.write("FDriver.bin", "driver");
    std::string withEdid = run({"COM1", "ALL"}, "DVITOSDI");
    EXPECT_EQ(withEdid.rfind("\nLooking for update files ... \n\n"
                             "Device1.bin : \tNO\n"
                             "Device5.bin : \tYES\n"
                             "FDriver.bin : \tYES\n"
                             "fpga.xsvf : \tNO\n"
                             "EDID.bin : \tYES\n",
                             0),
              0u);
}
