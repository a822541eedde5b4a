// Driver and image downloads against a scripted card: what reaches the card,
// in which order, how a refused block is brought back, and when a download
// gives up.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "platform/sim/sim_port.h"
#include "tests/scenario/vxp_isp_responder.h"
#include "tests/scenario/vxp_test_files.h"
#include "tests/support/console_capture.h"
#include "tests/support/open_sim_port.h"
#include "tests/support/work_dir.h"
#include "vxp/load_file.h"

namespace {

constexpr sim::Nanos kMs = ScriptedPeer::kMs;

using vxptest::imageBlocksAt;
using vxptest::imageBytes;

class LoadFile : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(openSimPort(card_)); }
    void TearDown() override {
        closeSimPort();
        if (HasFailure()) std::fprintf(stderr, "console:\n%s\n", console_.text().c_str());
    }

    // The packets with the given header, in order.
    std::vector<wire::Words> packetsWithHeader(std::uint16_t header) const {
        std::vector<wire::Words> found;
        for (const auto& words : card_.packets) {
            if (words[0] == header) found.push_back(words);
        }
        return found;
    }

    // Set ISP mode for writing, as the card should receive it.
    static wire::Words setMode(int device, std::uint32_t start, std::uint32_t length) {
        return wire::withChecksum({0x5502, 0x0100, static_cast<std::uint16_t>(device),
                                   static_cast<std::uint16_t>(start & 0xFFFF),
                                   static_cast<std::uint16_t>(start >> 16),
                                   static_cast<std::uint16_t>(length & 0xFFFF),
                                   static_cast<std::uint16_t>(length >> 16)});
    }

    // Answers the image block equal to `block` with `refusal` the first `times` times it comes.
    void refuseBlock(const wire::Words& block, int times, const std::string& refusal = wire::nack(0x501)) {
        card_.answer = [this, block, times, refusal, refused = 0](const wire::Words& words) mutable {
            bool isBlock = words.size() == 18 && wire::Words(words.begin() + 1, words.end() - 1) == block;
            if (isBlock && refused < times) {
                ++refused;
                return refusal;
            }
            return card_.willingAnswer(words);
        };
    }

    WorkDir dir_;
    IspResponder card_;
    ConsoleCapture console_;
};

TEST_F(LoadFile, DriverGoesFrom0x800To0x2000InSixteenByteBlocksThenIsCalled) {
    const std::string driver = imageBytes(0x2000 + 0x123);
    dir_.write("FDriver.bin", driver);
    ASSERT_EQ(loadFile("FDriver.bin", 0), 0);

    ASSERT_GE(card_.log.size(), 2u);
    EXPECT_EQ(card_.log[0], "=MP");
    EXPECT_EQ(card_.log[1], "=MR");
    std::vector<wire::Words> blocks = packetsWithHeader(0x950D);
    ASSERT_EQ(blocks.size(), 384u);
    for (std::size_t i = 0; i < blocks.size(); ++i) {
        std::size_t address = 0x800 + 16 * i;
        wire::Words expected{0x950D, 0x0000, static_cast<std::uint16_t>(address)};
        for (std::uint16_t w : vxptest::blockWords(driver, address, 16)) expected.push_back(w);
        ASSERT_EQ(blocks[i], wire::withChecksum(expected)) << "block " << i;
    }
    EXPECT_EQ(card_.packets.back(), wire::withChecksum({0x3802, 0x0080, 0x0000, 0x3300, 0x0000}));
    EXPECT_EQ(card_.log.size(), 2u + 384u + 1u) << "no micro command after the driver";

    std::string text = console_.text();
    EXPECT_EQ(text.rfind("File Size : 8483 bytes\nSoft Reset...\nWaiting 5 sec...\nBegin Job...\n", 0), 0u);
    EXPECT_NE(text.find("\rJob at 100%\t\t\t\t\nCalling ISP Driver...\n\n\nTime : 0 minutes "),
              std::string::npos);
}

