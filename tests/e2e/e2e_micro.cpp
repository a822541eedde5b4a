// The real tool against cardsim over a pseudo-terminal: MICRO from a card in
// boot mode, from a running firmware and from an old firmware, and the
// card's micro.bin compared with where the image must land. Most runs are
// against cardsim --fast; the one whose subject is the line's time is paced.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>

#include "sim/card_choices.h"
#include "sim/samples/firmware_image.h"
#include "tests/e2e/processes.h"

namespace {

std::string flashText(const std::vector<std::uint8_t>& data) {
    std::vector<std::uint8_t> flash = sim::flashImageOf(data, sim::choices::kMicroFlashSize);
    return {flash.begin(), flash.end()};
}

// One MICRO run against a cardsim started with `options` and a state directory.
void programMicro(const std::string& dir, const std::vector<std::string>& options,
                  const std::vector<std::uint8_t>& data) {
    std::vector<std::string> all{"--state", dir + "/state"};
    all.insert(all.end(), options.begin(), options.end());
    Cardsim card(dir, all);
    ProcessResult run = runProgram(UPDATER_BIN, dir, {card.link(), "MICRO"});
    EXPECT_EQ(run.status, 0) << run.output;
    EXPECT_NE(run.output.find("\nEND...REBOOT THE DEVICE!\n"), std::string::npos) << run.output;
    EXPECT_EQ(card.stop(), 0);
    EXPECT_TRUE(readWholeFile(dir + "/state/micro.bin") == flashText(data)) << "micro.bin differs";
}

}  // namespace

TEST(EndToEnd, MicroFromBootModeARunningFirmwareAndAnOldFirmware) {
    for (const std::vector<std::string>& options :
         {std::vector<std::string>{"--fast", "--boot"}, {"--fast"}, {"--fast", "--menu-keys-only"}}) {
        TestDir dir(true);
        programMicro(dir.path, options, sim::sampleFirmwareData());
    }
}

TEST(EndToEnd, MicroWritesAnImageMadeByObjcopy) {
    if (std::system("objcopy --version >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "binutils' objcopy is not installed";
    TestDir samples(true);
    const std::string& dir = samples.path;
    std::vector<std::uint8_t> binary(1024 + 5000);
    for (std::size_t i = 0; i < binary.size(); ++i) binary[i] = static_cast<std::uint8_t>(i * 7 + (i >> 9));
    std::ofstream(dir + "/firmware.bin", std::ios::binary)
        .write(reinterpret_cast<const char*>(binary.data()), static_cast<std::streamsize>(binary.size()));
    std::string command = "cd " + dir +
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
    TestDir samples(true);
    std::vector<std::uint8_t> kernel(0x0F0F);
    for (std::size_t i = 0; i < kernel.size(); ++i) kernel[i] = static_cast<std::uint8_t>(i * 13 + 5);
    std::ofstream(samples.path + "/uGen7144.cde", std::ios::binary)
        .write(reinterpret_cast<const char*>(kernel.data()), static_cast<std::streamsize>(kernel.size()));
    programMicro(samples.path, {"--boot", "--pace", "--delivery", "byte"}, sim::sampleFirmwareData());
}
