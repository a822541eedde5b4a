// The real tool against cardsim --fast: ALL (EDID, devices 5 and 1, FPGA), then GAMMA
// and REMOTE on another model, firmware and variant; state files against the files.
#include <gtest/gtest.h>

#include <sstream>

#include "tests/support/processes.h"

namespace {

// Sample files with small images: the runs over a pty take real time.
struct SamplesDir : WorkDir {
    SamplesDir() {
        writeSamples(20000);
        writeImage(path() + "/Device5.bin", 4000);
        writeImage(path() + "/Device1.bin", 3000 + 7);
    }
};

// The gamma table as the card keeps it, read apart from the tool: big-endian values.
std::string gammaMemory(const std::string& table) {
    std::string bytes;
    std::istringstream lines(table);
    std::string line, field;
    while (std::getline(lines, line)) {
        if (line.empty() || line[0] == '%') continue;
        std::istringstream fields(line);
        while (std::getline(fields, field, ','))
            bytes += {char(std::stoi(field) >> 8), char(std::stoi(field) & 0xFF)};
    }
    return bytes;
}

}  // namespace

TEST(EndToEnd, AllUpdatesEveryPartOfTheCard) {
    SamplesDir samples;
    const std::string& dir = samples.path();
    Cardsim card(dir, {"--fast", "--model", "DVITOSDI", "--state", dir + "/state"});
    ProcessResult all = runProgram(UPDATER_BIN, dir, {card.link(), "ALL"});
    EXPECT_EQ(all.status, 0) << all.output;
    EXPECT_NE(all.output.find("EDID.bin : \tYES\n"), std::string::npos);
    EXPECT_NE(all.output.find("\nSuccess\nTotal Time : "), std::string::npos);
    EXPECT_EQ(card.stop(), 0);
    const std::pair<const char*, const char*> kept[] = {{"edid.bin", "EDID.bin"},
                                                        {"device5.bin", "Device5.bin"},
                                                        {"device1.bin", "Device1.bin"},
                                                        {"fpga.xsvf", "fpga.xsvf"}};
    for (const auto& [state, file] : kept) {
        std::string memory = samples.read(std::string("state/") + state);
        EXPECT_FALSE(memory.empty()) << state;
        EXPECT_TRUE(memory == samples.read(file)) << state << " differs from " << file;
    }
}

TEST(EndToEnd, GammaAndRemote) {
    SamplesDir samples;
    const std::string& dir = samples.path();
    Cardsim card(dir, {"--fast", "--state", dir + "/state", "--firmware", "V1.23", "--variant", "2"});
    ProcessResult gamma = runProgram(UPDATER_BIN, dir, {card.link(), "GAMMA", "gamma.csv"});
    EXPECT_EQ(gamma.status, 0) << gamma.output;
    EXPECT_NE(gamma.output.find("\t\t\t\t\t\t\t*\r*\t\t\tDL-SDI TO HDMI PLUS\n"), std::string::npos)
        << gamma.output;
    EXPECT_NE(gamma.output.find("Software Version  -> V1.23\n"), std::string::npos);
    EXPECT_NE(gamma.output.find("->Sending Gamma Data...Success\n"), std::string::npos);
    ProcessResult remote = runProgram(UPDATER_BIN, dir, {card.link(), "REMOTE", "remote.txt"});
    EXPECT_EQ(remote.status, 0) << remote.output;
    EXPECT_NE(remote.output.find("\n->ACK : 8 / 8  \n->NACK : 0 / 8  \nEnd of remote.txt"), std::string::npos)
        << remote.output;
    EXPECT_EQ(card.stop(), 0);

    EXPECT_TRUE(samples.read("state/gamma.bin") == gammaMemory(samples.read("gamma.csv")));
    std::string log = samples.read("state/remote.log");
    for (const char* line :
         {"#GAMMA 3 0\t(transfer)\n", "#OSD ON\t#ACK\n", "#PATTERN 3\t#ACK\n", "#SAVE\t#ACK\n"}) {
        EXPECT_NE(log.find(line), std::string::npos) << line << " in " << log;
    }
}
