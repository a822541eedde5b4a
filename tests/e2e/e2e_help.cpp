// The options that need no card: the help and the version, printed by the
// program's entry without a port being opened.
#include <gtest/gtest.h>

#include "tests/support/processes.h"
#include "tests/support/work_dir.h"

TEST(EndToEnd, HelpAndVersionNeedNoCard) {
    WorkDir dir;
    for (const char* option : {"--help", "-h", "/?"}) {
        ProcessResult run = runProgram(UPDATER_BIN, dir.path(), {option});
        EXPECT_EQ(run.output.rfind("updater 2.20: updates the programmable parts", 0), 0u) << option;
        for (const char* part : {"Usage: updater PORT COMMAND [FILE]\n", "/dev/ttyS0", "  GAMMA FILE.csv ",
                                 "Genw7144.cde", "  130  interrupted"}) {
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
}
