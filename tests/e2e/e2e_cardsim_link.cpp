// cardsim as a newcomer meets it: sample files into a directory it makes,
// a second card refused on the link of a running one, a stale link replaced,
// a lock file planted as a symbolic link refused, and a byte sent while the
// card is busy shown lost in its trace.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <filesystem>
#include <termios.h>
#include <thread>
#include <unistd.h>

#include "tests/support/processes.h"
#include "tests/support/work_dir.h"

TEST(EndToEnd, CardsimLinksAndSamples) {
    WorkDir test;
    const std::string& dir = test.path();

    ProcessResult samples = runProgram(CARDSIM_BIN, dir, {"--make-samples", dir + "/new/files"});
    EXPECT_EQ(samples.status, 0);
    std::string listed;
    for (const char* name : {"FDriver.bin", "SFDriver.bin", "Device1.bin", "Device5.bin", "Device7.bin",
                             "uGen7144.cde", "Genm7144.cde", "Genw7144.cde", "appMain.mot", "fpga.xsvf", "EDID.bin",
                             "edid128.bin", "gamma.csv", "remote.txt"}) {
        listed += dir + "/new/files/" + name + "\n";
        EXPECT_TRUE(std::filesystem::exists(dir + "/new/files/" + name)) << name;
    }
    EXPECT_EQ(samples.output, listed);

    // A link left by a card that was killed points nowhere and is replaced.
    ASSERT_EQ(symlink("/dev/pts/no-such-terminal", (dir + "/card").c_str()), 0);
    {
        Cardsim first(dir, {});
        std::string terminal = "/dev/pts/no-such-terminal";
        for (int i = 0; i < 500 && terminal == "/dev/pts/no-such-terminal"; ++i) {
            usleep(10000);
            terminal = std::filesystem::read_symlink(first.link());
        }
        ASSERT_NE(terminal, "/dev/pts/no-such-terminal");

        ProcessResult second = runProgram(CARDSIM_BIN, dir, {"--link", first.link()});
        EXPECT_EQ(second.status, 1);
        EXPECT_EQ(std::filesystem::read_symlink(first.link()), terminal) << "the first card keeps its link";
        EXPECT_EQ(runProgram(UPDATER_BIN, dir, {first.link(), "STATUS"}, "q").status, 0) << "and still answers";
        EXPECT_EQ(first.stop(), 0);
    }
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::symlink_status(dir + "/card")));
    EXPECT_FALSE(std::filesystem::exists(dir + "/card.lock"));
}

// In a directory others write to, a symbolic link planted at PATH.lock,
// to a file or to where one would be made, or a hard link to a file:
// cardsim refuses before it writes through it or makes its own link.
TEST(EndToEnd, CardsimRefusesALockFileThatIsALink) {
    WorkDir test;
    const std::string& dir = test.path();
    test.write("victim", "not cardsim's\n");
    ASSERT_EQ(symlink((dir + "/victim").c_str(), (dir + "/card.lock").c_str()), 0);
    ASSERT_EQ(symlink((dir + "/made").c_str(), (dir + "/other.lock").c_str()), 0);
    auto errorsToOutput = [] { return dup2(STDOUT_FILENO, STDERR_FILENO) >= 0; };

    for (const std::string name : {"card", "other"}) {
        ProcessResult run = runProgram(CARDSIM_BIN, dir, {"--link", dir + "/" + name}, "", errorsToOutput);
        EXPECT_EQ(run.status, 1) << name;
        EXPECT_EQ(run.output, "cardsim: " + dir + "/" + name +
                                  ".lock: is a symbolic link, which cardsim does not follow: remove it or give "
                                  "another --link\n");
        EXPECT_FALSE(std::filesystem::exists(std::filesystem::symlink_status(dir + "/" + name))) << name;
    }
    ASSERT_EQ(link((dir + "/victim").c_str(), (dir + "/hard.lock").c_str()), 0);
    ProcessResult hard = runProgram(CARDSIM_BIN, dir, {"--link", dir + "/hard"}, "", errorsToOutput);
    EXPECT_EQ(hard.status, 1);
    EXPECT_EQ(hard.output, "cardsim: " + dir +
                               "/hard.lock: is not a file of its own (another name links to it), which cardsim "
                               "does not write: remove it or give another --link\n");
    EXPECT_EQ(test.read("victim"), "not cardsim's\n");
    EXPECT_FALSE(std::filesystem::exists(dir + "/made"));
}

// A host that sends EDID data at once after "#EDID 1", without the pause in
// which the card write-enables its memory: the card (paced, as by default)
// loses the byte and its trace says so.
TEST(EndToEnd, CardsimTracesAByteLostWhileTheCardIsBusy) {
    WorkDir test;
    Cardsim card(test.path(), {"--trace", "--model", "DVITOSDI"});
    int port = open(card.link().c_str(), O_RDWR | O_NOCTTY);
    ASSERT_GE(port, 0);
    termios mode{};
    tcgetattr(port, &mode);
    cfmakeraw(&mode);
    cfsetspeed(&mode, B115200);
    tcsetattr(port, TCSANOW, &mode);
    const char hasty[] = "#EDID 1\r\x01";
    ASSERT_EQ(write(port, hasty, sizeof hasty - 1), static_cast<ssize_t>(sizeof hasty - 1));
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    close(port);
    EXPECT_EQ(card.stop(), 0);
    std::string trace = test.read("cardsim.err");
    EXPECT_NE(trace.find("timing violation: a byte came while the card write-enables the EDID memory"),
              std::string::npos)
        << trace;
}
