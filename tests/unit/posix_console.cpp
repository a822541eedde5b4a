// The console side of the posix platform: keys from a pipe, PAUSE, and
// printed text reaching its destination before every wait.
#include <gtest/gtest.h>

#include <cstdio>
#include <fcntl.h>
#include <string>
#include <unistd.h>

#include "platform/win32.h"

namespace {

// Puts a descriptor in place of a standard one for the life of the object.
class Redirect {
public:
    Redirect(int target, int replacement) : target_(target), saved_(::dup(target)) {
        ::dup2(replacement, target);
    }
    ~Redirect() {
        ::dup2(saved_, target_);
        ::close(saved_);
    }
    Redirect(const Redirect&) = delete;
    Redirect& operator=(const Redirect&) = delete;

private:
    int target_;
    int saved_;
};

// A pipe whose write end holds `text` and is closed: input that ends.
int endedInput(const std::string& text) {
    int ends[2];
    EXPECT_EQ(::pipe(ends), 0);
    EXPECT_EQ(::write(ends[1], text.data(), text.size()), static_cast<ssize_t>(text.size()));
    ::close(ends[1]);
    return ends[0];
}

std::string contents(int fd) {
    std::string text;
    char chunk[256];
    ssize_t n;
    off_t offset = 0;
    while ((n = ::pread(fd, chunk, sizeof chunk, offset)) > 0) {
        text.append(chunk, static_cast<std::size_t>(n));
        offset += n;
    }
    return text;
}

class PosixConsole : public ::testing::Test {
protected:
    void SetUp() override {
        char path[] = "/tmp/updater-console-XXXXXX";
        output = ::mkstemp(path);
        ASSERT_GE(output, 0);
        ::unlink(path);
        std::fflush(stdout);
    }
    void TearDown() override { ::close(output); }

    int output = -1;
};

TEST_F(PosixConsole, KeysFromAPipeThenEndOfInputAtOnce) {
    int input = endedInput("q\r");
    Redirect in(STDIN_FILENO, input);
    EXPECT_EQ(_getch(), 'q');
    EXPECT_EQ(_getch(), '\r');
    EXPECT_EQ(_getch(), EOF);
    ::close(input);
}

TEST_F(PosixConsole, PausePromptsAndTakesOneKey) {
    int input = endedInput("xy");
    {
        Redirect in(STDIN_FILENO, input);
        Redirect out(STDOUT_FILENO, output);
        EXPECT_EQ(system("PAUSE"), 0);
        EXPECT_EQ(_getch(), 'y');
        EXPECT_EQ(system("pause"), 0);
        EXPECT_NE(system("DIR"), 0);
        std::fflush(stdout);
    }
    ::close(input);
    EXPECT_EQ(contents(output), "Press any key to continue . . . \nPress any key to continue . . . \n");
}

TEST_F(PosixConsole, TextWithoutLineEndShowsBeforeASleep) {
    Redirect out(STDOUT_FILENO, output);
    std::fputs("Job at 12.00 %", stdout);
    ASSERT_EQ(contents(output), "");  // a file is fully buffered
    DWORD before = GetTickCount();
    _sleep(3);
    EXPECT_EQ(contents(output), "Job at 12.00 %");
    EXPECT_GE(GetTickCount() - before, 3u);
}

}  // namespace
