// EDID and GAMMA against the simulated card: one unit per acknowledgement,
// the sum, the card's verdict, the card's memory afterwards; files refused
// before the card hears anything; a card that stops answering.
#include <sstream>

#include "tests/support/card_run.h"

namespace {

const std::string kEdidFailureEnd = "Unable to write EDID information \n\nPress any key to continue\n";
const std::string kGammaFailureEnd = "\nPress any key to continue\n";

std::string sumByte(const std::string& bytes) {
    unsigned sum = 0;
    for (char c : bytes) sum += static_cast<unsigned char>(c);
    return std::string(1, static_cast<char>(sum & 0xFF));
}

// The sample table's values, read independently of the tool.
std::vector<std::uint16_t> gammaValues(const std::string& table) {
    std::vector<std::uint16_t> values;
    std::istringstream lines(table);
    std::string line;
    while (std::getline(lines, line)) {
        if (line.empty() || line[0] == '%') continue;
        std::istringstream fields(line);
        std::string field;
        while (std::getline(fields, field, ',')) values.push_back(static_cast<std::uint16_t>(std::stoi(field)));
    }
    return values;
}

std::string bigEndian(const std::vector<std::uint16_t>& values) {
    std::string bytes;
    for (std::uint16_t v : values) bytes += {static_cast<char>(v >> 8), static_cast<char>(v & 0xFF)};
    return bytes;
}

// A table of 1024 data lines "k,k,k" with `extra` appended.
std::string table(const std::string& extra = "") {
    std::string text = "% a comment\n";
    for (int k = 0; k < 1024; ++k) text += std::to_string(k) + "," + std::to_string(k) + "," + std::to_string(k) + "\n";
    return text + extra;
}

const sim::CardOptions kEdidCard = cardOptions("DVITOSDI", [](auto&) {});

TEST(EdidOnCard, ImagesGoByteByByteAndStay) {
    for (const char* name : {"edid128.bin", "EDID.bin"}) {
        SCOPED_TRACE(name);
        WorkDir dir;
        const std::string image = sample(name);
        dir.write(name, image);
        sim::Card card{kEdidCard};
        CardRun run = runOnCard(card, {"COM1", "EDID", name});
        EXPECT_EQ(run.console, "\n->Program EDID with  " + std::to_string(image.size()) +
                                   " bytes...\nSuccess\n\nTotal Time : 0 minutes 0 seconds\n\n" + kExit);
        EXPECT_EQ(run.status, 0);
        // Valid block sums make the sum byte 0.
        EXPECT_EQ(run.sent, (image.size() == 128 ? "#EDID 1\r" : "#EDID 2\r") + image + std::string(1, '\0'));
        EXPECT_EQ(text(card.content().edid()), image);
    }
}

TEST(EdidOnCard, AnImageOfAnyOtherSizeIsRefusedBeforeAnythingIsSent) {
    for (std::size_t size : {0u, 127u, 129u, 255u, 257u, 300u, 1000u}) {
        WorkDir dir;
        dir.write("edid.bin", std::string(size, 'e'));
        sim::Card card{kEdidCard};
        CardRun run = runOnCard(card, {"COM1", "EDID", "edid.bin"});
        EXPECT_EQ(run.console, "\nError only file of 128 or 256 bytes can be read\n" + kEdidFailureEnd + kExit) << size;
        EXPECT_EQ(run.status, 2);
        EXPECT_EQ(run.sent, "");
        EXPECT_EQ(simport::keyReads(), 1);
    }
}

TEST(EdidOnCard, FailuresOfTheCard) {
    const std::string image = sample("edid128.bin");
    // A card gone after acknowledging byte 40: the wait for byte 41's ends at
    // the first 50 ms read that ends past its 5 s.
    sim::CardOptions gone = cardOptions("DVITOSDI", [](auto& o) { o.vanishAfter = kOpening.size() + 8 + 41; });
    sim::CardOptions refusing = cardOptions("DVITOSDI", [](auto& o) { o.contentWriteFails = true; });
    const struct {
        const char* what;
        sim::CardOptions options;
        std::string console;
        std::size_t sent;
        double seconds;  // beyond a healthy run, which sends the 87 bytes left and hears 90
    } cases[] = {
        {"silent after byte 40", gone, "\n->Program EDID with  128 bytes...\n" + kEdidFailureEnd, 8 + 41,
         5.05 - 177 * 10.0 / 115200},
        {"verdict E", refusing, "\n->Program EDID with  128 bytes...\nFailed\n\nTotal Time : 0 minutes 0 seconds\n\n",
         8 + 129, 0.0},
    };
    WorkDir dir;
    dir.write("edid.bin", image);
    sim::Card healthy{kEdidCard};
    double done = runOnCard(healthy, {"COM1", "EDID", "edid.bin"}).seconds;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        sim::Card card{c.options};
        CardRun run = runOnCard(card, {"COM1", "EDID", "edid.bin"});
        EXPECT_EQ(run.console, c.console + kExit);
        EXPECT_EQ(run.status, 1);
        EXPECT_EQ(run.sent.size(), c.sent);
        EXPECT_TRUE(card.content().edid().empty());
        EXPECT_NEAR(run.seconds - done, c.seconds, 0.002);
    }
}

