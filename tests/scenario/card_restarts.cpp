// Faults a technician meets beyond a noisy line: the card's adapter pulled
// out and put back, or the card restarting in the middle of an update, its
// memories keeping what was written.
#include "boot/commands.h"
#include "tests/support/card_run.h"

namespace {

// `memory` holds the start of `image` from `from` on, neither none of it nor
// all, and is erased after it.
bool partlyWritten(const std::vector<std::uint8_t>& memory, const std::string& image, std::size_t from) {
    std::size_t written = from;
    while (written < std::min(image.size(), memory.size()) && memory[written] == std::uint8_t(image[written]))
        ++written;
    return written != from && written != image.size() &&
           std::all_of(memory.begin() + std::ptrdiff_t(written), memory.end(),
                       [](std::uint8_t b) { return b == 0xFF; });
}

// The adapter pulled out during identification and put back three seconds
// later: the port is opened again until it is there, and the update runs to
// its end. Pulled out for good in the middle of the image: the run fails
// within the link's own limits.
TEST(Unplugged, FoundAgainWhenBackAndAFailureWithinTheLinksLimitsWhenGone) {
    WorkDir dir{256};
    const std::string image = sample("Device5.bin");
    sim::Card back{cardOptions("SDITOHDMI", [](auto& o) {
        o.unplugAfter = 10;
        o.goneForMs = 3000;
    })};
    CardRun found = runOnCard(back, {"COM1", "VIPER", "Device5.bin"});
    EXPECT_EQ(found.status, 0) << found.output;
    EXPECT_TRUE(text(back.flashDevice(5)) == image);
    EXPECT_GT(simport::opens(), 1);

    sim::Card gone{cardOptions("SDITOHDMI", [](auto& o) { o.unplugAfter = 40000; })};
    CardRun lost = runOnCard(gone, {"COM1", "VIPER", "Device5.bin"});
    EXPECT_EQ(lost.status, 1);
    EXPECT_TRUE(
        endsWith(lost.output, kKeyPrompt + advice("device 5 may be partly written", "VIPER Device5.bin") + kExit));
    EXPECT_LT(lost.seconds, 60.0);  // the driver's download and one exchange's waits
    EXPECT_TRUE(partlyWritten(gone.flashDevice(5), image, 0x100));
}

// A card started again from its state files starts as the card that saved
// them would: one whose microcontroller's flash was never written runs the
// firmware it was made with; one whose flash the boot program erased (a
// MICRO cut short) starts in its boot program, and the next MICRO writes it.
TEST(StateFiles, ACardStartedAgainStartsAsTheOneThatSavedThem) {
    WorkDir dir;
    dir.writeSamples(256);
    std::filesystem::create_directory("card-state");
    auto kept = [](bool bootMode, std::uint64_t restartAfter) {
        return cardOptions("SDITOHDMI", [=](auto& o) {
            o.stateDir = "card-state";
            o.bootMode = bootMode;
            o.restartAfter = restartAfter;
        });
    };
    sim::Card(kept(false, 0)).saveState();
    ASSERT_EQ(dir.read("card-state/micro.bin"), "") << "saved as erased, the card would start in its boot program";
    sim::Card asMade{kept(false, 0)};
    EXPECT_TRUE(contains(runOnCard(asMade, {"COM1", "STATUS"}, "q").output, "END OF VXP STATUS"));

    sim::Card cutShort{kept(true, 4000)};  // in the main kernel, the flash erased
    CardRun cut = runOnCard(cutShort, {"COM1", "MICRO"});
    EXPECT_EQ(cut.status, 1);
    const std::string risk = "the microcontroller's flash may be partly written and the card stays in boot mode";
    EXPECT_TRUE(endsWith(cut.output, advice(risk, "MICRO") + kExit)) << cut.output;
    cutShort.saveState();
    sim::Card erased{kept(false, 0)};
    flag = 0;
    CardRun again = runOnCard(erased, {"COM1", "MICRO"});
    EXPECT_EQ(again.status, 0) << again.output;
    EXPECT_TRUE(contains(again.output, "(BOOT MODE)"));
}

}  // namespace
