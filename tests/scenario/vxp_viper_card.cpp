// VIPER, VERIFY and STATUS as the operator runs them, against the whole
// simulated card: the flash devices end up holding the images and read back
// equal, and the status report comes from the card's video processor.
#include <filesystem>

#include "sim/card.h"
#include "sim/samples/sample_files.h"
#include "tests/scenario/vxp_isp_responder.h"
#include "tests/support/tool_run.h"

namespace {

bool contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

TEST(ViperOnCard, EachDeviceHoldsItsImageAndReadsBackEqual) {
    WorkDir dir;
    // The sample drivers: the card serves with each only the devices it is for.
    for (const char* driver : {"FDriver.bin", "SFDriver.bin"}) {
        std::vector<std::uint8_t> bytes = sim::sampleFile(driver);
        dir.write(driver, std::string(bytes.begin(), bytes.end()));
    }
    std::filesystem::create_directory("card-state");
    // A card that keeps its memories in the work directory, so that the
    // verify can power up the same card again (each run starts its own clock).
    sim::CardOptions kept;
    kept.stateDir = "card-state";
    for (int device : {1, 5, 7}) {
        SCOPED_TRACE(device);
        sim::Card card{kept};
        const std::string name = "Device" + std::to_string(device) + ".bin";
        const std::string image = imageBytes(5000 + 7 * static_cast<std::size_t>(device), device);
        dir.write(name, image);

        ToolRun viper = runTool({"COM1", "VIPER", name}, card);
        EXPECT_EQ(viper.status, 0) << viper.output;
        EXPECT_EQ(card.flashDevice(device), std::vector<std::uint8_t>(image.begin(), image.end()));

        sim::Card again{kept};
        ToolRun check = runTool({"COM1", "VERIFY", name}, again);
        EXPECT_EQ(check.status, 0) << check.output;
        EXPECT_TRUE(contains(check.output, "\rJob at 100% ----- Mismatch Total 0 \t\t\t\t\n")) << check.output;
    }
}

TEST(ViperOnCard, StatusReportsTheCardsVideoProcessor) {
    WorkDir dir;
    sim::Card card{sim::CardOptions{}};
    ToolRun run = runTool({"COM1", "STATUS"}, card, "\rq");
    EXPECT_EQ(run.status, 0) << run.output;
    EXPECT_FALSE(contains(run.output, "Timeout. Retry")) << run.output;
    std::size_t first = run.output.find("/********** VXP STATUS ***********/");
    ASSERT_NE(first, std::string::npos) << run.output;
    EXPECT_NE(run.output.find("/********** VXP STATUS ***********/", first + 1), std::string::npos)
        << "Enter refreshed the report";
}

}  // namespace
