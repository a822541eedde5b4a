// The micro command link against a scripted microcontroller: the answer among noise,
// the verdicts, the drain before the command and the bounded waits.
#include <gtest/gtest.h>

#include "link/micro_link.h"
#include "platform/sim/sim_port.h"
#include "tests/support/console_capture.h"
#include "tests/support/tool_run.h"
#include "tests/support/scripted_peer.h"

namespace {

constexpr sim::Nanos kMs = ScriptedPeer::kMs;
const std::string kCommand = "=MP\r";
const std::string kTimeout = "Timeout. Retry...SEndMicro\n";

class MicroExchange : public ::testing::Test {
protected:
    void TearDown() override { closeSimPort(); }

    ScriptedPeer peer_;
    ConsoleCapture console_;
};

// The command written once; the verdict, the console and the end (within 100 ms).
TEST_F(MicroExchange, VerdictFollowsTheAnswerFrameAndTheWaits) {
    const std::string sixWaits =
        kTimeout + kTimeout + kTimeout + kTimeout + kTimeout + "Unable to send command. Exit. SendMicro\n";
    // clang-format off
    const struct {
        const char* what;
        std::string answer;  // sent `delay` after the command; "" for none
        sim::Nanos delay;
        int result;
        std::string text;
        sim::Nanos endsAt;
        std::function<void(ScriptedPeer&)> more = nullptr;
    } cases[] = {
        {"plain", "=M*", 2 * kMs, 1, "", 0},
        {"after noise", "xy=M*", 2 * kMs, 1, "", 0},
        {"after a doubled escape", "==M*", 2 * kMs, 1, "", 0},
        {"after a false start", "=X=M*", 2 * kMs, 1, "", 0},
        {"split over reads", "=", 2 * kMs, 1, "", 0,
         [](ScriptedPeer& peer) { peer.sendAt(40 * kMs, "M"); peer.sendAt(90 * kMs, "*\r"); }},
        {"invalid command", "=M~", 2 * kMs, 0, "Invalid command from micro ...\n\n=MP\r\n", 0},
        {"invalid answer", "=MA", 2 * kMs, 0, "Invalid answer from micro ... A\n\n=MP\r\n", 0},
        {"stale refusal drained", "=M*", 2 * kMs, 1, "", 0,
         [](ScriptedPeer& peer) { peer.sendAt(0, "=M~"); _sleep(10); }},
        {"line never silent: the drain ends after 5 s", "=M*", 2 * kMs, 1, "", 5000 * kMs,
         [](ScriptedPeer& peer) { peer.sendAt(kMs / 2, std::string(7000, 'x'), kMs); }},
        {"silent: six waits", "", 0, 0, sixWaits, 60000 * kMs},
        {"late answer taken by the third wait", "=M*", 25000 * kMs, 1, kTimeout + kTimeout, 25000 * kMs},
        {"failed read ends the first wait at once", "=M*", 5000 * kMs, 1, kTimeout, 5000 * kMs,
         [](ScriptedPeer&) { simport::failReads(ERROR_GEN_FAILURE, 1, 1); }},  // after the drain's read
    };
    // clang-format on
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        peer_ = ScriptedPeer();
        ASSERT_TRUE(openSimPort(peer_));
        if (!c.answer.empty()) peer_.onWrite(kCommand, c.answer, c.delay);
        if (c.more) c.more(peer_);
        std::size_t from = console_.text().size();
        EXPECT_EQ(sendMicroCmd(reinterpret_cast<const unsigned char*>(kCommand.data()), 4), c.result);
        EXPECT_EQ(console_.text().substr(from), c.text);
        EXPECT_EQ(simport::written(), kCommand);
        EXPECT_GE(simport::now(), c.endsAt);
        EXPECT_LT(simport::now(), c.endsAt + 100 * kMs);
    }
}

// A status byte in the read in which the 10 s deadline passes counts, a later one not.
TEST_F(MicroExchange, StatusByteArrivingAsTheDeadlinePassesIsHonoured) {
    for (sim::Nanos at : {10001 * kMs, 10001 * kMs + 1}) {
        SCOPED_TRACE(at);
        peer_ = ScriptedPeer();
        ASSERT_TRUE(openSimPort(peer_));
        ASSERT_LT(simport::now(), kMs);
        peer_.sendAt(5000 * kMs, "=M");
        peer_.sendAt(at, "*");
        EXPECT_EQ(ReadMicroResponse(), at == 10001 * kMs ? 1 : 4);
        EXPECT_LT(simport::now(), 10010 * kMs);
    }
}

}  // namespace
