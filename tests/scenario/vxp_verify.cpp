// VERIFY against a scripted card: the comparison word by word, the reply
// checks, the resynchronisation and its bound, and the refusals.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "driver/exit_status.h"
#include "platform/sim/sim_port.h"
#include "tests/scenario/vxp_isp_responder.h"
#include "tests/scenario/vxp_test_files.h"
#include "tests/support/console_capture.h"
#include "tests/support/open_sim_port.h"
#include "tests/support/work_dir.h"
#include "vxp/verify.h"

namespace {

using vxptest::imageBytes;

class Verify : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(openSimPort(card_));
        exitStatus = kExitDone;
    }
    void TearDown() override {
        closeSimPort();
        if (HasFailure()) std::fprintf(stderr, "console:\n%s\n", console_.text().c_str());
    }

    // The device holds `image` as a download leaves it: erased flash after it.
    void deviceHolds(const std::string& image, std::size_t erasedTail = 64) {
        card_.flash.assign(image.begin(), image.end());
        card_.flash.resize(image.size() + erasedTail, 0xFF);
    }

    std::size_t readRequests() const {
        std::size_t n = 0;
        for (const auto& words : card_.packets) n += words[0] == 0x0639;
        return n;
    }

    WorkDir dir_;
    IspResponder card_;
    ConsoleCapture console_;
};

TEST_F(Verify, IdenticalDeviceEndsWithNoMismatchAndComparesOnlyTheImagesBytes) {
    const std::string image = imageBytes(100);
    dir_.write("Device1.bin", image);
    deviceHolds(image, 0);
    card_.flash.resize(128, 0x00);  // past the image: not compared
    EXPECT_EQ(verify("Device1.bin", 1), 0);

    EXPECT_EQ(readRequests(), 4u);
    EXPECT_EQ(card_.packets[0], wire::withChecksum({0x5502, 0x0200, 1, 0, 0, 100, 0}));
    EXPECT_EQ(console_.text(),
              "File Size : 100 bytes\nSetting ISP Mode...\n"
              "\rJob at 32.00 % --- Mismatch Total 0\rJob at 64.00 % --- Mismatch Total 0"
              "\rJob at 96.00 % --- Mismatch Total 0\rJob at 100% ----- Mismatch Total 0 \t\t\t\t"
              "\n\nTotal Time : 0 minutes 0 seconds\n");
    EXPECT_EQ(exitStatus, kExitDone);
    EXPECT_EQ(simport::keyReads(), 0);
}

TEST_F(Verify, DifferencesAreCountedPerWord) {
    const std::string image = imageBytes(0x400, 3);
    dir_.write("Device5.bin", image);
    const struct {
        std::vector<std::size_t> changedBytes;
        int mismatches;
    } cases[] = {{{0x10}, 1}, {{0x10, 0x11}, 1}, {{0x11, 0x12}, 2}, {{0x3FF, 0x200, 0x000}, 3}};
    for (const auto& c : cases) {
        closeSimPort();
        ASSERT_TRUE(openSimPort(card_));
        std::string device = image;
        for (std::size_t at : c.changedBytes) device[at] = static_cast<char>(device[at] ^ 0x5A);
        deviceHolds(device);
        exitStatus = kExitDone;
        EXPECT_EQ(verify("Device5.bin", 5), 0);
        EXPECT_EQ(exitStatus, kExitFailed) << "a device that differs fails the command";
        char closing[80];
        std::snprintf(closing, sizeof closing, "\rJob at 100%% ----- Mismatch Total %d \t\t\t\t\n",
                      c.mismatches);
        EXPECT_NE(console_.text().find(closing), std::string::npos) << closing;
    }
}

TEST_F(Verify, WrongReplyCodeReadsTheSameBlockAgain) {
    const std::string image = imageBytes(64);
    dir_.write("Device1.bin", image);
    deviceHolds(image);
    card_.answer = [this, wrongOnce = true](const wire::Words& words) mutable {
        if (words[0] == 0x0639 && wrongOnce) {
            wrongOnce = false;
            return wire::packet({0x073B, 0});
        }
        return card_.willingAnswer(words);
    };
    EXPECT_EQ(verify("Device1.bin", 1), 0);
    EXPECT_EQ(readRequests(), 3u);
    std::string text = console_.text();
    EXPECT_NE(text.find("Setting ISP Mode...\n\nBad Response - 073b \rJob at 50.00 % --- Mismatch Total 0"),
              std::string::npos);
    EXPECT_NE(text.find("Mismatch Total 0 \t\t\t\t"), std::string::npos);
}