TEST_F(LoadFile, ShortDriverSendsOnlyItsWholeBlocksBeyond0x800) {
    const struct {
        std::size_t size;
        std::size_t blocks;
    } cases[] = {{0x700, 0}, {0x800, 0}, {0x80F, 0}, {0x810, 1}, {0x1FFF, 383}, {0x2000, 384}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.size);
        closeSimPort();
        card_.packets.clear();
        ASSERT_TRUE(openSimPort(card_));
        dir_.write("SFDriver.bin", imageBytes(c.size));
        ASSERT_EQ(loadFile("SFDriver.bin", 0), 0);
        EXPECT_EQ(packetsWithHeader(0x950D).size(), c.blocks);
        EXPECT_EQ(card_.packets.back()[0], 0x3802);
    }
}

TEST_F(LoadFile, HundredByteImageGoesAsFourBlocksWithItsTrueLength) {
    const std::string image = imageBytes(100);
    dir_.write("Device1.bin", image);
    ASSERT_EQ(loadFile("Device1.bin", 1), 0);

    EXPECT_EQ(card_.packets.front(), setMode(1, 0, 100));
    EXPECT_EQ(card_.imageBlocks(), imageBlocksAt(image, {0, 32, 64, 96}));
    EXPECT_EQ(card_.imageBlocks().back().back(), 0xFFFF) << "bytes past the file are erased flash";
    EXPECT_EQ(std::vector<std::string>(card_.log.end() - 2, card_.log.end()),
              (std::vector<std::string>{"=MA", "=MR"}));
    EXPECT_EQ(console_.text(),
              "File Size : 100 bytes\nSetting ISP Mode...\nBegin Job...\n"
              "\rJob at 32.00 %\rJob at 64.00 %\rJob at 96.00 %\rJob at 100%\t\t\t\t"
              "\n\nTime : 0 minutes 15 seconds\n");
}

// 400 KiB: one line each time the block address passes the next multiple
// of 409600 / 5000 = 81. The last block is at 409568, so the line count is
// 409568 / 81 rounded up, 5057.
TEST_F(LoadFile, LargeImagePrintsAboutFiveThousandProgressLines) {
    const std::string image = imageBytes(409600);
    dir_.write("Device1.bin", image);
    ASSERT_EQ(loadFile("Device1.bin", 1), 0);
    EXPECT_EQ(card_.imageBlocks().size(), 409600u / 32);

    std::string text = console_.text();
    std::size_t lines = 0;
    for (std::size_t at = 0; (at = text.find("\rJob at ", at)) != std::string::npos; ++at) ++lines;
    EXPECT_EQ(lines, 5057u + 1u) << "and the closing line";
    EXPECT_NE(text.find("Begin Job...\n\rJob at 0.01 %\rJob at 0.02 %\rJob at 0.05 %"), std::string::npos);
    EXPECT_NE(text.find("\rJob at 99.97 %\rJob at 99.99 %\rJob at 100%\t\t\t\t\n"), std::string::npos);
}

