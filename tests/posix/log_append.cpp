// Runs that append to the same log at once: each line arrives whole, never
// mixed with another's, however long.
#include <gtest/gtest.h>

#include <fstream>
#include <set>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

#include "platform/run_log.h"
#include "tests/support/work_dir.h"

TEST(RunLog, LinesAppendedAtOnceNeverMix) {
    WorkDir dir;
    const std::string log = dir.path() + "/runs.log";
    constexpr int kWriters = 6;
    constexpr int kLinesEach = 30;
    auto lineOf = [](int writer) { return std::string(20000 + writer, static_cast<char>('a' + writer)) + "\n"; };
    for (int writer = 0; writer < kWriters; ++writer) {
        if (::fork() == 0) {
            std::string why;
            bool all = true;
            for (int i = 0; i < kLinesEach; ++i) all = appendLine(log.c_str(), lineOf(writer), why) && all;
            ::_exit(all ? 0 : 1);
        }
    }
    for (int writer = 0; writer < kWriters; ++writer) {
        int status = 0;
        ::wait(&status);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    std::set<std::string> expected;
    for (int writer = 0; writer < kWriters; ++writer) expected.insert(lineOf(writer));
    std::ifstream in(log);
    int lines = 0;
    for (std::string line; std::getline(in, line); ++lines) {
        EXPECT_EQ(expected.count(line + "\n"), 1u) << "line " << lines << " is mixed";
    }
    EXPECT_EQ(lines, kWriters * kLinesEach);
}
