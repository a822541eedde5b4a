// The simulated port and clock: reads advance the clock to the next byte or
// to the time-out, failures and keys come from the test's script.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "platform/sim/sim_port.h"
#include "platform/win32.h"
#include "tests/support/console_capture.h"
#include "tests/support/scripted_peer.h"
#include "tests/support/work_dir.h"

namespace {

constexpr sim::Nanos kMs = ScriptedPeer::kMs;

class SimPort : public ::testing::Test {
protected:
    void SetUp() override {
        simport::reset();
        simport::attach(&peer);
        simport::startClock(1000);
    }
    void TearDown() override { simport::reset(); }

    HANDLE open(const char* name = "\\\\.\\COM1") {
        return CreateFileA(name, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    }

    void setTimeouts(HANDLE port, DWORD interval, DWORD multiplier, DWORD constant) {
        COMMTIMEOUTS timeouts{interval, multiplier, constant, 0, 0};
        ASSERT_TRUE(SetCommTimeouts(port, &timeouts));
    }

    std::string read(HANDLE port, DWORD count) {
        char data[64] = {};
        DWORD got = 99;
        EXPECT_TRUE(ReadFile(port, data, count, &got, nullptr));
        return std::string(data, got);
    }

    ScriptedPeer peer;
};

TEST_F(SimPort, PollingReadWaitsForTheFirstByteOrItsConstant) {
    HANDLE port = open();
    setTimeouts(port, MAXDWORD, MAXDWORD, 1);

    EXPECT_EQ(read(port, 10), "");
    EXPECT_EQ(simport::now(), 1 * kMs);
    EXPECT_EQ(GetTickCount(), 1001u);

    peer.sendAt(5 * kMs, "AB", kMs);
    setTimeouts(port, MAXDWORD, MAXDWORD, 10);
    EXPECT_EQ(read(port, 10), "A");
    EXPECT_EQ(simport::now(), 5 * kMs);
    EXPECT_EQ(read(port, 10), "B");
    EXPECT_EQ(simport::now(), 6 * kMs);

    peer.sendAt(7 * kMs, "CDE", kMs);
    _sleep(10);
    EXPECT_EQ(read(port, 2), "CD");
    EXPECT_EQ(read(port, 2), "E");
    EXPECT_EQ(simport::now(), 16 * kMs);
}

TEST_F(SimPort, FullCountReadEndsAtTheLastByteOrTheTotalTimeout) {
    HANDLE port = open();
    peer.sendAt(2 * kMs, "XYZ", 3 * kMs);

    setTimeouts(port, 0, 0, 50);
    EXPECT_EQ(read(port, 3), "XYZ");
    EXPECT_EQ(simport::now(), 8 * kMs);

    peer.sendAt(10 * kMs, "PQ");
    EXPECT_EQ(read(port, 3), "PQ");
    EXPECT_EQ(simport::now(), 58 * kMs);

    setTimeouts(port, 0, 10, 5);  // 10 ms per byte and 5 ms more
    EXPECT_EQ(read(port, 2), "");
    EXPECT_EQ(simport::now(), 83 * kMs);
}

TEST_F(SimPort, IntervalTimeoutEndsAFullCountReadAfterAGap) {
    HANDLE port = open();
    peer.sendAt(4 * kMs, "AB", kMs);
    peer.sendAt(30 * kMs, "C");
    setTimeouts(port, 10, 0, 100);
    EXPECT_EQ(read(port, 3), "AB");
    EXPECT_EQ(simport::now(), 15 * kMs);
}

TEST_F(SimPort, ReadsWithoutTimeoutsEndOnASilentLine) {
    HANDLE port = open();
    EXPECT_EQ(read(port, 4), "");
    EXPECT_EQ(simport::now(), 60000 * kMs);

    setTimeouts(port, MAXDWORD, 0, 0);
    peer.sendAt(60001 * kMs, "A");
    EXPECT_EQ(read(port, 4), "");
    EXPECT_EQ(simport::now(), 60000 * kMs);
}

TEST_F(SimPort, TickCountWrapsAt32Bits) {
    simport::startClock(0xFFFFFFF0u);
    EXPECT_EQ(GetTickCount(), 0xFFFFFFF0u);
    _sleep(15);
    EXPECT_EQ(GetTickCount(), 0xFFFFFFFFu);
    _sleep(33);
    EXPECT_EQ(GetTickCount(), 0x20u);
    EXPECT_EQ(simport::now(), 48 * kMs);
}

TEST_F(SimPort, WritesReachThePeerAtTheCurrentTimeAndTakeNone) {
    peer.onWrite("?", "!", 3 * kMs);
    HANDLE port = open();
    setTimeouts(port, MAXDWORD, MAXDWORD, 20);
    _sleep(4);
    DWORD written = 0;
    ASSERT_TRUE(WriteFile(port, "ab?", 3, &written, nullptr));
    EXPECT_EQ(written, 3u);
    EXPECT_EQ(simport::now(), 4 * kMs);
    EXPECT_EQ(read(port, 1), "!");
    EXPECT_EQ(simport::now(), 7 * kMs);
    EXPECT_EQ(simport::written(), "ab?");
    EXPECT_EQ(peer.received(), "ab?");
}

TEST_F(SimPort, SettingsStartAtTheDefaultsAndEveryBitRateReachesThePeer) {
    HANDLE port = open();
    EXPECT_EQ(peer.hostBaud(), 9600u);
    DCB dcb{};
    ASSERT_TRUE(GetCommState(port, &dcb));
    EXPECT_EQ(dcb.BaudRate, 9600u);
    EXPECT_EQ(dcb.fRtsControl, static_cast<DWORD>(RTS_CONTROL_ENABLE));

    dcb.BaudRate = CBR_115200;
    dcb.fRtsControl = RTS_CONTROL_DISABLE;
    ASSERT_TRUE(SetCommState(port, &dcb));
    EXPECT_EQ(peer.hostBaud(), 115200u);
    EXPECT_EQ(simport::appliedSettings().fRtsControl, static_cast<DWORD>(RTS_CONTROL_DISABLE));
    EXPECT_EQ(simport::appliedSettings().XonLim, simport::portDefaults().XonLim);

    dcb.ByteSize = 9;
    EXPECT_FALSE(SetCommState(port, &dcb));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(simport::appliedSettings().ByteSize, 8);

    ASSERT_TRUE(CloseHandle(port));
    port = open();
    EXPECT_EQ(peer.hostBaud(), 9600u);
}

TEST_F(SimPort, OpensFailAsScriptedForMissingAndBusyPorts) {
    EXPECT_EQ(open("\\\\.\\COM3"), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
    simport::addPort("com3");
    HANDLE com3 = open("\\\\.\\COM3");
    ASSERT_NE(com3, INVALID_HANDLE_VALUE);

    simport::failOpens(ERROR_ACCESS_DENIED, 1);
    EXPECT_EQ(open(), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
    HANDLE com1 = open();
    ASSERT_NE(com1, INVALID_HANDLE_VALUE);
    EXPECT_EQ(open(), INVALID_HANDLE_VALUE);  // already open
    EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
    EXPECT_EQ(simport::opens(), 5);

    EXPECT_TRUE(CloseHandle(com1));
    EXPECT_FALSE(CloseHandle(com1));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
    EXPECT_TRUE(CloseHandle(com3));
}

TEST_F(SimPort, ReadFailuresComeWhenScriptedAndTheirErrorStays) {
    HANDLE port = open();
    setTimeouts(port, MAXDWORD, MAXDWORD, 1);
    simport::failReads(ERROR_GEN_FAILURE, 1, 2);
    char data[4];
    DWORD got = 7;
    EXPECT_TRUE(ReadFile(port, data, 4, &got, nullptr));
    EXPECT_FALSE(ReadFile(port, data, 4, &got, nullptr));
    EXPECT_EQ(got, 0u);
    EXPECT_EQ(GetLastError(), ERROR_GEN_FAILURE);
    EXPECT_FALSE(ReadFile(port, data, 4, &got, nullptr));
    EXPECT_TRUE(ReadFile(port, data, 4, &got, nullptr));
    EXPECT_EQ(GetLastError(), ERROR_GEN_FAILURE);
    EXPECT_EQ(simport::now(), 2 * kMs);
}

TEST_F(SimPort, KeysComeInOrderThenEndAtOnce) {
    simport::pressKeys("a\r");
    EXPECT_EQ(_getch(), 'a');
    EXPECT_EQ(_getch(), '\r');
    EXPECT_EQ(_getch(), EOF);
    ConsoleCapture capture;
    simport::pressKeys("x");
    EXPECT_EQ(system("PAUSE"), 0);
    EXPECT_EQ(system("PAUSE"), 0);
    EXPECT_EQ(capture.text(), "Press any key to continue . . . \nPress any key to continue . . . \n");
    EXPECT_EQ(simport::keyReads(), 5);
    EXPECT_EQ(simport::now(), 0u);
}

TEST_F(SimPort, OtherNamesAreFilesOfTheHostFileSystem) {
    WorkDir dir;
    dir.write("image.bin", std::string(70000, 'x'));
    HANDLE file = open("image.bin");
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    DWORD high = 9;
    EXPECT_EQ(GetFileSize(file, &high), 70000u);
    EXPECT_EQ(high, 0u);
    EXPECT_TRUE(CloseHandle(file));

    EXPECT_EQ(open("missing.bin"), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(GetFileAttributesA("missing.bin"), INVALID_FILE_ATTRIBUTES);
    EXPECT_NE(GetFileAttributesA("image.bin"), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(GetFileAttributesA(dir.path().c_str()), FILE_ATTRIBUTE_DIRECTORY);
}

TEST_F(SimPort, ResetClosesAndForgetsEverything) {
    simport::addPort("COM7");
    simport::pressKeys("k");
    HANDLE port = open("\\\\.\\COM7");
    DWORD written = 0;
    WriteFile(port, "z", 1, &written, nullptr);
    _sleep(5);

    simport::reset();
    EXPECT_EQ(simport::written(), "");
    EXPECT_EQ(simport::now(), 0u);
    EXPECT_EQ(simport::opens(), 0);
    EXPECT_EQ(GetLastError(), 0u);
    EXPECT_EQ(_getch(), EOF);
    EXPECT_FALSE(CloseHandle(port));
    EXPECT_EQ(open("\\\\.\\COM7"), INVALID_HANDLE_VALUE);
}

}  // namespace
