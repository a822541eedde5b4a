// The real tool interrupted on its own terminal, against cardsim --fast: it ends at
// once by the signal, with its recovery line, the terminal's mode put back.
#include <gtest/gtest.h>

#include <csignal>
#include <termios.h>

#include "tests/support/processes.h"

namespace {

struct Case {
    const char* what;
    std::vector<std::string> command;  // after the port
    std::string reached;               // printed when the interrupt comes
    int signal;                        // sent; 0: Ctrl-C typed at the terminal
    std::string line;
    std::string never;  // never printed after the interrupt
};

TEST(EndToEnd, InterruptedRunsEndWithTheirRecoveryLine) {
    // clang-format off
    const Case cases[] = {
        {"Ctrl-C while device 5 is erased", {"VIPER", "Device5.bin"}, "Erasing device...", 0,
         "Interrupted: device 5 may be partly written: run VIPER Device5.bin again.",
         "Begin Job... Data"},
        {"Ctrl-C at a key prompt", {"STATUS"}, "'Q' to quit ", 0, "Interrupted.", "Exit updater"},
        {"SIGTERM at a key prompt", {"STATUS"}, "'Q' to quit ", SIGTERM, "Interrupted.", "Exit updater"},
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        WorkDir dir;
        dir.writeSamples();
        Cardsim card(dir.path(), {"--fast"});
        std::vector<std::string> args{card.link()};
        args.insert(args.end(), c.command.begin(), c.command.end());

        TerminalRun run(dir.path(), args);
        unsigned long modes = run.localModes();
        ASSERT_TRUE(run.waitFor(c.reached));
        if (c.signal == 0) {
            run.type("\x03");
        } else {
            run.signal(c.signal);
        }
        ProcessResult result = run.finish();
        EXPECT_EQ(result.status, 128 + (c.signal == 0 ? SIGINT : c.signal));
        std::string after = result.output.substr(result.output.find(c.reached));
        EXPECT_NE(after.find("\r\n" + c.line + "\r\n"), std::string::npos) << after;
        EXPECT_EQ(after.find(c.never), std::string::npos) << after;
        EXPECT_EQ(run.localModes() & (ICANON | ECHO | ISIG), modes & (ICANON | ECHO | ISIG));
        EXPECT_EQ(card.stop(), 0);
    }
}

}  // namespace
