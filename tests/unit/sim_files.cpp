// The card's memories as files (loaded at start, written after a download
// and on request, read back by the card) and the sample update files.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "sim/samples/sample_files.h"
#include "tests/support/work_dir.h"
#include "tests/unit/sim_test_card.h"

using namespace simtest;

namespace {

std::vector<std::uint8_t> fileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), {});
}

TEST(SimFiles, MemoriesAreLoadedSavedWhenADownloadEndsAndReadBack) {
    WorkDir dir;
    std::vector<std::uint8_t> seven = pattern(777, 9), image = pattern(1234, 1);
    dir.write("device7.bin", std::string(seven.begin(), seven.end()));
    dir.write("device1.bin", std::string(5000, 'x'));
    const sim::CardOptions withState = options([&](auto& o) { o.stateDir = dir.path(); });
    {
        Card card(withState);
        EXPECT_EQ(card.line.flashDevice(7), seven);
        EXPECT_TRUE(card.line.flashDevice(5).empty());
        card.line.saveState();
        EXPECT_TRUE(std::ifstream(dir.path() + "/device5.bin").good());
        loadDriver(card.host);
        writeImage(card.host, 1, image);
        EXPECT_EQ(fileBytes(dir.path() + "/device1.bin"), std::vector<std::uint8_t>(5000, 'x'));
        EXPECT_EQ(card.host.exchange("=MA\r"), "=M*");
        EXPECT_EQ(fileBytes(dir.path() + "/device1.bin"), image);
    }
    Card again(withState);
    EXPECT_EQ(readBack(again.host, 1, 1234), image);
    EXPECT_EQ(readBack(again.host, 7, 777), seven);
    EXPECT_EQ(readBack(again.host, 5, 40), std::vector<std::uint8_t>(40, 0xFF));
}

TEST(SimFiles, SampleFilesHaveTheirShapesAndTheCardTakesThem) {
    std::vector<std::uint8_t> driver = sim::sampleFile("FDriver.bin"), image = sim::sampleFile("Device7.bin");
    EXPECT_EQ(driver.size(), 0x2000u);
    EXPECT_EQ(sim::sampleFile("SFDriver.bin").size(), 0x2000u);
    EXPECT_NE(driver, sim::sampleFile("SFDriver.bin"));
    bool partialBlock = false;
    for (const char* name : {"Device1.bin", "Device5.bin", "Device7.bin"}) {
        std::size_t size = sim::sampleFile(name).size();
        EXPECT_TRUE(size >= 64u * 1024 && size <= 2u * 1024 * 1024) << name;
        partialBlock = partialBlock || size % 32 != 0;
    }
    EXPECT_TRUE(partialBlock);
    EXPECT_TRUE(sim::sampleFile("Device9.bin").empty());

    WorkDir dir;
    EXPECT_EQ(sim::writeSampleFiles(dir.path()), "");
    for (const std::string& name : sim::sampleFileNames()) {
        EXPECT_EQ(fileBytes(dir.path() + "/" + name), sim::sampleFile(name)) << name;
    }
    EXPECT_NE(sim::writeSampleFiles(dir.path() + "/missing"), "");

    Card card;
    loadDriver(card.host, driver);
    writeImage(card.host, 7, image);
    EXPECT_EQ(card.line.flashDevice(7), image);
}

}  // namespace
