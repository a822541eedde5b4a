// MICRO of the real tool against cardsim in boot mode, an image made by a toolchain
// and a kernel whose length bytes are equal; micro.bin against where it must land.
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

// A kernel of 0x0F0F bytes on a paced card handing over each byte as it comes: the
// first length byte's echo is not taken for the second's.
TEST(EndToEnd, MicroWithAKernelWhoseLengthBytesAreEqualOnAPacedCard) {
    WorkDir dir;
    dir.writeSamples();
    std::string kernel(0x0F0F, '\0');
    for (std::size_t i = 0; i < kernel.size(); ++i) kernel[i] = static_cast<char>(i * 13 + 5);
    dir.write("uGen7144.cde", kernel);
    programMicro(dir, {"--boot", "--pace", "--delivery", "byte"}, sim::sampleFirmwareData());
}
