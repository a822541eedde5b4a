// The card's restart and its adapter pulled out, through cardsim and the real
// tool. Unplugged during identification and back 1.5 s later: the port is
// gone (the link removed), then found again on the new terminal the link
// points at, and the EDID is written. Restarted as it acknowledges the
// release of its video processor for the driver: it comes back with the
// video processor running its own firmware, which refuses the driver, and
// the run fails with its recovery line. Unplugged for good in the driver's
// download: the port fails and so does the run. The card is cardsim --fast.
#include <gtest/gtest.h>

#include "tests/support/processes.h"
#include "tests/support/work_dir.h"

namespace {

struct Case {
    const char* what;
    std::vector<std::string> faults;   // cardsim's options
    std::vector<std::string> command;  // after the port
    int status;
    std::string printed;
};

TEST(EndToEnd, ACardRestartedOrUnpluggedMidRun) {
    const std::string stopped = "\nthe video processor may be left stopped for programming: run VIPER Device5.bin "
                                "again.\n\nExit updater\n";
    // clang-format off
    const Case cases[] = {
        {.what = "unplugged in identification, back 1.5 s later",
         .faults = {"--model", "DVITOSDI", "--unplug-after", "10", "--gone-for", "1500"},
         .command = {"EDID", "EDID.bin"}, .status = 0,
         .printed = "/card :  The COM port selected don't exist!\n"},
        // Its video processor's own firmware refuses the driver's first packet (0x50D) as not now.
        {.what = "restarted as it acknowledges =MR, after 112 bytes",
         .faults = {"--restart-after", "112"},
         .command = {"VIPER", "Device5.bin"}, .status = 1, .printed = "\n0x1002 0x050d 0x0001 "},
        {.what = "unplugged for good in the driver's download",
         .faults = {"--unplug-after", "5000"},
         .command = {"VIPER", "Device5.bin"}, .status = 1, .printed = "Unable to send command. Exit.SendISP\n"},
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        WorkDir dir{256};
        writeImage(dir.path() + "/Device5.bin", 2000);
        std::vector<std::string> options{"--fast", "--state", dir.path() + "/state"};
        options.insert(options.end(), c.faults.begin(), c.faults.end());
        Cardsim card(dir.path(), options);
        std::vector<std::string> args{card.link()};
        args.insert(args.end(), c.command.begin(), c.command.end());

        ProcessResult run = runProgram(UPDATER_BIN, dir.path(), args);
        EXPECT_EQ(run.status, c.status) << run.output;
        EXPECT_NE(run.output.find(c.printed), std::string::npos) << run.output;
        EXPECT_EQ(card.stop(), 0);
        if (c.status == 0) {
            EXPECT_TRUE(dir.read("state/edid.bin") == dir.read("EDID.bin")) << "the card's EDID differs";
        } else {
            EXPECT_TRUE(run.output.size() > stopped.size() &&
                        run.output.compare(run.output.size() - stopped.size(), stopped.size(), stopped) == 0)
                << run.output;
        }
    }
}

}  // namespace
