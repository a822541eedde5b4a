// The real tool against cardsim over a pseudo-terminal: MICRO from a card in
// boot mode, with an image made by a common toolchain (against cardsim
// --fast) and with a kernel whose length bytes are equal (against a paced
// card: its subject is the line's time); the card's micro.bin compared with
// where the image must land.
#include <gtest/gtest.h>

#include <cstdlib>

#include "sim/card_choices.h"
#include "sim/samples/firmware_image.h"
#include "tests/support/processes.h"

namespace {

// One MICRO run in `dir` against a cardsim started with `options` and a state directory.
void programMicro(const WorkDir& dir, const std::vector<std::string>& options,
                  const std::vector<std::uint8_t>& data) {
    std::vector<std::string> all{"--state", dir.path() + "/state"};
    all.insert(all.end(), options.begin(), options.end());
    Cardsim card(dir.path(), all);
    ProcessResult run = runProgram(UPDATER_BIN, dir.path(), {card.link(), "MICRO"});
    EXPECT_EQ(run.status, 0) << run.output;
    EXPECT_NE(run.output.find("\nEND...REBOOT THE DEVICE!\n"), std::string::npos) << run.output;
    EXPECT_EQ(card.stop(), 0);
    std::vector<std::uint8_t> flash = sim::flashImageOf(data, sim::choices::kMicroFlashSize);
    EXPECT_TRUE(dir.read("state/micro.bin") == std::string(flash.begin(), flash.end())) << "micro.bin differs";
}

}  // namespace

TEST(EndToEnd, MicroWritesAnImageMadeByObjcopy) {
    if (std::system("objcopy --version >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "binutils' objcopy is not installed";
    WorkDir dir;
    dir.writeSamples();
    std::vector<std::uint8_t> binary(1024 + 5000);
    for (std::size_t i = 0; i < binary.size(); ++i) binary[i] = static_cast<std::uint8_t>(i * 7 + (i >> 9));
    dir.write("firmware.bin", std::string(binary.begin(), binary.end()));
    std::string command = "cd " + dir.path() +
                          " && objcopy -I binary -O srec --srec-forceS3 --srec-len=16 firmware.bin appMain.mot"
                          " && printf 'S305FFFF80007C\\r\\n' >> appMain.mot";
    ASSERT_EQ(std::system(command.c_str()), 0);
    programMicro(dir, {"--fast", "--boot"}, binary);
}

// A micro kernel whose two length bytes are equal (3855 bytes: 0x0F 0x0F),
// on a card that keeps the line's time and hands each byte over as it
// comes: the echo of the second length byte comes two byte times after it
// is sent, and the echo of the first one, still in the tool's buffer, must
// not be taken for it.
TEST(EndToEnd, MicroWithAKernelWhoseLengthBytesAreEqualOnAPacedCard) {
    WorkDir dir;
    dir.writeSamples();
    std::string kernel(0x0F0F, '\0');
    for (std::size_t i = 0; i < kernel.size(); ++i) kernel[i] = static_cast<char>(i * 13 + 5);
    dir.write("uGen7144.cde", kernel);
    programMicro(dir, {"--boot", "--pace", "--delivery", "byte"}, sim::sampleFirmwareData());
}
