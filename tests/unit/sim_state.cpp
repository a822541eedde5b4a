// The card's memories as files: loaded at start, written after a download
// and on request, and the same bytes the card reads back.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "sim/card_line.h"
#include "tests/support/work_dir.h"
#include "tests/unit/sim_test_line.h"
#include "tests/unit/sim_test_packets.h"

using simtest::TestHost;

namespace {

std::string fileText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

std::string text(const std::vector<std::uint8_t>& bytes) { return std::string(bytes.begin(), bytes.end()); }

TEST(SimState, FilesAreLoadedAndReadBack) {
    WorkDir dir;
    std::vector<std::uint8_t> image = simtest::pattern(777, 9);
    dir.write("device7.bin", text(image));
    sim::CardOptions o;
    o.stateDir = dir.path();
    sim::CardLine line(o);
    EXPECT_EQ(line.flashDevice(7), image);
    EXPECT_TRUE(line.flashDevice(5).empty());
    TestHost host(line);
    EXPECT_EQ(simtest::readBack(host, 7, 777), image);
    EXPECT_EQ(simtest::readBack(host, 5, 40), std::vector<std::uint8_t>(40, 0xFF));
}

TEST(SimState, ADownloadIsSavedWhenItEndsAndSurvivesTheCard) {
    WorkDir dir;
    dir.write("device1.bin", std::string(5000, 'x'));
    sim::CardOptions o;
    o.stateDir = dir.path();
    std::vector<std::uint8_t> image = simtest::pattern(1234, 1);
    {
        sim::CardLine line(o);
        TestHost host(line);
        simtest::loadDriver(host);
        ASSERT_TRUE(simtest::accepted(
            simtest::exchange(host, 0x502, simtest::setMode(0x0100, 1, 0, 1234)), 0x502));
        simtest::writeBlocks(host, image, 0, 1234);
        EXPECT_EQ(fileText(dir.path() + "/device1.bin"), std::string(5000, 'x'));
        EXPECT_EQ(host.exchange("=MA\r"), "=M*");
        EXPECT_EQ(fileText(dir.path() + "/device1.bin"), text(image));
        EXPECT_EQ(fileText(dir.path() + "/device5.bin"), "");
    }
    sim::CardLine again(o);
    EXPECT_EQ(again.flashDevice(1), image);
}

TEST(SimState, SaveWritesEveryDevice) {
    WorkDir dir;
    sim::CardOptions o;
    o.stateDir = dir.path();
    sim::CardLine line(o);
    line.saveState();
    for (const char* name : {"/device1.bin", "/device5.bin", "/device7.bin"}) {
        std::ifstream in(dir.path() + name, std::ios::binary);
        EXPECT_TRUE(in.good()) << name;
    }
}

}  // namespace
