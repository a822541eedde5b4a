// The simulated port and clock: reads advance the clock to the next byte or
// to the time-out, failures and keys come from the test's script.
#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "platform/sim/sim_port.h"
#include "platform/win32.h"
#include "tests/support/console_capture.h"
#include "tests/support/scripted_peer.h"
#include "tests/support/work_dir.h"

namespace {

constexpr sim::Nanos kMs = ScriptedPeer::kMs;
constexpr DWORD kAll = MAXDWORD;

class SimPort : public ::testing::Test {
protected:
    void SetUp() override { start(); }
    void TearDown() override { simport::reset(); }

    void start() {
        simport::reset();
        peer = std::make_unique<ScriptedPeer>();
        simport::attach(peer.get());
        simport::startClock(1000);
    }
    HANDLE open(const char* name = "\\\\.\\COM1") {
        return CreateFileA(name, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    }
    HANDLE openWith(DWORD interval, DWORD multiplier, DWORD constant) {
        HANDLE port = open();
        COMMTIMEOUTS timeouts{interval, multiplier, constant, 0, 0};
        EXPECT_TRUE(SetCommTimeouts(port, &timeouts));
        return port;
    }
    std::string read(HANDLE port, DWORD count) {
        char data[64] = {};
        DWORD got = 99;
        EXPECT_TRUE(ReadFile(port, data, count, &got, nullptr));
        return std::string(data, got);
    }

    std::unique_ptr<ScriptedPeer> peer;
};

struct ReadCase {
    const char* what;
    DWORD interval, multiplier, constant;
    std::vector<std::pair<sim::Nanos, std::string>> arrivals;  // 1 ms apart from their time
    DWORD sleepMs;                                             // before the reads
    std::vector<std::pair<DWORD, std::string>> reads;          // count, bytes returned
    sim::Nanos endsAt;
};

TEST_F(SimPort, ReadsEndAtTheirByteOrTheirTimeout) {
    const ReadCase cases[] = {
        {"polling, silent: its constant", kAll, kAll, 1, {}, 0, {{10, ""}}, 1 * kMs},
        {"polling: the first byte", kAll, kAll, 10, {{5 * kMs, "AB"}}, 0, {{10, "A"}, {10, "B"}}, 6 * kMs},
        {"polling, bytes waiting: at once", kAll, kAll, 10, {{7 * kMs, "CDE"}}, 10, {{2, "CD"}, {2, "E"}}, 10 * kMs},
        {"full count: the last byte", 0, 0, 50, {{2 * kMs, "XYZ"}}, 0, {{3, "XYZ"}}, 4 * kMs},
        {"full count short: the total", 0, 0, 50, {{10 * kMs, "PQ"}}, 0, {{3, "PQ"}}, 50 * kMs},
        {"per byte and constant", 0, 10, 5, {}, 0, {{2, ""}}, 25 * kMs},
        {"interval after a gap", 10, 0, 100, {{4 * kMs, "AB"}, {30 * kMs, "C"}}, 0, {{3, "AB"}}, 15 * kMs},
        {"no time-outs: 60 s at most", 0, 0, 0, {}, 0, {{4, ""}}, 60000 * kMs},
        {"immediate", kAll, 0, 0, {{1 * kMs, "A"}}, 0, {{4, ""}}, 0},
    };
    for (const ReadCase& c : cases) {
        SCOPED_TRACE(c.what);
        start();
        for (auto& [at, bytes] : c.arrivals) peer->sendAt(at, bytes, kMs);
        HANDLE port = openWith(c.interval, c.multiplier, c.constant);
        _sleep(c.sleepMs);
        for (auto& [count, bytes] : c.reads) EXPECT_EQ(read(port, count), bytes);
        EXPECT_EQ(simport::now(), c.endsAt);
        EXPECT_EQ(GetTickCount(), 1000 + c.endsAt / kMs);
    }
}

TEST_F(SimPort, TickCountWrapsAt32Bits) {
    simport::startClock(0xFFFFFFF0u);
    _sleep(15);
    EXPECT_EQ(GetTickCount(), 0xFFFFFFFFu);
    _sleep(33);
    EXPECT_EQ(GetTickCount(), 0x20u);
    EXPECT_EQ(simport::now(), 48 * kMs);
}

TEST_F(SimPort, WritesReachThePeerAtTheCurrentTimeAndTakeNone) {
    peer->onWrite("?", "!", 3 * kMs);
    HANDLE port = openWith(kAll, kAll, 20);
    _sleep(4);
    DWORD written = 0;
    ASSERT_TRUE(WriteFile(port, "ab?", 3, &written, nullptr));
    EXPECT_EQ(written, 3u);
    EXPECT_EQ(simport::now(), 4 * kMs);
    EXPECT_EQ(read(port, 1), "!");
    EXPECT_EQ(simport::now(), 7 * kMs);
    EXPECT_EQ(simport::written(), "ab?");
    EXPECT_EQ(peer->received(), "ab?");
}

TEST_F(SimPort, SettingsStartAtTheDefaultsAndEveryBitRateReachesThePeer) {
    HANDLE port = open();
    DCB dcb{};
    ASSERT_TRUE(GetCommState(port, &dcb));
    EXPECT_EQ(std::make_tuple(dcb.BaudRate, peer->hostBaud(), DWORD{dcb.fRtsControl}),
              std::make_tuple(9600u, 9600u, DWORD{RTS_CONTROL_ENABLE}));
    dcb.BaudRate = CBR_115200;
    dcb.fRtsControl = RTS_CONTROL_DISABLE;
    ASSERT_TRUE(SetCommState(port, &dcb));
    EXPECT_EQ(peer->hostBaud(), 115200u);
    EXPECT_EQ(simport::appliedSettings().fRtsControl, static_cast<DWORD>(RTS_CONTROL_DISABLE));
    EXPECT_EQ(simport::appliedSettings().XonLim, simport::portDefaults().XonLim);
    dcb.ByteSize = 9;
    EXPECT_FALSE(SetCommState(port, &dcb));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(simport::appliedSettings().ByteSize, 8);
    ASSERT_TRUE(CloseHandle(port));
    open();
    EXPECT_EQ(peer->hostBaud(), 9600u);
}

TEST_F(SimPort, OpensFailAsScriptedForMissingAndBusyPortsAndMissingFiles) {
    WorkDir dir;
    dir.write("image.bin", std::string(70000, 'x'));
    simport::failOpens(ERROR_ACCESS_DENIED, 1);
    EXPECT_EQ(open(), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
    HANDLE com1 = open();
    ASSERT_NE(com1, INVALID_HANDLE_VALUE);
    EXPECT_EQ(open(), INVALID_HANDLE_VALUE);  // already open
    EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
    for (const char* missing : {"\\\\.\\COM3", "missing.bin"}) {
        EXPECT_EQ(open(missing), INVALID_HANDLE_VALUE);
        EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND) << missing;
    }
    EXPECT_EQ(simport::opens(), 4);  // files are not ports
    simport::addPort("com3");
    HANDLE com3 = open("\\\\.\\COM3"), file = open("image.bin");
    ASSERT_NE(com3, INVALID_HANDLE_VALUE);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    DWORD high = 9;
    EXPECT_EQ(GetFileSize(file, &high), 70000u);
    EXPECT_EQ(high, 0u);
    EXPECT_EQ(GetFileAttributesA("missing.bin"), INVALID_FILE_ATTRIBUTES);
    EXPECT_NE(GetFileAttributesA("image.bin"), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(GetFileAttributesA(dir.path().c_str()), FILE_ATTRIBUTE_DIRECTORY);
    for (HANDLE handle : {com1, com3, file}) EXPECT_TRUE(CloseHandle(handle));
    EXPECT_FALSE(CloseHandle(com1));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
}

TEST_F(SimPort, ReadFailuresComeWhenScriptedAndTheirErrorStays) {
    HANDLE port = openWith(kAll, kAll, 1);
    simport::failReads(ERROR_GEN_FAILURE, 1, 2);
    char data[4];
    DWORD got = 7;
    for (BOOL expected : {TRUE, FALSE, FALSE, TRUE}) EXPECT_EQ(ReadFile(port, data, 4, &got, nullptr), expected);
    EXPECT_EQ(got, 0u);
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

TEST_F(SimPort, ResetClosesAndForgetsEverything) {
    simport::addPort("COM7");
    simport::pressKeys("k");
    HANDLE port = open("\\\\.\\COM7");
    WriteFile(port, "z", 1, nullptr, nullptr);
    _sleep(5);
    simport::reset();
    EXPECT_EQ(std::make_tuple(simport::written(), simport::now(), simport::opens(), GetLastError(), _getch()),
              std::make_tuple(std::string(), sim::Nanos{0}, 0, DWORD{0}, EOF));
    EXPECT_FALSE(CloseHandle(port));
    EXPECT_EQ(open("\\\\.\\COM7"), INVALID_HANDLE_VALUE);
}

}  // namespace
