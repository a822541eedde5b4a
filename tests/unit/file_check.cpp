// updater --check: every update file of a folder judged as the commands
// would judge it before sending it, one line a file, without a card.
#include <gtest/gtest.h>

#include <filesystem>

#include "driver/file_check.h"
#include "tests/support/console_capture.h"
#include "tests/support/work_dir.h"

namespace {

struct Checked {
    std::string lines;
    int status;
};

Checked check(const std::string& dir) {
    ConsoleCapture capture;
    int status = checkUpdateFiles(dir.c_str());
    return {capture.text(), status};
}

std::string sample(const std::string& name) {
    std::vector<std::uint8_t> bytes = sim::sampleFile(name);
    return {bytes.begin(), bytes.end()};
}

TEST(FileCheck, TheSamplesAreAllAccepted) {
    WorkDir dir;
    dir.writeSamples(4096);
    Checked checked = check(dir.path());
    EXPECT_EQ(checked.status, 0);
    for (const std::string& name : sim::sampleFileNames()) {
        EXPECT_NE(("\n" + checked.lines).find("\n" + name + " "), std::string::npos) << name;
    }
    EXPECT_EQ(checked.lines.find("refused"), std::string::npos) << checked.lines;
    EXPECT_EQ(checked.lines.find("not found"), std::string::npos) << checked.lines;
}

// One damaged file of each kind, each refused with the command's own words;
// an EDID that breaks only its own rules is taken with a warning.
TEST(FileCheck, EachDamageIsNamedOnItsFilesLine) {
    WorkDir dir;
    std::string firmware = sample("appMain.mot");
    firmware.replace(firmware.find("S31500000010F9"), 14, "S31500000010F8");
    std::string edid = sample("EDID.bin");
    edid[200] = static_cast<char>(edid[200] + 1);
    std::string gamma = sample("gamma.csv");
    gamma.replace(gamma.rfind("\n", gamma.size() - 2) + 1, std::string::npos, "1024,0,0\n");
    // clang-format off
    const std::vector<std::pair<std::string, std::string>> files = {
        {"Device1.bin", ""}, {"Device5.bin", std::string(100, 'x')}, {"Device7.bin", std::string(300, 'x')},
        {"Device3.bin", std::string(300, 'x')}, {"SFDriver.bin", std::string(2097153, 'x')},
        {"appMain.mot", firmware}, {"uGen7144.cde", ""}, {"Genm7144.cde", std::string(4001, 'x')},
        {"fpga.xsvf", ""}, {"cut.xsvf", std::string("\x08\x00\x00", 3)}, {"open.xsvf", "\x07\x01"},
        {"unknown.xsvf", "\x05"}, {"inc.xsvf", std::string("\x04\x00\x00\x00\x01\x0B", 6)},
        {"EDID.bin", edid}, {"edid200.bin", std::string(200, 'x')}, {"gamma.csv", gamma},
        {"short.csv", "1,2,3\n"}, {"remote.txt", "@hello\n#FPGA 0\n"},
        {"notes", "not an update file"}, {"Gamma.CSV", "not taken by GAMMA"},
    };
    // clang-format on
    for (const auto& [name, content] : files) dir.write(name, content);
    std::filesystem::create_directory(dir.path() + "/folder.bin");

    Checked checked = check(dir.path());
    EXPECT_EQ(checked.status, 2);
    EXPECT_EQ(
        checked.lines,
        "Device1.bin    flash device 1                           refused: File Device1.bin is empty.\n"
        "Device3.bin    a flash device image                     refused: Bad device file. (Device 1,5  or 7 "
        "only)\n"
        "Device5.bin    flash device 5                           refused: File Device5.bin is too small for "
        "device 5 : 100 bytes (256 at least).\n"
        "Device7.bin    flash device 7                           refused: its ISP driver FDriver.bin is "
        "missing\n"
        "EDID.bin       the EDID                                 ok (warning: block 2 does not sum to 0)\n"
        "Genm7144.cde   the boot program's main kernel           refused: Bad kernel file Genm7144.cde. Exit. "
        "The file is longer than 4000 bytes.\n"
        "SFDriver.bin   the ISP driver of flash device 1         refused: File SFDriver.bin is too large "
        "(2097152 bytes at most).\n"
        "appMain.mot    the microcontroller's firmware           refused: Bad appMain.mot file. Exit. Line 3: "
        "the record's checksum is wrong.\n"
        "cut.xsvf       the FPGA                                 refused: the file ends inside the instruction "
        "0x08 at byte 0\n"
        "edid200.bin    the EDID                                 refused: Error only file of 128 or 256 bytes "
        "can be read\n"
        "fpga.xsvf      the FPGA                                 refused: Unable to read file : fpga.xsvf\n"
        "gamma.csv      a gamma table                            refused: Error, the RGB value must be between "
        "0 and 1023.\n"
        "inc.xsvf       the FPGA                                 refused: XSDRINC at byte 5: its data cannot be "
        "followed to XCOMPLETE\n"
        "open.xsvf      the FPGA                                 refused: the file ends at byte 2 without "
        "XCOMPLETE\n"
        "remote.txt     a remote script                          ok (1 command)\n"
        "short.csv      a gamma table                            refused: Gamma File error -> The file "
        "contains 1 lines (only 1024 lines are accepted)\n"
        "uGen7144.cde   the boot program's micro kernel          refused: Bad kernel file uGen7144.cde. Exit. "
        "The file is empty.\n"
        "unknown.xsvf   the FPGA                                 refused: byte 0, 0x05, is not an XSVF "
        "instruction\n"
        "FDriver.bin    ALL: the ISP driver of flash device 5    not found\n"
        "Genw7144.cde   MICRO: the write kernel                  not found\n");
}

}  // namespace
