// Reads and writes of the posix platform on a pseudo-terminal: the Win32
// time-out meaning with real (short) waits, raw bytes both ways, and a far
// end that goes away.
#include <cstdio>
#include <thread>

#include "tests/unit/posix_pty.h"

namespace {

using PosixPortIo = PtyTest;

TEST_F(PosixPortIo, PollingReadOnASilentLineWaitsItsMillisecond) {
    openAndSetTimeouts(MAXDWORD, MAXDWORD, 1);
    EXPECT_EQ(read(10), "");
    EXPECT_GE(elapsedMs, 1.0);
    EXPECT_LT(elapsedMs, 500.0);
}

TEST_F(PosixPortIo, PollingReadReturnsWhatHasArrivedAtOnce) {
    openAndSetTimeouts(MAXDWORD, MAXDWORD, 1);
    sendFromCard("abc");
    ASSERT_EQ(read(0), "");
    std::string got;
    for (int attempt = 0; attempt < 100 && got.size() < 3; ++attempt) got += read(10);
    EXPECT_EQ(got, "abc");
}

TEST_F(PosixPortIo, PollingReadEndsAtTheFirstByteNotAtItsTimeout) {
    openAndSetTimeouts(MAXDWORD, MAXDWORD, 5000);
    std::thread card([this] {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        sendFromCard("Z");
    });
    EXPECT_EQ(read(10), "Z");
    card.join();
    EXPECT_GE(elapsedMs, 10.0);
    EXPECT_LT(elapsedMs, 2500.0);
}

TEST_F(PosixPortIo, FullCountReadWaitsItsTotalForMissingBytes) {
    openAndSetTimeouts(0, 0, 30);
    sendFromCard("xy");
    EXPECT_EQ(read(5), "xy");
    EXPECT_GE(elapsedMs, 30.0);

    sendFromCard("12345678");
    EXPECT_EQ(read(5), "12345");
    EXPECT_EQ(read(3), "678");
}

TEST_F(PosixPortIo, IntervalTimeoutEndsAReadAfterAGap) {
    openAndSetTimeouts(5, 0, 5000);
    sendFromCard("ab");
    EXPECT_EQ(read(10), "ab");
    EXPECT_LT(elapsedMs, 2500.0);
}

TEST_F(PosixPortIo, BytesPassUntranslatedBothWays) {
    openAndSetTimeouts(0, 0, 200);
    const std::string control("\r\n\x03\x04\x11\x13\x7f\xff\x00", 9);
    sendFromCard(control);
    EXPECT_EQ(read(9), control);

    DWORD written = 0;
    ASSERT_TRUE(WriteFile(port, control.data(), 9, &written, nullptr));
    EXPECT_EQ(written, 9u);
    char out[16] = {};
    std::size_t got = 0;
    for (int attempt = 0; attempt < 100 && got < 9; ++attempt) {
        ssize_t n = ::read(master, out + got, sizeof out - got);
        if (n > 0) got += static_cast<std::size_t>(n);
    }
    EXPECT_EQ(std::string(out, got), control);
}

TEST_F(PosixPortIo, ReadFailsWhenTheFarEndGoesAway) {
    openAndSetTimeouts(0, 0, 2000);
    ::close(master);
    master = -1;
    EXPECT_EQ(read(4, FALSE), "");
    EXPECT_NE(GetLastError(), 0u);
    EXPECT_LT(elapsedMs, 1000.0);
}

TEST_F(PosixPortIo, PrintedTextShowsBeforeAReadWaits) {
    openAndSetTimeouts(MAXDWORD, MAXDWORD, 1);
    std::FILE* shown = std::tmpfile();
    ASSERT_NE(shown, nullptr);
    std::fflush(stdout);
    int saved = ::dup(STDOUT_FILENO);
    ::dup2(::fileno(shown), STDOUT_FILENO);
    std::fputs("\rJob at 50.00 %", stdout);
    read(1);
    ::dup2(saved, STDOUT_FILENO);
    ::close(saved);
    char text[32] = {};
    EXPECT_EQ(::pread(::fileno(shown), text, sizeof text - 1, 0), 15);
    EXPECT_STREQ(text, "\rJob at 50.00 %");
    std::fclose(shown);
}

TEST_F(PosixPortIo, CallsOnHandlesNotOpenFailWithError6) {
    char data[4];
    DWORD got = 0;
    int notAHandle = 0;
    EXPECT_FALSE(ReadFile(&notAHandle, data, 4, &got, nullptr));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
    EXPECT_FALSE(CloseHandle(&notAHandle));
}

}  // namespace
