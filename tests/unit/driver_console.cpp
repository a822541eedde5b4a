// Console utilities: upper-casing of command-line words, the operator's
// sentence for a failed port open, and the elapsed-time lines.
#include <gtest/gtest.h>

#include "port/console.h"
#include "platform/sim/sim_port.h"
#include "tests/support/console_capture.h"

TEST(CaseSensitive, UpperCasesLettersOnly) {
    char out[100];
    caseSensitive("com1", out);
    EXPECT_STREQ(out, "COM1");
    caseSensitive("", out);
    EXPECT_STREQ(out, "");
    caseSensitive("gamma 9-x.Y_z!", out);
    EXPECT_STREQ(out, "GAMMA 9-X.Y_Z!");
}

TEST(ErrorCheck, NamesTheReasonOfAFailedOpen) {
    simport::reset();
    char error[256];
    const struct {
        DWORD code;
        const char* text;
    } cases[] = {{2, "The COM port selected don't exist!"},
                 {5, "The COM port selected is already open by an other program!"},
                 {3, ""},
                 {123, ""}};
    for (const auto& c : cases) {
        simport::failOpens(c.code, 1);
        ASSERT_EQ(CreateFileA("\\\\.\\COM1", GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                              OPEN_EXISTING, 0, nullptr),
                  INVALID_HANDLE_VALUE);
        errorCheck(error);
        EXPECT_STREQ(error, c.text) << "last error " << c.code;
    }
}

namespace {

std::string timeLine(DWORD startTick, unsigned long elapsedMs, int all) {
    simport::reset();
    simport::startClock(startTick);
    DWORD begin = GetTickCount();
    _sleep(elapsedMs);
    ConsoleCapture capture;
    printTime(begin, all);
    return capture.text();
}

}  // namespace

TEST(PrintTime, MinutesAndSecondsWithoutAnHourField) {
    EXPECT_EQ(timeLine(0, 999, 0), "\nTime : 0 minutes 0 seconds\n");
    EXPECT_EQ(timeLine(0, 61000, 0), "\nTime : 1 minutes 1 seconds\n");
    EXPECT_EQ(timeLine(0, 3599999, 1), "\nTotal Time : 59 minutes 59 seconds\n");
    EXPECT_EQ(timeLine(0, 3600000, 1), "\nTotal Time : 60 minutes 0 seconds\n");
}

TEST(PrintTime, RightAcrossTheTickCounterWrap) {
    EXPECT_EQ(timeLine(0xFFFFFFFFu - 500, 61000, 1), "\nTotal Time : 1 minutes 1 seconds\n");
}

TEST(TickPassed, ComparesByDifferenceAcrossTheWrap) {
    simport::reset();
    simport::startClock(0xFFFFFF00u);
    DWORD deadline = GetTickCount() + 1000;  // wraps past zero
    EXPECT_FALSE(tickPassed(deadline));
    _sleep(1000);
    EXPECT_FALSE(tickPassed(deadline));  // reached, not passed
    _sleep(1);
    EXPECT_TRUE(tickPassed(deadline));
}
