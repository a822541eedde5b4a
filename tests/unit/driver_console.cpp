// The elapsed-time lines: minutes and seconds without an hour field, right
// across the tick counter's wrap.
#include <gtest/gtest.h>

#include "platform/sim/sim_port.h"
#include "port/console.h"
#include "tests/support/console_capture.h"

TEST(PrintTime, MinutesAndSecondsAcrossTheWrap) {
    const struct {
        DWORD startTick;
        unsigned long elapsedMs;
        int all;
        const char* line;
    } cases[] = {
        {0, 999, 0, "\nTime : 0 minutes 0 seconds\n"},
        {0, 61000, 0, "\nTime : 1 minutes 1 seconds\n"},
        {0, 3599999, 1, "\nTotal Time : 59 minutes 59 seconds\n"},
        {0, 3600000, 1, "\nTotal Time : 60 minutes 0 seconds\n"},
        {0xFFFFFFFFu - 500, 61000, 1, "\nTotal Time : 1 minutes 1 seconds\n"},
    };
    for (const auto& c : cases) {
        simport::reset();
        simport::startClock(c.startTick);
        DWORD begin = GetTickCount();
        _sleep(c.elapsedMs);
        ConsoleCapture capture;
        printTime(begin, c.all);
        EXPECT_EQ(capture.text(), c.line);
    }
}
