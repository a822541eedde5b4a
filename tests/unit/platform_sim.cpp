// The simulated platform: the platform contract on a scripted peer and the
// simulated clock, and what only the simulation has (the clock's wrap,
// scripted failures and keys, reset).
#include <gtest/gtest.h>

#include <memory>

#include "platform/sim/sim_port.h"
#include "tests/support/console_capture.h"
#include "tests/support/platform_contract.h"
#include "tests/support/scripted_peer.h"

namespace {

constexpr sim::Nanos kMs = ScriptedPeer::kMs;

class SimFarEnd : public FarEnd {
public:
    SimFarEnd() {
        simport::reset();
        simport::attach(&peer_);
        simport::startClock(1000);
    }
    std::string portName() const override { return "\\\\.\\COM1"; }
    std::string missingPortName() const override { return "\\\\.\\COM3"; }
    void send(const std::string& bytes, int afterMs) override {
        last_ = std::max(last_, simport::now() + static_cast<sim::Nanos>(afterMs) * kMs);
        peer_.sendAt(simport::now() + static_cast<sim::Nanos>(afterMs) * kMs, bytes);
    }
    void settle() override {
        if (last_ > simport::now()) _sleep(static_cast<unsigned long>((last_ - simport::now()) / kMs + 1));
    }
    std::string received() override { return peer_.received(); }
    double nowMs() override { return static_cast<double>(simport::now()) / kMs; }
    double slackMs() const override { return 0; }
    bool simulated() const override { return true; }

private:
    ScriptedPeer peer_;
    sim::Nanos last_ = 0;
};

TEST(SimPlatform, OpeningAndFiles) { SimFarEnd far; checkOpeningAndFiles(far); }
TEST(SimPlatform, Settings) { SimFarEnd far; checkSettings(far); }
TEST(SimPlatform, ReadsAndWrites) { SimFarEnd far; checkReadsAndWrites(far); }

TEST(SimPlatform, ClockFailuresKeysAndReset) {
    auto peer = std::make_unique<ScriptedPeer>();
    simport::reset();
    simport::attach(peer.get());
    simport::startClock(0xFFFFFFF0u);
    _sleep(15);
    EXPECT_EQ(GetTickCount(), 0xFFFFFFFFu);
    _sleep(33);
    EXPECT_EQ(GetTickCount(), 0x20u) << "the tick count wraps at 32 bits";

    HANDLE port = CreateFileA("\\\\.\\com1", GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    EXPECT_EQ(peer->hostBaud(), 9600u) << "the port's default, heard at the open";
    COMMTIMEOUTS polling{MAXDWORD, MAXDWORD, 1, 0, 0};
    ASSERT_TRUE(SetCommTimeouts(port, &polling));
    simport::failReads(ERROR_GEN_FAILURE, 1, 2);
    char data[4];
    DWORD got = 7;
    for (BOOL expected : {TRUE, FALSE, FALSE, TRUE}) EXPECT_EQ(ReadFile(port, data, 4, &got, nullptr), expected);
    EXPECT_EQ(GetLastError(), ERROR_GEN_FAILURE) << "a failure's error stays";
    EXPECT_EQ(simport::now(), 50 * kMs) << "failing reads take no time";

    simport::pressKeys("a\r");
    EXPECT_EQ(_getch(), 'a');
    ConsoleCapture capture;
    EXPECT_EQ(system("PAUSE"), 0);
    EXPECT_EQ(system("pause"), 0);
    EXPECT_NE(system("DIR"), 0);
    EXPECT_EQ(_getch(), EOF);
    EXPECT_EQ(capture.text(), "Press any key to continue . . . \nPress any key to continue . . . \n");
    EXPECT_EQ(simport::keyReads(), 4);

    simport::reset();
    EXPECT_EQ(std::make_tuple(simport::written(), simport::now(), simport::opens(), GetLastError()),
              std::make_tuple(std::string(), sim::Nanos{0}, 0, DWORD{0}));
    EXPECT_FALSE(CloseHandle(port)) << "reset closes what was left open";
}

}  // namespace
