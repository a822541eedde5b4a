// REMOTE against the card model: each kind of line, the wire, the counts, the card's
// log, and the waits when it does not answer.
#include "tests/support/card_run.h"
#include "tests/support/scripted_peer.h"

namespace {

const std::string kOpeningLine = "\n->Remote Function...Now executing the function in the remote.txt file...\n";
const std::string kAck = "\nACK received...\n";
const std::string kNack = "\nNACK received...\n";

std::string summary(int ack, int nack, int function) {
    return "\n->ACK : " + std::to_string(ack) + " / " + std::to_string(function) +
           "  \n->NACK : " + std::to_string(nack) + " / " + std::to_string(function) + "  \nEnd of remote.txt";
}

TEST(RemoteOnCard, EachKindOfLine) {
    const std::string longCommand = "#PATTERN 1" + std::string(290, ' ');
    // clang-format off
    const struct {
        const char* what;
        std::string script;
        std::string console;  // between the opening line and the exit
        std::string sent;
        std::string log;      // the card's log after the opening's two commands
        int status;
        double seconds;       // at least, beyond the identification
        bool gone = false;    // the card answers nothing after the identification
    } cases[] = {
        {"a command, a sleep, a message", "#OSD ON\n&500\n@done\n", kAck + "\ndone\n" + summary(1, 0, 1),
         "\r#OSD ON\r", "#OSD ON\t#ACK\n", 0, 0.530},
        {"line ends of either kind", "#SAVE\r\n#OSD OFF\r\n", kAck + kAck + summary(2, 0, 2), "\r#SAVE\r\r#OSD OFF\r",
         "#SAVE\t#ACK\n#OSD OFF\t#ACK\n", 0, 0.060},
        {"a refused command", "#OSD BLUE\n", kNack + summary(0, 1, 1), "\r#OSD BLUE\r", "#OSD BLUE\t#NACK\n", 1, 0.030},
        {"ignored lines", " #OSD ON\n\nx\n", summary(0, 0, 0), "", "", 0, 0.0},
        {"a sleep without a number repeats the last", "&300\n&\n& x\n", summary(0, 0, 0), "", "", 0, 0.900},
        {"a negative sleep is not taken", "&200\n&-5\n", summary(0, 0, 0), "", "", 0, 0.400},
        {"a key wait", "$\n", "Press a key to continue!\r" + std::string(53, ' ') + summary(0, 0, 0), "", "", 0, 0.0},
        // The card keeps 64 characters of a command and refuses a longer one.
        {"a line over 253 characters goes on as the next line", longCommand + "\n", kNack + summary(0, 1, 1),
         "\r" + longCommand.substr(0, 253) + "\r", "#PATTERN 1" + std::string(55, ' ') + "\t#NACK\n", 1, 0.030},
        // Each command costs the 1 s wait for the echo, the 4 s wait for the reply and the 30 ms of pauses.
        {"a card that never answers", "#OSD ON\n#SAVE\n", kNack + kNack + summary(0, 0, 0), "\r", "", 1,
         2 * 5.030, true},
    };
    // clang-format on
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        WorkDir dir;
        dir.write("script.txt", c.script);
        sim::Card plain{sim::CardOptions{}};
        double opening = runOnCard(plain, {"COM1", "REMOTE", "none.txt"}).seconds;
        sim::Card card{
            cardOptions("SDITOHDMI", [&](auto& o) { o.vanishAfter = c.gone ? kOpening.size() + 1 : 0; })};
        CardRun run = runOnCard(card, {"COM1", "REMOTE", "script.txt"}, "k");
        EXPECT_EQ(run.console, kOpeningLine + c.console + kExit);
        EXPECT_EQ(run.sent, c.sent);
        EXPECT_EQ(card.content().textLog(),
                  "#DEVERSION\t#DEVERSION 1 V2.05\n#DEVTYPE\t#DEVTYPE SDITOHDMI\n" + c.log);
        EXPECT_EQ(run.status, c.status);
        EXPECT_GE(run.seconds - opening, c.seconds);
        EXPECT_LT(run.seconds - opening, c.seconds + 0.05);
    }
}

// In "##ACK" the byte after the first '#' is dropped: no acknowledgement is seen.
TEST(RemoteOnScriptedCard, AHashAfterAHashIsNoAcknowledgement) {
    WorkDir dir;
    dir.write("script.txt", "#OSD ON\n");
    ScriptedPeer peer;
    answerOpening(peer);
    peer.onWrite("\r", ">");
    peer.onWrite("#OSD ON\r", "##ACK\r", ScriptedPeer::kMs);
    CardRun run = runOnCard(peer, {"COM1", "REMOTE", "script.txt"});
    EXPECT_NE(run.output.find(kNack + summary(0, 0, 1) + kExit), std::string::npos) << run.output;
    EXPECT_EQ(run.status, 1);
}

}  // namespace
