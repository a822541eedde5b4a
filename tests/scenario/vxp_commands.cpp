// VIPER, VERIFY and STATUS against the card model (clean, holding old content,
// refusing packets), then against a scripted peer for answers the model never gives.
#include "tests/support/card_run.h"
#include "tests/support/scripted_peer.h"

namespace {

struct ViperCase {
    const char* what;
    int device;
    std::size_t size;
    std::function<void(sim::CardOptions&)> card;
    std::string console;  // found in the image's part of the console, from "Programm"
    bool whole = true;    // the console is all of that part
};

TEST(ViperOnCard, EveryDeviceEndsHoldingItsImage) {
    // clang-format off
    const ViperCase cases[] = {
        {"device 1 in one pass", 1, 100, {},
         "Programm Device1.bin ...\nFile Size : 100 bytes\nSetting ISP Mode...\nBegin Job...\n"
         "\rJob at 32.00 %\rJob at 64.00 %\rJob at 96.00 %\rJob at 100%\t\t\t\t\n\nTime : 0 minutes 15 seconds\n"},
        {"device 5: data from 0x100, then the header", 5, 362, {},
         "Programm Device5.bin ...\nFile Size : 362 bytes\nSetting ISP Mode...\nErasing device...\n"
         "Begin Job... Data ..\n\rJob at 0.00 %\rJob at 30.19 %\rJob at 60.38 %\rJob at 90.57 %"
         "\rJob at 100%\t\t\t\t\nSetting ISP Mode...\nBegin Job... Header...\n"
         "\rJob at 12.50 %\rJob at 25.00 %\rJob at 37.50 %\rJob at 50.00 %\rJob at 62.50 %"
         "\rJob at 75.00 %\rJob at 87.50 %\rJob at 100%\t\t\t\t\nSoft Reset.\n\nTime : 0 minutes 20 seconds\n"},
        // Over the old content of the card, over 64 KiB, with some blocks refused.
        {"device 7, blocks refused", 7, 70000, [](auto& o) { o.nack = 0.05; o.nackCode = 0x501; o.seed = 3; },
         "ISP Mode Status Request ...\n0x0632 0x0000 0xf9ce \n0x0733 0x0107 0xf7c6 \nAddr - 0x", false},
        {"device 1, blocks refused", 1, 5000, [](auto& o) { o.nack = 0.1; o.nackCode = 0x501; o.seed = 4; },
         "ISP Mode Status Request ...\n0x0632 0x0000 0xf9ce \n0x0733 0x0101 0xf7cc \nSetting ISP Mode...\n", false},
        // Refusals and acknowledgements damaged on the line: each is taken as a refusal.
        {"device 1, replies damaged", 1, 5000,
         [](auto& o) { o.nack = 0.1; o.nackCode = 0x501; o.corrupt = 0.0005; o.faultsSpareHostBytes = true; o.seed = 4; },
         "Bad checksum\nISP Mode Status Request ...\n", false},
    };
    // clang-format on
    for (const ViperCase& c : cases) {
        SCOPED_TRACE(c.what);
        WorkDir dir{256};
        const std::string image = imageBytes(c.size, static_cast<std::uint32_t>(c.size));
        const std::string name = "Device" + std::to_string(c.device) + ".bin";
        dir.write(name, image);
        sim::Card card{
            keptCard(c.device, std::string(c.size + 100, '\0'), c.card)};  // old content, all bits cleared
        CardRun run =
            runOnCard(card, {"COM1", "VIPER", name}, "", {}, 0xFFFFFFFFu - 5000);  // the tick counter wraps
        EXPECT_EQ(run.status, 0);
        EXPECT_TRUE(text(card.flashDevice(c.device)) == image);
        std::size_t from = run.console.find("Programm ");
        ASSERT_NE(from, std::string::npos) << run.console;
        std::string part = run.console.substr(from, run.console.rfind("\nTotal Time : ") - from);
        EXPECT_TRUE(c.whole ? part == c.console : contains(part, c.console)) << part.substr(0, 3000);
        EXPECT_TRUE(endsWith(run.sent, "=MA\r=MR\r=ME\r"));
    }
}

// Every block (or read) refused: sent seven times, each from a fresh mode, then given up.
TEST(VxpOnCard, ABlockRefusedSevenTimesEndsTheCommand) {
    for (int device : {1, 5, 0}) {
        WorkDir dir{256};
        const bool verify = device == 0;
        const std::uint16_t code = verify ? 0x639 : 0x501;
        const std::string image = verify ? "Device5.bin" : "Device" + std::to_string(device) + ".bin";
        sim::Card card{cardOptions("SDITOHDMI", [&](auto& o) {
            o.nack = 1.0;
            o.nackCode = code;
        })};
        CardRun run = runOnCard(card, {"COM1", verify ? "VERIFY" : "VIPER", image});
        EXPECT_EQ(run.status, 1);
        const std::string refusal =
            verify ? "NACK received. Retry ... \n0x0639 0x0000 0xf9c7 \n" : "ISP Mode Status Request ...\n";
        EXPECT_EQ(count(run.console, refusal), 7u);
        EXPECT_EQ(count(run.console, "Setting ISP Mode...\n"), 7u);
        const std::string end = verify ? "ISP Mode Status Request ...\n" + kKeyPrompt
                                       : kKeyPrompt + advice("device " + std::to_string(device) +
                                                                 " may be partly written",
                                                             "VIPER " + image);
        EXPECT_TRUE(endsWith(run.console, end + kExit)) << run.console.substr(run.console.size() - 200);
        EXPECT_FALSE(contains(run.sent, "=MA\r"));
    }
}

// 400 KiB: a line each 409600 / 5000 = 81 bytes of block address to 409568, and the last.
TEST(ViperOnCard, ALargeImagePrintsAboutFiveThousandProgressLines) {
    WorkDir dir{256};
    dir.write("Device1.bin", imageBytes(409600));
    sim::Card card{sim::CardOptions{}};
    CardRun run = runOnCard(card, {"COM1", "VIPER", "Device1.bin"});
    std::string image = run.console.substr(run.console.find("Programm "));
    EXPECT_EQ(count(image, "\rJob at "), 5057u + 1u);
    EXPECT_TRUE(contains(image, "Begin Job...\n\rJob at 0.01 %\rJob at 0.02 %\rJob at 0.05 %"));
    EXPECT_TRUE(contains(image, "\rJob at 99.97 %\rJob at 99.99 %\rJob at 100%\t\t\t\t\n"));
}

// Only whole 16-byte blocks of a driver file go to the card, none from 0x2000 on.
TEST(ViperOnCard, ADriverFileGoesInWholeBlocksUpTo0x2000) {
    const std::string driver = sample("SFDriver.bin");
    ASSERT_EQ(driver.size(), 0x2000u);
    auto sentWith = [](const std::string& file) {
        WorkDir dir{256};
        dir.write("SFDriver.bin", file);
        dir.write("Device1.bin", imageBytes(100));
        sim::Card card{sim::CardOptions{}};
        CardRun run = runOnCard(card, {"COM1", "VIPER", "Device1.bin"});
        EXPECT_EQ(run.status, 0);
        EXPECT_TRUE(text(card.flashDevice(1)) == imageBytes(100));
        return run.sent;
    };
    const std::string to0x1FF0 = sentWith(driver.substr(0, 0x1FF0));
    EXPECT_EQ(sentWith(driver.substr(0, 0x1FF8)), to0x1FF0);
    const std::string whole = sentWith(driver);
    EXPECT_NE(whole, to0x1FF0);
    EXPECT_EQ(sentWith(driver + imageBytes(0x123)), whole);
}

// An odd-sized image's last word holds one byte of the file; VERIFY compares only it.
TEST(ViperOnCard, AnOddSizedImageIsWrittenAndVerifiedToItsLastByte) {
    WorkDir dir{256};
    const std::string image = imageBytes(101, 7);
    dir.write("Device1.bin", image);
    sim::Card card{sim::CardOptions{}};
    EXPECT_EQ(runOnCard(card, {"COM1", "VIPER", "Device1.bin"}).status, 0);
    EXPECT_TRUE(text(card.flashDevice(1)) == image);
    const std::string total = "\rJob at 100% ----- Mismatch Total ";
    EXPECT_TRUE(contains(runOnCard(card, {"COM1", "VERIFY", "Device1.bin"}).console, total + "0 "));
    std::string changed = image;
    changed[100] = static_cast<char>(changed[100] ^ 0x01);
    dir.write("Device1.bin", changed);
    CardRun verify = runOnCard(card, {"COM1", "VERIFY", "Device1.bin"});
    EXPECT_TRUE(contains(verify.console, total + "1 ")) << verify.console;
    EXPECT_EQ(verify.status, 1);
}

struct VerifyCase {
    const char* what;
    std::string device;  // what the card's device 5 holds
    std::function<void(sim::CardOptions&)> card = {};
    std::string console;  // found in the console after the banner
    int status;
    bool whole = false;  // the console is all of it
};

TEST(VerifyOnCard, DifferencesAreCountedPerWord) {
    const std::string image = imageBytes(100, 5);
    auto changed = [&](std::vector<std::size_t> at) {
        std::string device = image;
        for (std::size_t k : at) device[k] = static_cast<char>(device[k] ^ 0x5A);
        return device;
    };
    const std::string total = "\rJob at 100% ----- Mismatch Total ";
    // clang-format off
    const VerifyCase cases[] = {
        {.what = "equal, and what lies past the image is not compared", .device = image + std::string(28, '\0'),
         .console = "File Size : 100 bytes\nSetting ISP Mode...\n"
                    "\rJob at 32.00 % --- Mismatch Total 0\rJob at 64.00 % --- Mismatch Total 0"
                    "\rJob at 96.00 % --- Mismatch Total 0" + total +
                    "0 \t\t\t\t\n\nTotal Time : 0 minutes 0 seconds\n" + kExit,
         .status = 0, .whole = true},
        {.what = "both bytes of a word", .device = changed({0x10, 0x11}), .console = total + "1 ",
         .status = 1},
        {.what = "first and last word", .device = changed({0x00, 0x30, 0x63}), .console = total + "3 ",
         .status = 1},
        {.what = "reads refused, read again from a fresh mode", .device = image,
         .card = [](auto& o) { o.nack = 0.3; o.nackCode = 0x639; o.seed = 2; },
         .console = "ISP Mode Status Request ...\nSetting ISP Mode...\n", .status = 0},
    };
    // clang-format on
    for (const VerifyCase& c : cases) {
        SCOPED_TRACE(c.what);
        WorkDir dir;
        dir.write("Device5.bin", image);
        sim::Card card{keptCard(5, c.device, c.card)};
        CardRun run = runOnCard(card, {"COM1", "VERIFY", "Device5.bin"});
        EXPECT_EQ(run.status, c.status);
        EXPECT_TRUE(c.whole ? run.console == c.console : contains(run.console, c.console)) << run.console;
    }
}

const std::string kReport = "\n/********** VXP STATUS ***********/ \n"
                            "\nDevice Name         -> VIPER GF9321"
                            "\nDevice Type         -> GF9321"
                            "\nOSD Load Status     -> Awaiting trigger of manual OSD bulk load"
                            "\nConfig Status       -> Configuration complete"
                            "\nMemory Devices      ->\n\r"
                            "    Video Memory:  \n"
                            "           SDRAM 1 Detected           SDRAM 4 Detected \n"
                            "           SDRAM 2 Detected           SDRAM 5 Detected \n"
                            "           SDRAM 3 Detected\n"
                            "    OSD Memory:  \n"
                            "           SDRAM 1 Not Detected           SDRAM 2 Not Detected\n"
                            "    Flash Memory:  \n"
                            "           CS0 Detected           CS4 Detected\n"
                            "           CS1 Not Detected           CS5 Not Detected\n"
                            "           CS2 Not Detected               CS6 Not Detected\n"
                            "           CS3 Not Detected               CS7 Not Detected\n"
                            "SDRAM Calibration   ->\n\r"
                            "    OSD : \n"
                            "           Byte 0 : Passed            Byte 2 : Not Passed\n"
                            "           Byte 1 : Passed            Byte 3 : Passed\n"
                            "    Video: \n"
                            "           Byte 0 : Passed            Byte 5 : Not Passed\n"
                            "           Byte 1 : Not Passed            Byte 6 : Not Passed\n"
                            "           Byte 2 : Passed            Byte 7 : Not Passed\n"
                            "           Byte 3 : Not Passed            Byte 8 : Not Passed\n"
                            "           Byte 4 : Passed            Byte 9 : Passed\n"
                            "\n/******** END OF VXP STATUS ********/ "
                            "\nPress Enter to refresh or 'Q' to quit ";

TEST(StatusOnCard, EachKeyButQRefreshesTheReport) {
    auto named = [](sim::CardOptions& o) {
        o.vxpName = "VIPER GF9321";
        o.vxpStatus = 0x0602;
        o.vxpDeviceType = 0x9321;
        o.vxpMemoryFlags = 0x1F11;
        o.osdCalibration = 0x000B;
        o.videoCalibration = 0x0215;
    };
    for (const char* keys : {"\rxQ", "q", ""}) {
        sim::Card card{cardOptions("SDITOHDMI", named)};
        CardRun run = runOnCard(card, {"COM1", "STATUS"}, keys);
        std::string reports;
        for (std::size_t i = 0; i < std::max<std::size_t>(1, std::string(keys).size()); ++i) reports += kReport;
        EXPECT_EQ(run.console, reports + kExit) << keys;
        EXPECT_EQ(run.status, 0);
    }
}

TEST(StatusOnCard, UnknownStatusValuesAllFlagsSetAndACardGoneQuiet) {
    sim::Card unknown{cardOptions("SDITOHDMI", [](auto& o) {
        o.vxpStatus = 0x0705;
        o.vxpMemoryFlags = 0xFFFF;
        o.osdCalibration = 0x00FF;
        o.videoCalibration = 0xFFFF;
    })};
    CardRun all = runOnCard(unknown, {"COM1", "STATUS"});
    EXPECT_TRUE(
        contains(all.console, "\nOSD Load Status     -> Error Unknown\nConfig Status       -> Error Unknown\n"));
    EXPECT_EQ(count(all.console, "Not "), 0u);
    EXPECT_EQ(count(all.console, "Detected"), 15u);
    EXPECT_EQ(count(all.console, "Passed"), 14u);
    EXPECT_TRUE(contains(all.console, "               CS7 Detected \nSDRAM Calibration"));
    EXPECT_TRUE(contains(all.console, "            Byte 9 : Passed\n"));

    // Gone after the identification: every question times out, the report is of zeros.
    sim::Card gone{cardOptions("SDITOHDMI", [](auto& o) { o.vanishAfter = kOpening.size() + 1; })};
    CardRun quiet = runOnCard(gone, {"COM1", "STATUS"});
    std::string timeouts;
    for (int i = 0; i < 10; ++i) timeouts += "Timeout. Retry...SendISP\n";
    timeouts += "Unable to send command. Exit.SendISP\n";
    EXPECT_EQ(quiet.console.rfind(timeouts + timeouts + timeouts + timeouts +
                                      "\n/********** VXP STATUS ***********/ \n\nDevice Name         -> " +
                                      std::string(12, '\0') +
                                      "\nDevice Type         -> GF0\nOSD Load Status     -> OSD Load Table OK"
                                      "\nConfig Status       -> Insystem program mode\n",
                                  0),
              0u);
    EXPECT_EQ(count(quiet.console, "Not Detected"), 15u);
    EXPECT_EQ(count(quiet.console, "Not Passed"), 14u);
    EXPECT_EQ(quiet.status, 1);
}

// Answers the card model never gives, in turn to each command after the identification.
TEST(VxpOnScriptedCard, AnswersTheCardModelNeverGives) {
    const std::string ack502 = packet(0x603, {0x0502}), selected1 = packet(0x733, {0x0201});
    std::vector<std::string> wrongReads{ack502, selected1};
    std::string badResponses = "File Size : 64 bytes\nSetting ISP Mode...\n";
    // After each wrong reply, a status request and the mode set again from the block.
    for (int i = 0; i < 7; ++i) {
        wrongReads.insert(wrongReads.end(), {packet(0x73B, {0}), selected1});
        badResponses += "\nBad Response - 073b ISP Mode Status Request ...\n";
        if (i == 6) break;
        wrongReads.push_back(ack502);
        badResponses += "Setting ISP Mode...\n";
    }
    // VIPER through the driver (384 blocks, its call) to device 5's erase; then device 1 selected.
    std::vector<std::string> otherDevice{"=M*", "=M*"};
    otherDevice.insert(otherDevice.end(), 384, packet(0x60E, {0x050D}));
    otherDevice.insert(otherDevice.end(), {packet(0x903, {0x0802}), ack502, selected1});
    // clang-format off
    const struct {
        const char* what;
        std::vector<std::string> args;
        std::vector<std::string> answers;  // to each command ending in "\r", in turn
        std::string ending;
        std::string advice = "";  // the last line but the exit's, while the card is at risk
        bool noisy = false;
    } cases[] = {
        {"a read answered with another code, seven times", {"COM1", "VERIFY", "Device1.bin"}, wrongReads,
         badResponses},
        {"another device selected", {"COM1", "VERIFY", "Device1.bin"}, {ack502, packet(0x733, {0x0205})},
         "File Size : 64 bytes\nSetting ISP Mode...\nDevice not setted !\n"},
        {"the erase: another device selected", {"COM1", "VIPER", "Device5.bin"}, otherDevice,
         "Setting ISP Mode...\nErasing device...\nDevice not setted !\n\nTime : 0 minutes 20 seconds\n",
         advice("device 5 may be partly written", "VIPER Device5.bin")},
        {"the reset refused", {"COM1", "VIPER", "Device1.bin"}, {"=M*", "=M~"},
         "Soft Reset...\nInvalid command from micro ...\n\n=MR\r\n\nTime : 0 minutes 0 seconds\n",
         advice("the video processor may be left stopped for programming", "VIPER Device1.bin")},
        {"a line that never falls silent", {"COM1", "VERIFY", "Device1.bin"}, {},
         "File Size : 64 bytes\nThe line never falls silent. Verify not started.\n", "", true},
        {"a line that never falls silent: VIPER gives it five seconds", {"COM1", "VIPER", "Device5.bin"}, {},
         "The line never falls silent. Download not started.\n\nTime : 0 minutes 5 seconds\n", "", true},
    };
    // clang-format on
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        WorkDir dir{256};
        dir.write("Device1.bin", imageBytes(64));
        ScriptedPeer peer;
        answerOpening(peer);
        for (const std::string& answer : c.answers) peer.onWrite("\r", answer, ScriptedPeer::kMs);
        if (c.noisy) peer.sendAt(0, std::string(12000, 'x'), ScriptedPeer::kMs);
        CardRun run = runOnCard(peer, c.args);
        EXPECT_TRUE(endsWith(run.console, c.ending + kKeyPrompt + c.advice + kExit)) << run.console;
        EXPECT_EQ(run.status, 1);
    }
}

}  // namespace
