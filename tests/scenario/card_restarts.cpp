// Faults a technician meets beyond a noisy line: the card restarts in the
// middle of an update (its memories keep what was written), or its adapter
// is pulled out and put back. A run never ends well unless the card holds
// what it was to write; one that fails says what may be partly written and
// what to run again; a card back on the line is found again.
#include "boot/commands.h"
#include "sim/card_choices.h"
#include "sim/samples/firmware_image.h"
#include "tests/support/card_run.h"

namespace {

constexpr std::uint8_t kErased = 0xFF;

// The first `written` bytes of `image` from `from` on are in `memory`, and
// everything else from `from` on is erased; `written` is neither 0 nor all.
bool partlyWritten(const std::vector<std::uint8_t>& memory, const std::string& image, std::size_t from) {
    std::size_t written = from;
    while (written < image.size() && written < memory.size() &&
           memory[written] == static_cast<std::uint8_t>(image[written])) {
        ++written;
    }
    if (written == from || written == image.size()) return false;
    return std::all_of(memory.begin() + static_cast<std::ptrdiff_t>(written), memory.end(),
                       [](std::uint8_t byte) { return byte == kErased; });
}

bool erased(const std::vector<std::uint8_t>& memory, std::size_t from, std::size_t to) {
    return std::all_of(memory.begin() + static_cast<std::ptrdiff_t>(from),
                       memory.begin() + static_cast<std::ptrdiff_t>(std::min(to, memory.size())),
                       [](std::uint8_t byte) { return byte == kErased; });
}

TEST(Restarts, TheRunFailsSaysWhatToRunAgainAndTheMemoriesKeepWhatWasWritten) {
    const std::string microAtRisk =
        "the microcontroller's flash may be partly written and the card stays in boot mode";
    // clang-format off
    const struct {
        const char* what;
        std::vector<std::string> args;
        std::function<void(sim::CardOptions&)> card;
        std::string advice;
        std::function<bool(const sim::Card&)> memories;
    } cases[] = {
        {.what = "VIPER: in the image's data, after the erase",
         .args = {"COM1", "VIPER", "Device5.bin"}, .card = [](auto& o) { o.restartAfter = 40000; },
         .advice = advice("device 5 may be partly written", "VIPER Device5.bin"),
         .memories = [](const sim::Card& card) {
             return erased(card.flashDevice(5), 0, 0x100) &&
                    partlyWritten(card.flashDevice(5), sample("Device5.bin"), 0x100);
         }},
        {.what = "MICRO: in the main kernel, the flash erased: the card comes back in boot mode",
         .args = {"COM1", "MICRO"}, .card = [](auto& o) { o.bootMode = true; o.restartAfter = 3000; },
         .advice = advice(microAtRisk, "MICRO"),
         .memories = [](const sim::Card& card) { return erased(card.microFlash(), 0, SIZE_MAX); }},
        {.what = "FPGA: in the configuration file",
         .args = {"COM1", "FPGA", "fpga.xsvf"}, .card = [](auto& o) { o.restartAfter = 3000; },
         .advice = advice("the FPGA may be partly configured", "FPGA fpga.xsvf"),
         .memories = [](const sim::Card& card) { return card.content().fpgaFile().empty(); }},
    };
    // clang-format on
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        WorkDir dir{20000};
        sim::Card card{cardOptions("SDITOHDMI", c.card)};
        flag = 0;
        CardRun run = runOnCard(card, c.args);
        EXPECT_EQ(run.status, 1);
        EXPECT_TRUE(endsWith(run.output, c.advice + kExit)) << run.output.substr(run.output.size() - 300);
        EXPECT_TRUE(c.memories(card));
        // The card answers again after its restart: the next run identifies it,
        // or, once the boot program erased the flash, programs it from boot mode.
        if (c.args[1] != "MICRO") {
            EXPECT_TRUE(contains(runOnCard(card, {"COM1", "STATUS"}, "q").output, "END OF VXP STATUS"));
            continue;
        }
        CardRun again = runOnCard(card, c.args);
        EXPECT_EQ(again.status, 0);
        EXPECT_TRUE(contains(again.output, "(BOOT MODE)"));
        EXPECT_TRUE(card.microFlash() ==
                    sim::flashImageOf(sim::sampleFirmwareData(), sim::choices::kMicroFlashSize));
    }
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
    EXPECT_EQ(runOnCard(cutShort, {"COM1", "MICRO"}).status, 1);
    cutShort.saveState();
    sim::Card erased{kept(false, 0)};
    flag = 0;
    CardRun again = runOnCard(erased, {"COM1", "MICRO"});
    EXPECT_EQ(again.status, 0) << again.output;
    EXPECT_TRUE(contains(again.output, "(BOOT MODE)"));
}

}  // namespace
