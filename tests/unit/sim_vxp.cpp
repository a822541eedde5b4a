// The video processor at the packet level: status report, driver download,
// image writing with its erase, read-back, and what it refuses.
#include <gtest/gtest.h>

#include <algorithm>

#include "sim/samples/sample_files.h"
#include "tests/unit/sim_test_card.h"

using namespace simtest;

namespace {

TEST(SimVxp, StatusReportOfTheResidentFirmware) {
    const sim::CardOptions named = options([](auto& o) {
        o.vxpName = "ABCDEFGHIJKL";
        o.vxpStatus = 0x0602;
        o.vxpMemoryFlags = 0x1F11;
    });
    Card card(named);
    auto name = exchange(card.host, 0x633, {0}), status = exchange(card.host, 0x62F, {0});
    ASSERT_TRUE(accepted(name, 0x633) && accepted(status, 0x62F));
    EXPECT_EQ(Words(name->begin() + 1, name->begin() + 7), (Words{0x4142, 0x4344, 0x4546, 0x4748, 0x494A, 0x4B4C}));
    ASSERT_EQ(status->size(), 16u);
    EXPECT_EQ((*status)[1], 0x0602);
    EXPECT_EQ((*status)[2], named.vxpDeviceType);
    EXPECT_EQ((*status)[14], 0x1F11);
    auto osd = exchange(card.host, 0x61A, {0x005E, 0x0B06}), video = exchange(card.host, 0x61A, {0x007C, 0x0005});
    ASSERT_TRUE(accepted(osd, 0x61A) && accepted(video, 0x61A));
    EXPECT_EQ((*osd)[3], 0x000F);
    EXPECT_EQ((*video)[3], 0x03FF);
    EXPECT_EQ(nackReason(exchange(card.host, 0x61A, {1, 2}), 0x61A), 0x0002);
}

TEST(SimVxp, DriverImageAndReadBackOfAnErasedDevice) {
    Card card;
    TestHost& host = card.host;
    std::vector<std::uint8_t> image = pattern(1000, 3);  // not a multiple of 32
    loadDriver(host);
    ASSERT_TRUE(accepted(setMode(host, 5, 0x100, 1000 - 256), 0x502));
    // The erase runs: everything is refused with the erase mark.
    EXPECT_EQ(nackReason(exchange(host, 0x632, {0}), 0x632), 0x1234);
    host.wait(2 * kSec);
    auto status = exchange(host, 0x632, {0});
    ASSERT_TRUE(accepted(status, 0x632));
    EXPECT_EQ((*status)[1], 0x0105);
    writeBlocks(host, image, 0x100, image.size());
    ASSERT_TRUE(accepted(setMode(host, 5, 0, 256), 0x502));
    writeBlocks(host, image, 0, 256);
    EXPECT_EQ(host.exchange("=MA\r=MR\r"), "=M*=M*");
    EXPECT_EQ(card.line.flashDevice(5), image);  // the last block's padding was not kept
    host.wait(5 * kSec);  // after the restart the resident firmware reads the device back
    EXPECT_EQ(readBack(host, 5, 1000), image);
}

TEST(SimVxp, ANewDownloadErasesWhatWasThere) {
    Card card;
    for (int device : {7, 1}) {
        for (std::size_t size : {4000u, 300u}) {
            std::vector<std::uint8_t> image = pattern(size, static_cast<unsigned>(size));
            loadDriver(card.host);
            writeImage(card.host, device, image);
            if (device != 1) {  // a resynchronisation inside the same run does not erase again
                ASSERT_TRUE(accepted(setMode(card.host, device, 0x100, size - 0x100), 0x502));
                EXPECT_TRUE(accepted(exchange(card.host, 0x632, {0}), 0x632));
            }
            EXPECT_EQ(card.line.flashDevice(device), image);
            EXPECT_EQ(card.host.exchange("=MA\r=MR\r"), "=M*=M*");
        }
    }
    card.host.wait(5 * kSec);
    EXPECT_EQ(readBack(card.host, 1, 300), pattern(300, 300));
}

TEST(SimVxp, ADriverServesTheDevicesItsTitleNames) {
    const struct {
        std::vector<std::uint8_t> driver;
        std::vector<int> served;
    } cases[] = {{sim::sampleFile("FDriver.bin"), {5, 7}},
                 {sim::sampleFile("SFDriver.bin"), {1}},
                 {pattern(0x2000, 7), {1, 5, 7}}};  // no title: a driver the card does not know
    for (const auto& c : cases) {
        Card card;
        loadDriver(card.host, c.driver);
        for (int device : {1, 5, 7}) {
            bool served = std::find(c.served.begin(), c.served.end(), device) != c.served.end();
            auto reply = setMode(card.host, device, 0, 64);
            EXPECT_EQ(accepted(reply, 0x502), served) << device;
            if (!served) {
                EXPECT_EQ(nackReason(reply, 0x502), 0x0002) << device;
            }
        }
    }
}

// Raw NUL, tab and line feed, and an escape of a byte that needs none: the
// packet decodes to the right words but is lost, never answered.
TEST(SimVxp, APacketTheCodingNeverSendsIsLost) {
    Card card;
    const std::pair<std::uint16_t, std::string> raw[] = {{0xD6, "\x3D\x40"}, {0xDF, "\x3D\x49"}, {0xE0, "\x3D\x4A"}};
    for (const auto& [value, escaped] : raw) {
        std::string wire = sim::isp::wireForm(sim::isp::makePacket(0x632, {value}));
        ASSERT_EQ(wire.substr(4, 2), escaped);
        EXPECT_TRUE(accepted(exchange(card.host, 0x632, {value}), 0x632));
        EXPECT_EQ(card.host.exchange(wire.replace(4, 2, 1, static_cast<char>(escaped[1] - 64))), "") << value;
    }
    EXPECT_EQ(card.host.exchange("=G\x5C=\x70\x2A\x2A\xF8\x23\r"), "");
}

TEST(SimVxp, PacketsAreLostInResetAndHeldWhileStarting) {
    Card card;
    TestHost& host = card.host;
    host.exchange("=MP\r");
    EXPECT_FALSE(exchange(host, 0x633, {0}));
    sim::Nanos released = host.now();
    host.exchange("=MR\r");
    host.wait(2 * kSec);
    const std::string status = sim::isp::wireForm(sim::isp::makePacket(0x633, {0}));
    host.send(status);
    auto replies = host.timedCollect(2 * kSec);
    ASSERT_FALSE(replies.empty());
    EXPECT_GE(replies.front().first, released + 3 * kSec);
    // The loader runs now and knows only driver blocks and the call.
    EXPECT_EQ(nackReason(exchange(host, 0x633, {0}), 0x633), 0x0001);
    host.exchange("=ME\r");
    host.wait(3 * kSec);
    EXPECT_TRUE(accepted(exchange(host, 0x633, {0}), 0x633));

    // A new run on the same card (the host's clock starts again at 0)
    // carries on the card's time: it is still restarting.
    host.exchange("=MA\r=MR\r");
    TestHost second(card.line, 0);
    second.send(status);
    replies = second.timedCollect(4 * kSec);
    ASSERT_FALSE(replies.empty());
    EXPECT_GE(replies.front().first, 2 * kSec);
    EXPECT_LE(replies.front().first, 3 * kSec + 100 * kMs);
}

TEST(SimVxp, RefusalsCarryTheRefusedCode) {
    Card card;
    TestHost& host = card.host;
    // The resident firmware does not write.
    EXPECT_EQ(nackReason(setMode(host, 5, 0x100, 100), 0x502), 0x0001);
    EXPECT_EQ(nackReason(exchange(host, 0x639, {0}), 0x639), 0x0001);  // nothing selected
    // A damaged packet: the checksum no longer adds up.
    std::string wire = sim::isp::wireForm(sim::isp::makePacket(0x632, {0}));
    wire[4] = static_cast<char>(wire[4] + 1);
    std::string reply = host.exchange(wire);
    ASSERT_EQ(reply.substr(0, 2), "=G");
    EXPECT_EQ(sim::isp::decodeBody(reply.substr(2, reply.size() - 3)).words,
              (Words{0x1002, 0x0632, 0x0003, static_cast<std::uint16_t>(-(0x1002 + 0x0632 + 0x0003))}));

    // Calling an incomplete driver: none, or a gap between loaded blocks.
    host.exchange("=MP\r=MR\r");
    host.wait(5 * kSec);
    const Words call{0x0080, 0, 0x3300, 0};
    EXPECT_EQ(nackReason(exchange(host, 0x802, call), 0x802), 0x0001);
    for (std::uint16_t at : {0x800, 0x820}) {
        EXPECT_TRUE(accepted(exchange(host, 0x50D, {0, at, 1, 2, 3, 4, 5, 6, 7, 8}), 0x50D)) << at;
    }
    EXPECT_EQ(nackReason(exchange(host, 0x802, call), 0x802), 0x0001);
    EXPECT_TRUE(accepted(exchange(host, 0x50D, {0, 0x810, 1, 2, 3, 4, 5, 6, 7, 8}), 0x50D));
    EXPECT_EQ(nackReason(exchange(host, 0x802, {0x0090, 0, 0x3300, 0}), 0x802), 0x0002);
    EXPECT_TRUE(accepted(exchange(host, 0x802, call), 0x802));

    // The driver writes devices 1, 5 and 7 only, within their size.
    EXPECT_EQ(nackReason(setMode(host, 2, 0, 100), 0x502), 0x0002);
    EXPECT_EQ(nackReason(setMode(host, 5, 0, 100, 0x0300), 0x502), 0x0002);
    EXPECT_EQ(nackReason(setMode(host, 5, 0x1FFF00, 0x200), 0x502), 0x0002);
    EXPECT_EQ(nackReason(exchange(host, 0x501, Words(16, 0)), 0x501), 0x0001);  // no write selected
    EXPECT_EQ(nackReason(exchange(host, 0x633, {0}), 0x633), 0x0001);  // the driver reports nothing
}

}  // namespace
