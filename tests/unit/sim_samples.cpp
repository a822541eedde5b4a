// The sample update files: their shapes, and a card taking the sample
// driver and a sample image whole.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "sim/card_line.h"
#include "sim/sample_files.h"
#include "tests/support/work_dir.h"
#include "tests/unit/sim_test_line.h"
#include "tests/unit/sim_test_packets.h"

using simtest::kSec;
using simtest::TestHost;

namespace {

TEST(SimSamples, ShapesOfTheFiles) {
    for (const char* driver : {"FDriver.bin", "SFDriver.bin"}) {
        EXPECT_EQ(sim::sampleFile(driver).size(), 0x2000u) << driver;
    }
    EXPECT_NE(sim::sampleFile("FDriver.bin"), sim::sampleFile("SFDriver.bin"));
    bool partialBlock = false;
    for (const char* image : {"Device1.bin", "Device5.bin", "Device7.bin"}) {
        std::size_t size = sim::sampleFile(image).size();
        EXPECT_GE(size, 64u * 1024) << image;
        EXPECT_LE(size, 2u * 1024 * 1024) << image;
        partialBlock = partialBlock || size % 32 != 0;
    }
    EXPECT_TRUE(partialBlock);
    EXPECT_TRUE(sim::sampleFile("Device9.bin").empty());
    EXPECT_EQ(sim::sampleFile("Device5.bin"), sim::sampleFile("Device5.bin"));
}

TEST(SimSamples, WrittenFilesHoldTheSampleBytes) {
    WorkDir dir;
    EXPECT_EQ(sim::writeSampleFiles(dir.path()), "");
    for (const std::string& name : sim::sampleFileNames()) {
        std::ifstream in(dir.path() + "/" + name, std::ios::binary);
        std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(in), {}};
        EXPECT_EQ(bytes, sim::sampleFile(name)) << name;
    }
    EXPECT_NE(sim::writeSampleFiles(dir.path() + "/missing"), "");
}

TEST(SimSamples, TheCardTakesTheSampleDriverAndImage) {
    sim::CardLine line{sim::CardOptions{}};
    TestHost host(line);
    std::vector<std::uint8_t> image = sim::sampleFile("Device7.bin");
    auto size = static_cast<std::uint32_t>(image.size());
    simtest::loadDriver(host, sim::sampleFile("FDriver.bin"));
    ASSERT_TRUE(simtest::accepted(
        simtest::exchange(host, 0x502, simtest::setMode(0x0100, 7, 0x100, size - 256)), 0x502));
    host.wait(20 * kSec);
    simtest::writeBlocks(host, image, 0x100, size);
    ASSERT_TRUE(simtest::accepted(
        simtest::exchange(host, 0x502, simtest::setMode(0x0100, 7, 0, 256)), 0x502));
    simtest::writeBlocks(host, image, 0, 256);
    EXPECT_EQ(line.flashDevice(7), image);
}

}  // namespace
