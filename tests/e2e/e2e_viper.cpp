// The real tool against cardsim over a pseudo-terminal: a flash device
// written with VIPER, read back with VERIFY in a second run, and the card's
// state file compared with the image byte for byte.
#include <gtest/gtest.h>

#include <filesystem>
#include <stdlib.h>

#include "tests/e2e/processes.h"

namespace {

void programAndVerify(const std::string& image, const std::string& stateFile) {
    char templ[] = "/tmp/updater-e2e-XXXXXX";
    std::string dir = mkdtemp(templ);
    ASSERT_EQ(runProgram(CARDSIM_BIN, dir, {"--make-samples", dir}).status, 0);
    writeImage(dir + "/" + image, 6000 + 17);
    Cardsim card(dir, {"--state", dir + "/state"});

    ProcessResult viper = runUpdater(dir, {card.link(), "VIPER", image});
    EXPECT_EQ(viper.status, 0) << viper.output;
    EXPECT_NE(viper.output.find("Total Time : "), std::string::npos);

    ProcessResult verify = runUpdater(dir, {card.link(), "VERIFY", image});
    EXPECT_EQ(verify.status, 0) << verify.output;
    EXPECT_NE(verify.output.find("Job at 100% ----- Mismatch Total 0 "), std::string::npos);

    EXPECT_EQ(card.stop(), 0);
    std::string written = readWholeFile(dir + "/state/" + stateFile);
    EXPECT_FALSE(written.empty());
    EXPECT_TRUE(written == readWholeFile(dir + "/" + image)) << "the card's device differs from " << image;
    std::filesystem::remove_all(dir);
}

}  // namespace

TEST(EndToEnd, ViperThenVerifyDevice1) { programAndVerify("Device1.bin", "device1.bin"); }

TEST(EndToEnd, ViperThenVerifyDevice7) { programAndVerify("Device7.bin", "device7.bin"); }
