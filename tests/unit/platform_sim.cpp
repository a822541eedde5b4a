// The simulated platform: the platform contract on a scripted peer and the
// simulated clock. (Its clock's wrap, scripted failures and keys are
// exercised by the runs of the tool that use them.)
#include <gtest/gtest.h>

#include "platform/sim/sim_port.h"
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

private:
    ScriptedPeer peer_;
    sim::Nanos last_ = 0;
};

TEST(SimPlatform, PortContract) {
    SimFarEnd far;
    checkPortContract(far);
}

}  // namespace
