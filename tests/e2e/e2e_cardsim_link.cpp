// cardsim as a newcomer meets it: sample files into a directory it makes,
// a second card refused on the link of a running one, a stale link replaced.
#include <gtest/gtest.h>

#include <filesystem>
#include <unistd.h>

#include "sim/samples/sample_files.h"
#include "tests/e2e/processes.h"

TEST(EndToEnd, CardsimLinksAndSamples) {
    TestDir test;
    const std::string& dir = test.path;

    ProcessResult samples = runProgram(CARDSIM_BIN, dir, {"--make-samples", dir + "/new/files"});
    EXPECT_EQ(samples.status, 0);
    std::string listed;
    for (const std::string& name : sim::sampleFileNames()) {
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
