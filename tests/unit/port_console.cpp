// The elapsed-time line counts minutes without an hour field. (Its short
// forms, and a run across the tick counter's wrap, are in the VIPER runs.)
#include <gtest/gtest.h>

#include "platform/sim/sim_port.h"
#include "port/console.h"
#include "tests/support/console_capture.h"

TEST(PrintTime, AnHourIsSixtyMinutes) {
    simport::reset();
    simport::startClock(0xFFFFFFFFu - 500);
    DWORD begin = GetTickCount();
    _sleep(3600000);
    ConsoleCapture capture;
    printTime(begin, 1);
    EXPECT_EQ(capture.text(), "\nTotal Time : 60 minutes 0 seconds\n");
}
