// The console side of the posix platform: keys from a pipe, PAUSE, and
// printed text reaching its destination before every wait.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <unistd.h>

#include "platform/win32.h"

namespace {

// Runs `body` with descriptor `replacement` in place of the standard one `target`.
template <class Body>
void redirected(int target, int replacement, Body body) {
    std::fflush(stdout);
    int saved = ::dup(target);
    ::dup2(replacement, target);
    body();
    std::fflush(stdout);
    ::dup2(saved, target);
    ::close(saved);
}

std::string contents(std::FILE* file) {
    char text[256] = {};
    ssize_t n = ::pread(::fileno(file), text, sizeof text, 0);
    return std::string(text, n > 0 ? static_cast<std::size_t>(n) : 0);
}

TEST(PosixConsole, KeysFromAPipePauseTakesOneAndEndOfInputComesAtOnce) {
    int ends[2];
    ASSERT_EQ(::pipe(ends), 0);
    ASSERT_EQ(::write(ends[1], "q\rxy", 4), 4);
    ::close(ends[1]);  // input that ends
    std::FILE* shown = std::tmpfile();
    ASSERT_NE(shown, nullptr);
    redirected(STDIN_FILENO, ends[0], [&] {
        redirected(STDOUT_FILENO, ::fileno(shown), [] {
            EXPECT_EQ(_getch(), 'q');
            EXPECT_EQ(_getch(), '\r');
            EXPECT_EQ(system("PAUSE"), 0);
            EXPECT_EQ(_getch(), 'y');
            EXPECT_EQ(system("pause"), 0);
            EXPECT_NE(system("DIR"), 0);
            EXPECT_EQ(_getch(), EOF);
        });
    });
    ::close(ends[0]);
    EXPECT_EQ(contents(shown), "Press any key to continue . . . \nPress any key to continue . . . \n");
    std::fclose(shown);
}

TEST(PosixConsole, TextWithoutLineEndShowsBeforeASleep) {
    std::FILE* shown = std::tmpfile();
    ASSERT_NE(shown, nullptr);
    redirected(STDOUT_FILENO, ::fileno(shown), [&] {
        std::fputs("Job at 12.00 %", stdout);
        ASSERT_EQ(contents(shown), "");  // a file is fully buffered
        DWORD before = GetTickCount();
        _sleep(3);
        EXPECT_EQ(contents(shown), "Job at 12.00 %");
        EXPECT_GE(GetTickCount() - before, 3u);
    });
    std::fclose(shown);
}

}  // namespace
