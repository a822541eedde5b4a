// VERIFY against a scripted card: the comparison word by word, the reply
// checks, the resynchronisation and its bound, and the refusals.
#include "tests/scenario/vxp_isp_responder.h"
#include "vxp/verify.h"

namespace {

class Verify : public ScriptedCardTest {
protected:
    // The file holds `image`; the device holds `device` as a download leaves it: erased flash after it.
    void prepare(const char* name, const std::string& image, const std::string& device) {
        dir_.write(name, image);
        card_.flash.assign(device.begin(), device.end());
        card_.flash.resize(device.size() + 64, 0xFF);
    }
};

TEST_F(Verify, IdenticalDeviceEndsWithNoMismatchAndComparesOnlyTheImagesBytes) {
    const std::string image = imageBytes(100);
    dir_.write("Device1.bin", image);
    card_.flash.assign(image.begin(), image.end());
    card_.flash.resize(128, 0x00);  // past the image: not compared
    EXPECT_EQ(verify("Device1.bin", 1), 0);
    EXPECT_EQ(card_.packets[0], wire::withChecksum({0x5502, 0x0200, 1, 0, 0, 100, 0}));
    EXPECT_EQ(console_.text(),
              "File Size : 100 bytes\nSetting ISP Mode...\n"
              "\rJob at 32.00 % --- Mismatch Total 0\rJob at 64.00 % --- Mismatch Total 0"
              "\rJob at 96.00 % --- Mismatch Total 0\rJob at 100% ----- Mismatch Total 0 \t\t\t\t"
              "\n\nTotal Time : 0 minutes 0 seconds\n");
    EXPECT_EQ(exitStatus, kExitDone);
    EXPECT_EQ(simport::keyReads(), 0);
}

TEST_F(Verify, DifferencesAreCountedPerWordAndFailTheCommand) {
    const std::string image = imageBytes(0x400, 3);
    const struct {
        std::vector<std::size_t> changedBytes;
        int mismatches;
    } cases[] = {{{0x10}, 1}, {{0x10, 0x11}, 1}, {{0x11, 0x12}, 2}, {{0x3FF, 0x200, 0x000}, 3}};
    for (const auto& c : cases) {
        reopen();
        std::size_t from = console_.text().size();
        std::string device = image;
        for (std::size_t at : c.changedBytes) device[at] = static_cast<char>(device[at] ^ 0x5A);
        prepare("Device5.bin", image, device);
        EXPECT_EQ(verify("Device5.bin", 5), 0);
        EXPECT_EQ(exitStatus, kExitFailed);
        const std::string closing = "\rJob at 100% ----- Mismatch Total " + std::to_string(c.mismatches) + " \t\t\t\t";
        EXPECT_NE(console_.text().find(closing, from), std::string::npos) << closing;
    }
}

TEST_F(Verify, RefusedReadIsResynchronisedFromItsBlock) {
    const std::string image = imageBytes(96);
    prepare("Device7.bin", image, image);
    card_.answerWith(0x0639, wire::nack(0x639), 2, 2);
    EXPECT_EQ(verify("Device7.bin", 7), 0);
    EXPECT_EQ(card_.log, (std::vector<std::string>{"5502", "0632", "0639", "0639", "0632", "5502", "0639", "0639"}));
    EXPECT_EQ(card_.packets[5], wire::withChecksum({0x5502, 0x0200, 7, 32, 0, 64, 0}));
    EXPECT_NE(console_.text().find("ISP Mode Status Request ...\nSetting ISP Mode...\n"), std::string::npos);
    EXPECT_NE(console_.text().find("Mismatch Total 0 \t\t\t\t"), std::string::npos);
}

// A reply of another code is followed by a status request and the mode set
// again from the block, as after a refused read: the driver may have moved
// on to the next block. Seven reads at most.
TEST_F(Verify, BlockAnsweredWronglySevenTimesEndsTheVerify) {
    prepare("Device1.bin", imageBytes(64), imageBytes(64));
    card_.answerWith(0x0639, wire::packet({0x073B, 0}), 1, 1000);
    EXPECT_EQ(verify("Device1.bin", 1), -1);
    std::vector<std::string> log{"5502", "0632"};
    for (int i = 0; i < 6; ++i) log.insert(log.end(), {"0639", "0632", "5502"});
    log.insert(log.end(), {"0639", "0632"});
    EXPECT_EQ(card_.log, log);
    EXPECT_EQ(exitStatus, kExitFailed);
    std::string text = "File Size : 64 bytes\nSetting ISP Mode...\n";
    for (int i = 0; i < 6; ++i) text += "\nBad Response - 073b ISP Mode Status Request ...\nSetting ISP Mode...\n";
    text += "\nBad Response - 073b ISP Mode Status Request ...\n";
    EXPECT_EQ(console_.text(), text + kPrompt);
    EXPECT_EQ(simport::keyReads(), 1);
}

// A file too large or empty, a line that never falls silent (the drain gives up
// after 5 s), a device that does not exist: nothing is sent. A mode refused
// or a device not taken: nothing is read.
TEST_F(Verify, VerifyThatCannotStartOrSelectItsDeviceEndsBeforeAnyRead) {
    const wire::Words refusal = wire::withChecksum({0x1002, 0x0502, 0x0001});
    const struct {
        std::size_t size;
        int device;
        std::vector<std::string> log;
        ExitStatus status;
        std::string text;
        std::uint16_t header = 0;  // the packet answered with `answer`
        std::string answer = "";
    } cases[] = {
        {2097152 + 10, 1, {}, kExitRefused, "File Device1.bin is too large (2097152 bytes at most).\n"},
        {0, 1, {}, kExitRefused, "File Device1.bin is empty.\n"},
        {64, 1, {}, kExitFailed, "File Size : 64 bytes\nThe line never falls silent. Verify not started.\n"},
        {64, 6, {}, kExitRefused, "File Size : 64 bytes\nInvalid device ID 6\n"},
        {64, 0, {}, kExitRefused, "File Size : 64 bytes\nInvalid device ID 0\n"},
        {64, 5, {"5502"}, kExitFailed,
         "File Size : 64 bytes\n\nNACK received. Retry ... \n"
         "0x5502 0x0200 0x0005 0x0000 0x0000 0x0040 0x0000 0xa8b9 \n" +
             wire::hexWords(refusal) + "Unable to send cmd.\n",
         0x5502, wire::encode(refusal)},
        {64, 5, {"5502", "0632"}, kExitFailed, "File Size : 64 bytes\nSetting ISP Mode...\nDevice not setted !\n",
         0x0632, wire::packet({0x0733, 0x0001})},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        reopen();
        dir_.write("Device1.bin", imageBytes(c.size));
        const bool noisy = c.text.find("never falls silent") != std::string::npos;
        if (noisy) card_.sendAt(0, std::string(8000, 'x'), kMs);
        if (c.header != 0) card_.answerWith(c.header, c.answer);
        std::size_t from = console_.text().size();
        EXPECT_EQ(verify("Device1.bin", c.device), -1);
        EXPECT_EQ(exitStatus, c.status);
        EXPECT_EQ(console_.text().substr(from), c.text + kPrompt);
        EXPECT_EQ(card_.log, c.log);
        EXPECT_EQ(simport::written().empty(), c.log.empty());
        EXPECT_GE(simport::now(), noisy ? 5000 * kMs : 0);
        EXPECT_LT(simport::now(), (noisy ? 5100 : 100) * kMs);
    }
}

}  // namespace
