// The real tool against cardsim over a pseudo-terminal: the opening of a run.
#include <gtest/gtest.h>

#include <filesystem>
#include <stdlib.h>

#include "tests/e2e/processes.h"

namespace {

std::string freshDir() {
    char templ[] = "/tmp/updater-e2e-XXXXXX";
    return mkdtemp(templ);
}

}  // namespace

TEST(EndToEnd, BannerAndUsageTextFromARealCard) {
    std::string dir = freshDir();
    Cardsim card(dir, {"--model", "SDITOHDMI", "--firmware", "V1.23", "--variant", "2"});
    ProcessResult run = runUpdater(dir, {card.link(), "FPGA"});
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(run.output.find("\t\t\t\t\t\t\t*\r*\t\t\tDL-SDI TO HDMI PLUS\n"), std::string::npos)
        << run.output;
    EXPECT_NE(run.output.find("Software Version  -> V1.23\n"), std::string::npos);
    std::string tail = "e.g. updater COM1 ALL\n\nExit updater\n";
    ASSERT_GE(run.output.size(), tail.size());
    EXPECT_EQ(run.output.substr(run.output.size() - tail.size()), tail);
    EXPECT_EQ(card.stop(), 0);
    std::filesystem::remove_all(dir);
}