TEST(GammaOnCard, TheTableGoesValueByValueAndStays) {
    WorkDir dir;
    const std::string file = sample("gamma.csv");
    dir.write("gamma.csv", file);
    sim::Card card{sim::CardOptions{}};
    CardRun run = runOnCard(card, {"COM1", "GAMMA", "gamma.csv"});
    EXPECT_EQ(run.console, "\n->Analysing Gamma File...OK\n->Sending Gamma Data...Success\n\n" + kExit);
    EXPECT_EQ(run.status, 0);
    std::vector<std::uint16_t> values = gammaValues(file);
    ASSERT_EQ(values.size(), 3072u);
    EXPECT_EQ(values[3 * 1023], 1023);
    EXPECT_TRUE(run.sent == "#GAMMA 3 0\r" + bigEndian(values) + sumByte(bigEndian(values)));
    EXPECT_EQ(card.content().gamma(), values);
}

TEST(GammaOnCard, ABadTableIsRefusedBeforeAnythingIsSent) {
    const std::string range = "\nError, the RGB value must be between 0 and 1023.";
    auto lines = [](int count) {
        return "Gamma File error -> The file contains " + std::to_string(count) +
               " lines (only 1024 lines are accepted)";
    };
    const struct {
        std::string file;
        std::string refusal;
    } cases[] = {
        {"5,1024,5\n" + table(), range},
        {"-1,0,0\n" + table(), range},
        {"65541,0,0\n" + table(), range},
        {"0,0,99999999999999999999\n" + table(), range},
        {table("\n"), lines(1025)},
        {"R,G,B\n" + table(), lines(1025)},
        {table().substr(0, table().rfind("\n1023,") + 1), lines(1023)},
        {table() + table(), lines(2048)},
    };
    for (const auto& c : cases) {
        WorkDir dir;
        dir.write("gamma.csv", c.file);
        sim::Card card{sim::CardOptions{}};
        CardRun run = runOnCard(card, {"COM1", "GAMMA", "gamma.csv"});
        EXPECT_EQ(run.console, "\n->Analysing Gamma File..." + c.refusal + kGammaFailureEnd + kExit);
        EXPECT_EQ(run.status, 2);
        EXPECT_TRUE(run.sent.empty());
    }
}

TEST(GammaOnCard, FailuresOfTheCard) {
    // Gone after value 100's first byte: its acknowledgement never comes, and
    // "ERROR 1" follows a minute later, where a healthy card would have taken
    // the remaining 2973 values (3 bytes on the wire and 2 us each) and the sum.
    const double remaining = 2973 * (3 * 10.0 / 115200 + 2e-6) + 3 * 10.0 / 115200;
    sim::CardOptions gone = cardOptions("SDITOHDMI", [](auto& o) { o.vanishAfter = kOpening.size() + 11 + 2 * 99 + 1; });
    sim::CardOptions refusing = cardOptions("SDITOHDMI", [](auto& o) { o.contentWriteFails = true; });
    const struct {
        const char* what;
        sim::CardOptions options;
        std::string ending;
        double seconds;  // beyond a healthy run
    } cases[] = {
        {"silent at value 100", gone, "ERROR 1" + kGammaFailureEnd, 60.0 - remaining},
        {"verdict E", refusing, "Failed\n\n", 0.0},
    };
    WorkDir dir;
    dir.write("gamma.csv", table());
    sim::Card healthy{sim::CardOptions{}};
    double done = runOnCard(healthy, {"COM1", "GAMMA", "gamma.csv"}).seconds;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        sim::Card card{c.options};
        CardRun run = runOnCard(card, {"COM1", "GAMMA", "gamma.csv"});
        EXPECT_EQ(run.console, "\n->Analysing Gamma File...OK\n->Sending Gamma Data..." + c.ending + kExit);
        EXPECT_EQ(run.status, 1);
        EXPECT_TRUE(card.content().gamma().empty());
        EXPECT_NEAR(run.seconds - done, c.seconds, 0.002);
    }
}

}  // namespace
