// The micro command link against a scripted microcontroller on the simulated
// port and clock: the answer frame among noise, the verdicts, the drain
// before the command and the bounded waits.
#include <gtest/gtest.h>

#include <string>

#include "link/micro_link.h"
#include "platform/sim/sim_port.h"
#include "tests/support/console_capture.h"
#include "tests/support/open_sim_port.h"
#include "tests/support/scripted_peer.h"

namespace {

constexpr sim::Nanos kMs = ScriptedPeer::kMs;
const std::string kCommand = "=MP\r";

class MicroExchange : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(openSimPort(peer_)); }
    void TearDown() override { closeSimPort(); }

    int send() {
        return sendMicroCmd(reinterpret_cast<const unsigned char*>(kCommand.data()), 4);
    }

    ScriptedPeer peer_;
    ConsoleCapture console_;
};

TEST_F(MicroExchange, AcceptanceIsFoundAfterNoiseAndFalseStarts) {
    for (const std::string answer : {"=M*", "xy=M*", "==M*", "=X=M*"}) {
        SCOPED_TRACE(answer);
        closeSimPort();
        ScriptedPeer peer;
        ASSERT_TRUE(openSimPort(peer));
        peer.onWrite(kCommand, answer, 3 * kMs);
        EXPECT_EQ(send(), 1);
        EXPECT_EQ(simport::written(), kCommand);
    }
    EXPECT_EQ(console_.text(), "");
}

TEST_F(MicroExchange, FrameSplitOverReadsIsRecognised) {
    peer_.onWrite(kCommand, "=", 2 * kMs);
    peer_.sendAt(40 * kMs, "M");
    peer_.sendAt(90 * kMs, "*\r");
    EXPECT_EQ(send(), 1);
}

TEST_F(MicroExchange, RefusingStatusBytePrintsItsLineThenTheCommand) {
    const struct {
        std::string answer;
        std::string text;
    } cases[] = {{"=M~", "Invalid command from micro ...\n\n=MP\r\n"},
                 {"=MA", "Invalid answer from micro ... A\n\n=MP\r\n"}};
    for (const auto& c : cases) {
        ScriptedPeer peer;
        ASSERT_TRUE(openSimPort(peer));
        std::size_t from = console_.text().size();
        peer.onWrite(kCommand, c.answer, 2 * kMs);
        EXPECT_EQ(send(), 0);
        EXPECT_EQ(console_.text().substr(from), c.text);
    }
}

// The wait's deadline is 10000 ms after its start (tick 0 here) and has
// passed once tick 10001 begins. A status byte that arrives in that very
// read still counts; one that would come in a later read never does.
TEST_F(MicroExchange, StatusByteArrivingAsTheDeadlinePassesIsHonoured) {
    for (sim::Nanos at : {10001 * kMs, 10001 * kMs + 1}) {
        SCOPED_TRACE(at);
        ScriptedPeer peer;
        ASSERT_TRUE(openSimPort(peer));
        ASSERT_LT(simport::now(), kMs);
        peer.sendAt(5000 * kMs, "=M");
        peer.sendAt(at, "*");
        EXPECT_EQ(ReadMicroResponse(), at == 10001 * kMs ? 1 : 4);
        EXPECT_LT(simport::now(), 10010 * kMs);
    }
}

TEST_F(MicroExchange, StaleBytesAreDrainedBeforeTheCommand) {
    peer_.sendAt(0, "=M~");
    peer_.onWrite(kCommand, "=M*", 2 * kMs);
    simport::startClock(0x1000);
    _sleep(10);
    EXPECT_EQ(send(), 1);
    EXPECT_EQ(console_.text(), "");
}

TEST_F(MicroExchange, LineThatNeverFallsSilentEndsTheDrainAfterFiveSeconds) {
    peer_.sendAt(kMs / 2, std::string(7000, 'x'), kMs);
    peer_.onWrite(kCommand, "=M*", 2 * kMs);
    EXPECT_EQ(send(), 1);
    EXPECT_EQ(simport::written(), kCommand);
    EXPECT_GE(simport::now(), 5000 * kMs);
    EXPECT_LT(simport::now(), 5100 * kMs);
}

TEST_F(MicroExchange, SilentMicrocontrollerCostsSixWaitsAndOneWrite) {
    EXPECT_EQ(send(), 0);
    std::string retries;
    for (int i = 0; i < 5; ++i) retries += "Timeout. Retry...SEndMicro\n";
    EXPECT_EQ(console_.text(), retries + "Unable to send command. Exit. SendMicro\n");
    EXPECT_EQ(simport::written(), kCommand);
    EXPECT_GE(simport::now(), 60000 * kMs);
    EXPECT_LT(simport::now(), 60100 * kMs);
}

TEST_F(MicroExchange, LateAnswerIsTakenByTheNextWait) {
    peer_.onWrite(kCommand, "=M*", 25 * 1000 * kMs);
    EXPECT_EQ(send(), 1);
    EXPECT_EQ(console_.text(), "Timeout. Retry...SEndMicro\nTimeout. Retry...SEndMicro\n");
}

TEST_F(MicroExchange, FailedReadCountsAsATimeout) {
    peer_.onWrite(kCommand, "=M*", 5 * 1000 * kMs);
    simport::failReads(ERROR_GEN_FAILURE, 1, 1);  // after the drain's read: the first wait's
    EXPECT_EQ(send(), 1);
    EXPECT_EQ(console_.text(), "Timeout. Retry...SEndMicro\n");
    EXPECT_LT(simport::now(), 10000 * kMs) << "the failed read ended the first wait at once";
}

}  // namespace