TEST_F(LoadFile, DeviceFiveGetsItsDataFirstAndItsHeaderLast) {
    const std::string image = imageBytes(0x100 + 3 * 32 + 10);
    dir_.write("Device5.bin", image);
    ASSERT_EQ(loadFile("Device5.bin", 5), 0);

    EXPECT_EQ(card_.imageBlocks(), imageBlocksAt(image, {0x100, 0x120, 0x140, 0x160, 0x00, 0x20, 0x40,
                                                          0x60, 0x80, 0xA0, 0xC0, 0xE0}));
    EXPECT_EQ(card_.packets[0], setMode(5, 0x100, image.size() - 0x100)) << "the erase";
    EXPECT_EQ(card_.packets[1][0], 0x0632) << "then the status request";
    EXPECT_EQ(card_.packets[6], setMode(5, 0, 0x100)) << "the header's own mode";
    EXPECT_EQ(std::vector<std::string>(card_.log.end() - 2, card_.log.end()),
              (std::vector<std::string>{"=MA", "=MR"}));

    // The data phase's percentages run over its 106 bytes from 0x100.
    std::string text = console_.text();
    EXPECT_EQ(text.rfind("File Size : 362 bytes\nSetting ISP Mode...\nErasing device...\n"
                         "Begin Job... Data ..\n\rJob at 0.00 %\rJob at 30.19 %\rJob at 60.38 %\rJob at 90.57 %"
                         "\rJob at 100%\t\t\t\t\nSetting ISP Mode...\nBegin Job... Header...\n"
                         "\rJob at 12.50 %\rJob at 25.00 %",
                         0),
              0u);
    EXPECT_NE(text.find("\rJob at 87.50 %\rJob at 100%\t\t\t\t\nSoft Reset.\n\nTime : 0 minutes 20 seconds\n"),
              std::string::npos);
}