TEST_F(Verify, RefusedReadIsResynchronisedFromItsBlock) {
    const std::string image = imageBytes(96);
    dir_.write("Device7.bin", image);
    deviceHolds(image);
    card_.answer = [this, reads = 0](const wire::Words& words) mutable {
        if (words[0] == 0x0639 && ++reads == 2) return wire::nack(0x639);
        return card_.willingAnswer(words);
    };
    EXPECT_EQ(verify("Device7.bin", 7), 0);
    EXPECT_EQ(card_.packets.back()[0], 0x0639);
    EXPECT_EQ(card_.log, (std::vector<std::string>{"5502", "0632", "0639", "0639", "0632", "5502",
                                                   "0639", "0639"}));
    EXPECT_EQ(card_.packets[5], wire::withChecksum({0x5502, 0x0200, 7, 32, 0, 64, 0}));
    EXPECT_NE(console_.text().find("ISP Mode Status Request ...\nSetting ISP Mode...\n"), std::string::npos);
    EXPECT_NE(console_.text().find("Mismatch Total 0 \t\t\t\t"), std::string::npos);
}

TEST_F(Verify, BlockRefusedSevenTimesEndsTheVerify) {
    dir_.write("Device1.bin", imageBytes(64));
    card_.answer = [this](const wire::Words& words) {
        if (words[0] == 0x0639) return wire::packet({0x073B, 0});
        return card_.willingAnswer(words);
    };
    EXPECT_EQ(verify("Device1.bin", 1), -1);
    EXPECT_EQ(readRequests(), 7u);
    EXPECT_EQ(exitStatus, kExitFailed);
    EXPECT_EQ(console_.text().substr(console_.text().size() - 28), "Press a key to continue ... ");
    EXPECT_EQ(simport::keyReads(), 1);
}

TEST_F(Verify, InvalidDeviceIsRefusedWithoutSendingAnything) {
    dir_.write("Device6.bin", imageBytes(64));
    for (int device : {6, 0}) {
        exitStatus = kExitDone;
        EXPECT_EQ(verify("Device6.bin", device), -1);
        EXPECT_EQ(exitStatus, kExitRefused);
    }
    EXPECT_EQ(simport::written(), "");
    EXPECT_EQ(console_.text(), "File Size : 64 bytes\nInvalid device ID 6\nPress a key to continue ... "
                               "File Size : 64 bytes\nInvalid device ID 0\nPress a key to continue ... ");
}

TEST_F(Verify, DeviceThatCannotBeSelectedEndsTheVerifyBeforeAnyRead) {
    dir_.write("Device5.bin", imageBytes(64));
    const wire::Words refusal = wire::withChecksum({0x1002, 0x0502, 0x0001});
    const struct {
        std::uint16_t header;  // the packet answered otherwise
        std::string answer;
        std::string text;
    } cases[] = {
        {0x5502, wire::encode(refusal),
         "\nNACK received. Retry ... \n0x5502 0x0200 0x0005 0x0000 0x0000 0x0040 0x0000 0xa8b9 \n" +
             wire::hexWords(refusal) + "Unable to send cmd.\nPress a key to continue ... "},
        {0x0632, wire::packet({0x0733, 0x0001}),
         "Setting ISP Mode...\nDevice not setted !\nPress a key to continue ... "},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.answer);
        closeSimPort();
        card_.packets.clear();
        ASSERT_TRUE(openSimPort(card_));
        std::size_t from = console_.text().size();
        card_.answer = [this, &c](const wire::Words& words) {
            return words[0] == c.header ? c.answer : card_.willingAnswer(words);
        };
        exitStatus = kExitDone;
        EXPECT_EQ(verify("Device5.bin", 5), -1);
        EXPECT_EQ(readRequests(), 0u);
        EXPECT_EQ(console_.text().substr(from), "File Size : 64 bytes\n" + c.text);
        EXPECT_EQ(exitStatus, kExitFailed);
    }
}

TEST_F(Verify, LineThatNeverFallsSilentStopsTheVerifyBeforeItStarts) {
    dir_.write("Device1.bin", imageBytes(64));
    ScriptedPeer noisy;
    closeSimPort();
    ASSERT_TRUE(openSimPort(noisy));
    noisy.sendAt(0, std::string(8000, 'x'), ScriptedPeer::kMs);
    EXPECT_EQ(verify("Device1.bin", 1), -1);
    EXPECT_EQ(simport::written(), "");
    EXPECT_GE(simport::now(), 5000 * ScriptedPeer::kMs);
    EXPECT_LT(simport::now(), 5100 * ScriptedPeer::kMs);
    EXPECT_EQ(console_.text(), "File Size : 64 bytes\nThe line never falls silent. Verify not started.\n"
                               "Press a key to continue ... ");
    EXPECT_EQ(exitStatus, kExitFailed);
}

TEST_F(Verify, FileThatCannotBeComparedWholeIsRefused) {
    dir_.write("Device1.bin", imageBytes(2097152 + 10));
    EXPECT_EQ(verify("Device1.bin", 1), -1);
    EXPECT_EQ(exitStatus, kExitRefused);
    EXPECT_EQ(simport::written(), "");
    EXPECT_EQ(console_.text(),
              "File Device1.bin is too large (2097152 bytes at most).\nPress a key to continue ... ");
}

}  // namespace
