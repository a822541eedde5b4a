// An interrupted tool that never waits again is ended by the alarm, with its line.
#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

#include "platform/win32.h"

TEST(PosixInterrupt, ARunThatNeverWaitsIsEndedByTheAlarm) {
    int ends[2];
    ASSERT_EQ(::pipe(ends), 0);
    pid_t child = ::fork();
    if (child == 0) {
        ::dup2(ends[1], STDOUT_FILENO);
        watchInterrupts();
        setInterruptLine("Interrupted: the test's line.");
        std::fputs("ready\n", stdout);
        std::fflush(stdout);
        volatile unsigned spin = 0;
        for (;;) spin = spin + 1;
    }
    ::close(ends[1]);
    char first[6] = {};
    ASSERT_EQ(::read(ends[0], first, 6), 6);
    ::kill(child, SIGINT);
    std::string output;
    char chunk[4096];
    ssize_t n;
    while ((n = ::read(ends[0], chunk, sizeof chunk)) > 0) output.append(chunk, static_cast<std::size_t>(n));
    int status = 0;
    ::waitpid(child, &status, 0);
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGINT);
    EXPECT_EQ(output, "\nInterrupted: the test's line.\n");
}
