// Driver and image downloads against a scripted card: what reaches the card,
// in which order, how a refused block is brought back, and when a download
// gives up.
#include "tests/scenario/vxp_isp_responder.h"
#include "vxp/load_file.h"

namespace {

using Log = std::vector<std::string>;

// The packet carrying the `size`-byte block at `address`: `head`, the words
// low byte first (bytes past the image's end as erased flash, 0xFF), the checksum.
wire::Words blockPacket(const std::string& image, std::size_t address, wire::Words head, std::size_t size = 32) {
    auto byte = [&](std::size_t at) { return at < image.size() ? static_cast<unsigned char>(image[at]) : 0xFFu; };
    for (std::size_t at = address; at < address + size; at += 2) {
        head.push_back(static_cast<std::uint16_t>(byte(at) | byte(at + 1) << 8));
    }
    return wire::withChecksum(head);
}

// Set ISP mode for writing, as the card should receive it.
wire::Words setMode(int device, std::uint32_t start, std::uint32_t length) {
    return wire::withChecksum({0x5502, 0x0100, static_cast<std::uint16_t>(device),
                               static_cast<std::uint16_t>(start & 0xFFFF), static_cast<std::uint16_t>(start >> 16),
                               static_cast<std::uint16_t>(length & 0xFFFF), static_cast<std::uint16_t>(length >> 16)});
}

class LoadFile : public ScriptedCardTest {
protected:
    int load(const std::string& image, int device) { dir_.write("x.bin", image); return loadFile("x.bin", device); }
};

// Only whole blocks of the file are sent, and nothing from 0x2000 on.
TEST_F(LoadFile, DriverGoesFrom0x800To0x2000InWholeSixteenByteBlocksThenIsCalled) {
    const std::size_t cases[][2] = {{0x700, 0},    {0x800, 0},    {0x80F, 0},   {0x810, 1},
                                    {0x1FFF, 383}, {0x2000, 384}, {0x2123, 384}};
    for (const auto& [size, blocks] : cases) {
        SCOPED_TRACE(size);
        reopen();
        std::size_t from = console_.text().size();
        const std::string driver = imageBytes(size);
        ASSERT_EQ(load(driver, 0), 0);
        Log log{"=MP", "=MR"};
        log.resize(2 + blocks, "950D");
        log.push_back("3802");
        EXPECT_EQ(card_.log, log) << "no micro command after the driver";
        for (std::size_t i = 0; i < blocks; ++i) {
            const auto address = static_cast<std::uint16_t>(0x800 + 16 * i);
            ASSERT_EQ(card_.packetsWith(0x950D)[i], blockPacket(driver, address, {0x950D, 0, address}, 16)) << i;
        }
        EXPECT_EQ(card_.packets.back(), wire::withChecksum({0x3802, 0x0080, 0x0000, 0x3300, 0x0000}));
        std::string text = console_.text().substr(from);
        EXPECT_EQ(text.rfind("File Size : " + std::to_string(size) + " bytes\nSoft Reset...\nWaiting 5 sec...\n"
                             "Begin Job...\n", 0), 0u);
        EXPECT_NE(text.find("\rJob at 100%\t\t\t\t\nCalling ISP Driver...\n\n\nTime : 0 minutes "), std::string::npos);
    }
}

// Devices 5 and 7 take their data from 0x100 first, then the header; the
// last block's bytes past the file go as erased flash (0xFF). A refused
// block (a bare "=G\r" carries no acknowledgement) is sent again from a
// fresh mode; devices 5 and 7 print the refused address in their data phase,
// and the packets outside their header.
// A refusal of an image block whose code 2 became 3 on the line.
std::string damagedRefusal() {
    wire::Words words = wire::withChecksum({0x1002, 0x0501, 0x0001});
    words[0] = 0x1003;
    return wire::encode(words);
}

TEST_F(LoadFile, ImageGoesInItsDevicesBlockOrderAndARefusedBlockFromAFreshMode) {
    const struct {
        int device;
        std::size_t size;
        int refusedBlock;  // numbered from 1; 0 for none
        std::string refusal;
        std::vector<std::size_t> blocks;
        std::vector<wire::Words> modes;
        std::string text;  // the whole console, or after a refusal what its resynchronisation prints
        bool damaged = false;  // the refusal failed its checksum on the line
    } cases[] = {
        {1, 100, 0, "", {0, 32, 64, 96}, {setMode(1, 0, 100)},
         "File Size : 100 bytes\nSetting ISP Mode...\nBegin Job...\n"
         "\rJob at 32.00 %\rJob at 64.00 %\rJob at 96.00 %\rJob at 100%\t\t\t\t\n\nTime : 0 minutes 15 seconds\n"},
        // The data phase's percentages run over its 106 bytes from 0x100.
        {5, 362, 0, "", {0x100, 0x120, 0x140, 0x160, 0x00, 0x20, 0x40, 0x60, 0x80, 0xA0, 0xC0, 0xE0},
         {setMode(5, 0x100, 106), setMode(5, 0, 0x100)},
         "File Size : 362 bytes\nSetting ISP Mode...\nErasing device...\n"
         "Begin Job... Data ..\n\rJob at 0.00 %\rJob at 30.19 %\rJob at 60.38 %\rJob at 90.57 %"
         "\rJob at 100%\t\t\t\t\nSetting ISP Mode...\nBegin Job... Header...\n"
         "\rJob at 12.50 %\rJob at 25.00 %\rJob at 37.50 %\rJob at 50.00 %\rJob at 62.50 %"
         "\rJob at 75.00 %\rJob at 87.50 %\rJob at 100%\t\t\t\t\nSoft Reset.\n\nTime : 0 minutes 20 seconds\n"},
        {1, 0x180, 10, "=G\r", {0x00, 0x20, 0x40, 0x60, 0x80, 0xA0, 0xC0, 0xE0, 0x100, 0x120, 0x120, 0x140, 0x160},
         {setMode(1, 0, 0x180), setMode(1, 0x120, 0x60)},
         "ISP Mode Status Request ...\n0x0632 0x0000 0xf9ce \n0x0733 0x0001 0xf8cc \nSetting ISP Mode...\n"},
        {7, 0x180, 2, wire::nack(0x501),
         {0x100, 0x120, 0x120, 0x140, 0x160, 0x00, 0x20, 0x40, 0x60, 0x80, 0xA0, 0xC0, 0xE0},
         {setMode(7, 0x100, 0x80), setMode(7, 0x120, 0x60), setMode(7, 0, 0x100)},
         "ISP Mode Status Request ...\n0x0632 0x0000 0xf9ce \n0x0733 0x0007 0xf8c6 \n"
         "Addr - 0x00000120\nSetting ISP Mode...\n"},
        {5, 0x180, 7, wire::nack(0x501),
         {0x100, 0x120, 0x140, 0x160, 0x00, 0x20, 0x40, 0x40, 0x60, 0x80, 0xA0, 0xC0, 0xE0},
         {setMode(5, 0x100, 0x80), setMode(5, 0, 0x100), setMode(5, 0x40, 0xC0)},
         "\nISP Mode Status Request ...\nSetting ISP Mode...\n"},
        // A refusal whose code the line changed fails its checksum: still a refusal.
        {5, 0x180, 7, damagedRefusal(),
         {0x100, 0x120, 0x140, 0x160, 0x00, 0x20, 0x40, 0x40, 0x60, 0x80, 0xA0, 0xC0, 0xE0},
         {setMode(5, 0x100, 0x80), setMode(5, 0, 0x100), setMode(5, 0x40, 0xC0)},
         "Bad checksum\nISP Mode Status Request ...\nSetting ISP Mode...\n", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        reopen();
        std::size_t from = console_.text().size();
        const std::string image = imageBytes(c.size);
        if (c.refusedBlock != 0) card_.answerWith(0xF501, c.refusal, c.refusedBlock, c.refusedBlock);
        ASSERT_EQ(load(image, c.device), 0);
        std::vector<wire::Words> blocks;
        for (std::size_t address : c.blocks) blocks.push_back(blockPacket(image, address, {0xF501}));
        EXPECT_EQ(card_.packetsWith(0xF501), blocks);
        EXPECT_EQ(card_.packetsWith(0x5502), c.modes);
        EXPECT_EQ(card_.log[1], c.device == 1 ? "F501" : "0632") << "devices 5 and 7: a status request after the erase";
        EXPECT_EQ(Log(card_.log.end() - 2, card_.log.end()), (Log{"=MA", "=MR"}));
        std::string text = console_.text().substr(from);
        if (c.refusedBlock == 0) {
            EXPECT_EQ(text, c.text);
            continue;
        }
        EXPECT_EQ(text.find("\nNACK received. Retry ... \n") != std::string::npos, !c.damaged);
        EXPECT_NE(text.find(c.text), std::string::npos);
        EXPECT_EQ(text.find("Addr - ") != std::string::npos, c.text.find("Addr - ") != std::string::npos);
    }
}

// 400 KiB: one line each time the block address passes the next multiple
// of 409600 / 5000 = 81. The last block is at 409568, so the line count is
// 409568 / 81 rounded up, 5057.
TEST_F(LoadFile, LargeImagePrintsAboutFiveThousandProgressLines) {
    ASSERT_EQ(load(imageBytes(409600), 1), 0);
    EXPECT_EQ(card_.packetsWith(0xF501).size(), 409600u / 32);
    std::string text = console_.text();
    std::size_t lines = 0;
    for (std::size_t at = 0; (at = text.find("\rJob at ", at)) != std::string::npos; ++at) ++lines;
    EXPECT_EQ(lines, 5057u + 1u) << "and the closing line";
    EXPECT_NE(text.find("Begin Job...\n\rJob at 0.01 %\rJob at 0.02 %\rJob at 0.05 %"), std::string::npos);
    EXPECT_NE(text.find("\rJob at 99.97 %\rJob at 99.99 %\rJob at 100%\t\t\t\t\n"), std::string::npos);
}

TEST_F(LoadFile, BlockRefusedSevenTimesEndsTheDownloadForEveryDevice) {
    const std::string image = imageBytes(0x140);
    for (int device : {1, 5}) {
        SCOPED_TRACE(device);
        reopen();
        card_.answerWith(0xF501, wire::nack(0x501), 2);
        EXPECT_EQ(load(image, device), -1);
        std::vector<wire::Words> blocks = card_.packetsWith(0xF501);
        ASSERT_EQ(blocks.size(), 8u) << "one accepted block, then the refused one seven times";
        for (std::size_t i = 2; i < blocks.size(); ++i) EXPECT_EQ(blocks[i], blocks[1]);
        EXPECT_EQ(card_.packetsWith(0x5502).size(), 1u + 6u);
        EXPECT_EQ(card_.log.back(), "0632") << "nothing after the last status request";
    }
}

// The card's answers end it, or the line, or a file too small for its device.
TEST_F(LoadFile, DownloadThatCannotGoOnEndsEarly) {
    const struct {
        std::size_t size;
        int device;
        Log log;
        std::string text;
        sim::Nanos endsAt;
        char refusedMicro = 0;        // the micro command answered with a refusal
        std::uint16_t statusOf = 0;  // the device the status request names instead
    } cases[] = {
        {0x200, 5, {"5502", "0632"},
         "File Size : 512 bytes\nSetting ISP Mode...\nErasing device...\nDevice not setted !\n\n"
         "Time : 0 minutes 20 seconds\n", 20000 * kMs, 0, 7},
        {0x1000, 0, {"=MP", "=MR"},
         "File Size : 4096 bytes\nSoft Reset...\nInvalid command from micro ...\n\n=MR\r\n\n"
         "Time : 0 minutes 0 seconds\n", 0, 'R'},
        {64, 1, {},
         "File Size : 64 bytes\nThe line never falls silent. Download not started.\n\n"
         "Time : 0 minutes 5 seconds\n", 5000 * kMs},
        {255, 5, {}, "File x.bin is too small for device 5 : 255 bytes (256 at least).\n", 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        reopen();
        std::size_t from = console_.text().size();
        if (c.text.find("never falls silent") != std::string::npos) card_.sendAt(0, std::string(8000, 'x'), kMs);
        card_.answerMicro = [&c](char letter) { return std::string(letter == c.refusedMicro ? "=M~" : "=M*"); };
        if (c.statusOf != 0) card_.answerWith(0x0632, wire::packet({0x0733, c.statusOf}));
        EXPECT_EQ(load(imageBytes(c.size), c.device), -1);
        EXPECT_EQ(card_.log, c.log);
        EXPECT_EQ(simport::written().empty(), c.log.empty());
        EXPECT_EQ(console_.text().substr(from), c.text);
        EXPECT_GE(simport::now(), c.endsAt);
        EXPECT_LT(simport::now(), c.endsAt + 100 * kMs);
    }
}

}  // namespace