// Device 1's block is answered by a bare "=G\r", which carries no
// acknowledgement; device 7's by a refusal.
TEST_F(LoadFile, RefusedBlockIsSentAgainFromAFreshMode) {
    const std::string image = imageBytes(0x180);
    const struct {
        int device;
        std::string refusal;
        std::vector<std::size_t> blocks;
        std::string resync;
    } cases[] = {
        {1, "=G\r", {0x00, 0x20, 0x40, 0x60, 0x80, 0xA0, 0xC0, 0xE0, 0x100, 0x120, 0x120, 0x140, 0x160},
         "ISP Mode Status Request ...\n0x0632 0x0000 0xf9ce \n0x0733 0x0001 0xf8cc \nSetting ISP Mode...\n"},
        {7, wire::nack(0x501),
         {0x100, 0x120, 0x120, 0x140, 0x160, 0x00, 0x20, 0x40, 0x60, 0x80, 0xA0, 0xC0, 0xE0},
         "ISP Mode Status Request ...\n0x0632 0x0000 0xf9ce \n0x0733 0x0007 0xf8c6 \n"
         "Addr - 0x00000120\nSetting ISP Mode...\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.device);
        closeSimPort();
        card_.packets.clear();
        ASSERT_TRUE(openSimPort(card_));
        std::size_t from = console_.text().size();
        dir_.write("image.bin", image);
        refuseBlock(vxptest::blockWords(image, 0x120, 32), 1, c.refusal);
        ASSERT_EQ(loadFile("image.bin", c.device), 0);

        EXPECT_EQ(card_.imageBlocks(), imageBlocksAt(image, c.blocks));
        std::vector<wire::Words> modes = packetsWithHeader(0x5502);
        ASSERT_EQ(modes.size(), c.device == 1 ? 2u : 3u);
        EXPECT_EQ(modes[1], setMode(c.device, 0x120, 0x180 - 0x120));
        std::string text = console_.text().substr(from);
        EXPECT_NE(text.find("\nNACK received. Retry ... \n"), std::string::npos);
        EXPECT_NE(text.find(c.resync), std::string::npos);
        EXPECT_EQ(text.find("Addr - ") != std::string::npos, c.device == 7);
    }
}

TEST_F(LoadFile, RefusedHeaderBlockIsBroughtBackWithoutPrintingPackets) {
    const std::string image = imageBytes(0x120);
    dir_.write("Device5.bin", image);
    refuseBlock(vxptest::blockWords(image, 0x40, 32), 1);
    ASSERT_EQ(loadFile("Device5.bin", 5), 0);

    std::vector<wire::Words> modes = packetsWithHeader(0x5502);
    ASSERT_EQ(modes.size(), 3u);
    EXPECT_EQ(modes[2], setMode(5, 0x40, 0x100 - 0x40));
    EXPECT_NE(console_.text().find("ISP Mode Status Request ...\nSetting ISP Mode...\n"), std::string::npos);
    EXPECT_EQ(console_.text().find("Addr - "), std::string::npos);
}

TEST_F(LoadFile, BlockRefusedSevenTimesEndsTheDownloadForEveryDevice) {
    for (int device : {1, 5}) {
        SCOPED_TRACE(device);
        closeSimPort();
        card_.packets.clear();
        card_.log.clear();
        ASSERT_TRUE(openSimPort(card_));
        const std::string image = imageBytes(0x140);
        dir_.write("image.bin", image);
        const std::size_t refusedAt = device == 1 ? 0x20 : 0x120;
        refuseBlock(vxptest::blockWords(image, refusedAt, 32), 1000);
        EXPECT_EQ(loadFile("image.bin", device), -1);

        std::vector<wire::Words> blocks = card_.imageBlocks();
        ASSERT_EQ(blocks.size(), 8u) << "one accepted block, then the refused one seven times";
        for (std::size_t i = 1; i < blocks.size(); ++i) EXPECT_EQ(blocks[i], blocks[1]);
        EXPECT_EQ(packetsWithHeader(0x5502).size(), 1u + 6u);
        EXPECT_EQ(card_.log.back(), "0632") << "nothing after the last status request";
    }
}

TEST_F(LoadFile, StatusNamingAnotherDeviceEndsTheDownload) {
    dir_.write("Device5.bin", imageBytes(0x200));
    card_.answer = [this](const wire::Words& words) {
        if (words[0] == 0x0632) return wire::packet({0x0733, 0x0007});
        return card_.willingAnswer(words);
    };
    EXPECT_EQ(loadFile("Device5.bin", 5), -1);
    EXPECT_TRUE(card_.imageBlocks().empty());
    EXPECT_NE(console_.text().find("Erasing device...\nDevice not setted !\n\nTime : 0 minutes 20 seconds\n"),
              std::string::npos);
}

TEST_F(LoadFile, MicroRefusalEndsTheDriverDownloadBeforeAnyPacket) {
    dir_.write("FDriver.bin", imageBytes(0x1000));
    card_.answerMicro = [](char letter) { return std::string(letter == 'R' ? "=M~" : "=M*"); };
    EXPECT_EQ(loadFile("FDriver.bin", 0), -1);
    EXPECT_TRUE(card_.packets.empty());
    EXPECT_EQ(console_.text(), "File Size : 4096 bytes\nSoft Reset...\nInvalid command from micro ...\n"
                               "\n=MR\r\n\nTime : 0 minutes 0 seconds\n");
}

TEST_F(LoadFile, LineThatNeverFallsSilentStopsTheDownloadBeforeItStarts) {
    dir_.write("Device1.bin", imageBytes(64));
    ScriptedPeer noisy;
    closeSimPort();
    ASSERT_TRUE(openSimPort(noisy));
    noisy.sendAt(0, std::string(8000, 'x'), kMs);
    EXPECT_EQ(loadFile("Device1.bin", 1), -1);
    EXPECT_EQ(simport::written(), "");
    EXPECT_GE(simport::now(), 5000 * kMs);
    EXPECT_LT(simport::now(), 5100 * kMs);
}

TEST_F(LoadFile, FileThatCannotBeSentWholeIsRefusedUntouched) {
    dir_.write("Device5.bin", imageBytes(255));
    dir_.write("Device1.bin", imageBytes(2097152 + 1));
    EXPECT_EQ(loadFile("Device5.bin", 5), -1);
    EXPECT_EQ(loadFile("Device1.bin", 1), -1);
    EXPECT_EQ(loadFile("missing.bin", 1), -1);
    EXPECT_EQ(simport::written(), "");
    EXPECT_EQ(console_.text(),
              "File Device5.bin is too small for device 5 : 255 bytes (256 at least).\n"
              "File Device1.bin is too large (2097152 bytes at most).\n"
              "Unable to open file : missing.bin\n");
}

}  // namespace
