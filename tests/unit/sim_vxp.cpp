// The video processor at the packet level: status report, driver download,
// image writing with its erase, read-back, and what it refuses.
#include <gtest/gtest.h>

#include <optional>

#include "sim/card_line.h"
#include "sim/isp_packet.h"
#include "tests/unit/sim_test_line.h"
#include "tests/unit/sim_test_packets.h"

using sim::isp::Words;
using simtest::accepted;
using simtest::exchange;
using simtest::kSec;
using simtest::loadDriver;
using simtest::nackReason;
using simtest::pattern;
using simtest::readBack;
using simtest::setMode;
using simtest::TestHost;
using simtest::writeBlocks;

namespace {

TEST(SimVxp, StatusReportOfTheResidentFirmware) {
    sim::CardOptions o;
    o.vxpName = "ABCDEFGHIJKL";
    o.vxpStatus = 0x0602;
    o.vxpMemoryFlags = 0x1F11;
    sim::CardLine line(o);
    TestHost host(line);

    auto name = exchange(host, 0x633, {0});
    ASSERT_TRUE(accepted(name, 0x633));
    EXPECT_EQ(Words(name->begin() + 1, name->begin() + 7),
              (Words{0x4142, 0x4344, 0x4546, 0x4748, 0x494A, 0x4B4C}));

    auto status = exchange(host, 0x62F, {0});
    ASSERT_TRUE(accepted(status, 0x62F));
    ASSERT_EQ(status->size(), 16u);
    EXPECT_EQ((*status)[1], 0x0602);
    EXPECT_EQ((*status)[2], o.vxpDeviceType);
    EXPECT_EQ((*status)[14], 0x1F11);

    auto osd = exchange(host, 0x61A, {0x005E, 0x0B06});
    auto video = exchange(host, 0x61A, {0x007C, 0x0005});
    ASSERT_TRUE(accepted(osd, 0x61A) && accepted(video, 0x61A));
    EXPECT_EQ((*osd)[3], 0x000F);
    EXPECT_EQ((*video)[3], 0x03FF);
    EXPECT_EQ(nackReason(exchange(host, 0x61A, {1, 2}), 0x61A), 0x0002);
}

TEST(SimVxp, DriverImageAndReadBackOfAnErasedDevice) {
    sim::CardLine line{sim::CardOptions{}};
    TestHost host(line);
    std::vector<std::uint8_t> image = pattern(1000, 3);  // not a multiple of 32
    loadDriver(host);

    ASSERT_TRUE(accepted(exchange(host, 0x502, setMode(0x0100, 5, 0x100, 1000 - 256)), 0x502));
    // The erase runs: everything is refused with the erase mark.
    EXPECT_EQ(nackReason(exchange(host, 0x632, {0}), 0x632), 0x1234);
    host.wait(2 * kSec);
    auto status = exchange(host, 0x632, {0});
    ASSERT_TRUE(accepted(status, 0x632));
    EXPECT_EQ((*status)[1], 0x0105);

    writeBlocks(host, image, 0x100, image.size());
    ASSERT_TRUE(accepted(exchange(host, 0x502, setMode(0x0100, 5, 0, 256)), 0x502));
    writeBlocks(host, image, 0, 256);
    EXPECT_EQ(host.exchange("=MA\r"), "=M*");
    EXPECT_EQ(host.exchange("=MR\r"), "=M*");
    EXPECT_EQ(line.flashDevice(5), image);  // the last block's padding was not kept

    // After the restart the resident firmware reads the device back.
    host.wait(5 * kSec);
    EXPECT_EQ(readBack(host, 5, 1000), image);
}

TEST(SimVxp, ANewDownloadErasesWhatWasThere) {
    sim::CardLine line{sim::CardOptions{}};
    TestHost host(line);
    for (std::size_t size : {4000u, 600u}) {
        std::vector<std::uint8_t> image = pattern(size, static_cast<unsigned>(size));
        loadDriver(host);
        ASSERT_TRUE(accepted(exchange(host, 0x502, setMode(0x0100, 7, 0x100, static_cast<std::uint32_t>(size - 256))), 0x502));
        host.wait(2 * kSec);
        writeBlocks(host, image, 0x100, size);
        // A resynchronisation inside the same run does not erase again.
        ASSERT_TRUE(accepted(exchange(host, 0x502, setMode(0x0100, 7, 0x100, static_cast<std::uint32_t>(size - 256))), 0x502));
        EXPECT_TRUE(accepted(exchange(host, 0x632, {0}), 0x632));
        ASSERT_TRUE(accepted(exchange(host, 0x502, setMode(0x0100, 7, 0, 256)), 0x502));
        writeBlocks(host, image, 0, 256);
        EXPECT_EQ(line.flashDevice(7), image);
        EXPECT_EQ(host.exchange("=MA\r=MR\r"), "=M*=M*");
    }
}

TEST(SimVxp, DeviceOneIsErasedFromTheStartOfAWrite) {
    sim::CardLine line{sim::CardOptions{}};
    TestHost host(line);
    for (std::size_t size : {300u, 100u}) {
        std::vector<std::uint8_t> image = pattern(size, static_cast<unsigned>(size));
        loadDriver(host);
        ASSERT_TRUE(accepted(exchange(host, 0x502, setMode(0x0100, 1, 0, static_cast<std::uint32_t>(size))), 0x502));
        writeBlocks(host, image, 0, size);
        EXPECT_EQ(line.flashDevice(1), image);
        EXPECT_EQ(host.exchange("=MA\r=MR\r"), "=M*=M*");
    }
    host.wait(5 * kSec);
    EXPECT_EQ(readBack(host, 1, 100), pattern(100, 100));
}

TEST(SimVxp, PacketsAreLostInResetAndHeldWhileStarting) {
    sim::CardLine line{sim::CardOptions{}};
    TestHost host(line);
    host.exchange("=MP\r");
    EXPECT_FALSE(exchange(host, 0x633, {0}));
    sim::Nanos released = host.now();
    host.exchange("=MR\r");
    host.wait(2 * kSec);
    host.send(sim::isp::wireForm(sim::isp::makePacket(0x633, {0})));
    auto replies = host.timedCollect(2 * kSec);
    ASSERT_FALSE(replies.empty());
    EXPECT_GE(replies.front().first, released + 3 * kSec);
    // The loader runs now and knows only driver blocks and the call.
    EXPECT_EQ(nackReason(exchange(host, 0x633, {0}), 0x633), 0x0001);
    host.exchange("=ME\r");
    host.wait(3 * kSec);
    EXPECT_TRUE(accepted(exchange(host, 0x633, {0}), 0x633));
}

TEST(SimVxp, ANewRunOnTheSameCardCarriesOnItsTime) {
    sim::CardLine line{sim::CardOptions{}};
    TestHost first(line, 50 * kSec);
    first.exchange("=MA\r=MR\r");
    // The host's clock starts again at 0; the card is still restarting.
    TestHost second(line, 0);
    second.send(sim::isp::wireForm(sim::isp::makePacket(0x633, {0})));
    auto replies = second.timedCollect(4 * kSec);
    ASSERT_FALSE(replies.empty());
    EXPECT_GE(replies.front().first, 2 * kSec);
    EXPECT_LE(replies.front().first, 3 * kSec + 100 * simtest::kMs);
}

TEST(SimVxp, CallingAnIncompleteDriverIsRefused) {
    sim::CardLine line{sim::CardOptions{}};
    TestHost host(line);
    host.exchange("=MP\r=MR\r");
    host.wait(5 * kSec);
    EXPECT_EQ(nackReason(exchange(host, 0x802, {0x0080, 0, 0x3300, 0}), 0x802), 0x0001);
    // A gap between loaded blocks.
    EXPECT_TRUE(accepted(exchange(host, 0x50D, {0, 0x800, 1, 2, 3, 4, 5, 6, 7, 8}), 0x50D));
    EXPECT_TRUE(accepted(exchange(host, 0x50D, {0, 0x820, 1, 2, 3, 4, 5, 6, 7, 8}), 0x50D));
    EXPECT_EQ(nackReason(exchange(host, 0x802, {0x0080, 0, 0x3300, 0}), 0x802), 0x0001);
    EXPECT_TRUE(accepted(exchange(host, 0x50D, {0, 0x810, 1, 2, 3, 4, 5, 6, 7, 8}), 0x50D));
    EXPECT_EQ(nackReason(exchange(host, 0x802, {0x0090, 0, 0x3300, 0}), 0x802), 0x0002);
    EXPECT_TRUE(accepted(exchange(host, 0x802, {0x0080, 0, 0x3300, 0}), 0x802));
}

TEST(SimVxp, RefusalsCarryTheRefusedCode) {
    sim::CardLine line{sim::CardOptions{}};
    TestHost host(line);
    // The resident firmware does not write.
    EXPECT_EQ(nackReason(exchange(host, 0x502, setMode(0x0100, 5, 0x100, 100)), 0x502), 0x0001);
    EXPECT_EQ(nackReason(exchange(host, 0x639, {0}), 0x639), 0x0001);  // nothing selected
    loadDriver(host);
    EXPECT_EQ(nackReason(exchange(host, 0x502, setMode(0x0100, 2, 0, 100)), 0x502), 0x0002);
    EXPECT_EQ(nackReason(exchange(host, 0x502, setMode(0x0300, 5, 0, 100)), 0x502), 0x0002);
    EXPECT_EQ(nackReason(exchange(host, 0x502, setMode(0x0100, 5, 0x1FFF00, 0x200)), 0x502), 0x0002);
    EXPECT_EQ(nackReason(exchange(host, 0x501, Words(16, 0)), 0x501), 0x0001);  // no write selected
    EXPECT_EQ(nackReason(exchange(host, 0x633, {0}), 0x633), 0x0001);  // the driver reports nothing

    // A damaged packet: the checksum no longer adds up.
    std::string wire = sim::isp::wireForm(sim::isp::makePacket(0x632, {0}));
    wire[4] = static_cast<char>(wire[4] + 1);
    std::string reply = host.exchange(wire);
    std::size_t start = reply.find("=G");
    ASSERT_NE(start, std::string::npos);
    Words words = sim::isp::decodeBody(reply.substr(start + 2, reply.size() - start - 3)).words;
    EXPECT_EQ(words, (Words{0x1002, 0x0632, 0x0003, static_cast<std::uint16_t>(-(0x1002 + 0x0632 + 0x0003))}));
}

}  // namespace
