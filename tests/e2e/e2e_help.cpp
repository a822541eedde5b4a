// The options that need no card: the help, the version and the check of the
// update files, answered by the program's entry without a port being opened.
#include <gtest/gtest.h>

#include "tests/support/processes.h"

TEST(EndToEnd, HelpAndVersionNeedNoCard) {
    WorkDir dir;
    for (const char* option : {"--help", "-h", "/?"}) {
        ProcessResult run = runProgram(UPDATER_BIN, dir.path(), {option});
        EXPECT_EQ(run.output.rfind("updater 2.20: updates the programmable parts", 0), 0u) << option;
        for (const char* part :
             {"Usage: updater PORT COMMAND [FILE]\n", "/dev/ttyS0", "  GAMMA FILE.csv ", "Genw7144.cde",
              "  130  interrupted", "  --ports ", "  --check [DIR] ", "  UPDATER_LOG "}) {
            EXPECT_NE(run.output.find(part), std::string::npos) << option << ": " << part;
        }
        EXPECT_EQ(run.status, 0);
    }
    // The banner's 2.20 and the release's patch number; the port named after it is not opened.
    ProcessResult version = runProgram(UPDATER_BIN, dir.path(), {"--version", "COM1", "STATUS"});
    const std::string& v = version.output;
    EXPECT_EQ(v.rfind("updater 2.20.", 0), 0u) << v;
    EXPECT_TRUE(v.size() > 22 && v.compare(v.size() - 9, 9, " (Linux)\n") == 0 &&
                v.find_first_not_of("0123456789", 13) == v.size() - 9)
        << v;
    EXPECT_EQ(version.status, 0);

    // The check of a folder's update files: its status, and the folder refused.
    dir.writeSamples(4096);
    ProcessResult checked = runProgram(UPDATER_BIN, "/", {"--check", dir.path()});
    EXPECT_EQ(checked.status, 0) << checked.output;
    EXPECT_NE(checked.output.find("\nfpga.xsvf      the FPGA "), std::string::npos) << checked.output;
    ProcessResult noFolder = runProgram(UPDATER_BIN, dir.path(), {"--check", "no-such-folder"});
    EXPECT_EQ(noFolder.status, 2);
    EXPECT_EQ(noFolder.output.rfind("The folder no-such-folder cannot be read: ", 0), 0u) << noFolder.output;
}
