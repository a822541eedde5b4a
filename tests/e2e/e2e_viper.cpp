// The real tool against cardsim over a pseudo-terminal: the opening of a
// run, a flash device written with VIPER, read back with VERIFY in a second
// run, and the card's state file compared with the image byte for byte.
// The card is cardsim --fast: the subject is not the line's time.
#include <gtest/gtest.h>

#include "tests/support/processes.h"
#include "tests/support/work_dir.h"

namespace {

ProcessResult programAndVerify(const std::string& image, const std::string& stateFile,
                               const std::vector<std::string>& card) {
    WorkDir dir;
    dir.writeSamples();
    writeImage(dir.path() + "/" + image, 6000 + 17);
    std::vector<std::string> options{"--fast", "--state", dir.path() + "/state"};
    options.insert(options.end(), card.begin(), card.end());
    Cardsim cardsim(dir.path(), options);

    ProcessResult viper = runProgram(UPDATER_BIN, dir.path(), {cardsim.link(), "VIPER", image});
    EXPECT_EQ(viper.status, 0) << viper.output;
    EXPECT_NE(viper.output.find("Total Time : "), std::string::npos);

    ProcessResult verify = runProgram(UPDATER_BIN, dir.path(), {cardsim.link(), "VERIFY", image});
    EXPECT_EQ(verify.status, 0) << verify.output;
    EXPECT_NE(verify.output.find("Job at 100% ----- Mismatch Total 0 "), std::string::npos);

    EXPECT_EQ(cardsim.stop(), 0);
    std::string written = dir.read("state/" + stateFile);
    EXPECT_FALSE(written.empty());
    EXPECT_TRUE(written == dir.read(image)) << "the card's device differs from " << image;
    return viper;
}

}  // namespace

TEST(EndToEnd, ViperThenVerifyDevice1) {
    ProcessResult viper = programAndVerify("Device1.bin", "device1.bin",
                                           {"--model", "SDITOHDMI", "--firmware", "V1.23", "--variant", "2"});
    EXPECT_NE(viper.output.find("\t\t\t\t\t\t\t*\r*\t\t\tDL-SDI TO HDMI PLUS\n"), std::string::npos)
        << viper.output;
    EXPECT_NE(viper.output.find("Software Version  -> V1.23\n"), std::string::npos);
}
