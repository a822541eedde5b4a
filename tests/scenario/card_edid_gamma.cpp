// EDID and GAMMA against the card model: the wire, the card's memory, files refused
// before it hears anything, and a card that stops answering.
#include "tests/support/card_run.h"

namespace {

const std::string kEdidFailed = "Unable to write EDID information \n\nPress any key to continue\n";
const std::string kGammaFailed = "\nPress any key to continue\n";
const std::string kAnalysing = "\n->Analysing Gamma File...";

std::string sumByte(const std::string& bytes) {
    unsigned sum = 0;
    for (char c : bytes) sum += static_cast<unsigned char>(c);
    return std::string(1, static_cast<char>(sum));
}

// A table of 1024 data lines "k,k,k" after a comment line, with `extra` appended.
std::string table(const std::string& extra = "") {
    std::string text = "% a comment\n";
    for (int k = 0; k < 1024; ++k)
        text += std::to_string(k) + "," + std::to_string(k) + "," + std::to_string(k) + "\n";
    return text + extra;
}

TEST(EdidAndGammaOnCard, TheCardHoldsWhatWasSent) {
    for (const char* name : {"edid128.bin", "EDID.bin"}) {
        SCOPED_TRACE(name);
        WorkDir dir;
        const std::string file = sample(name);
        dir.write(name, file);
        sim::Card card{cardOptions("DVITOSDI", [](auto&) {})};
        CardRun run = runOnCard(card, {"COM1", "EDID", name});
        EXPECT_EQ(run.status, 0);
        EXPECT_EQ(run.console, "\n->Program EDID with  " + std::to_string(file.size()) +
                                   " bytes...\nSuccess\n\nTotal Time : 0 minutes 0 seconds\n\n" + kExit);
        EXPECT_EQ(run.sent, (file.size() == 128 ? "#EDID 1\r" : "#EDID 2\r") + file + sumByte(file));
        EXPECT_EQ(text(card.content().edid()), file);
    }
}

// Values go big-endian after "#GAMMA 3 0", with their sum; lines are read as
// "%d%*c%d%*c%d" reads them, 0 for each number a line does not supply.
TEST(EdidAndGammaOnCard, GammaValuesAsTheScanFormatReadsThem) {
    // clang-format off
    const std::pair<const char*, std::vector<std::uint16_t>> odd[] = {
        {"12;34;56\r\n", {12, 34, 56}}, {"12 34 56\n", {12, 34, 56}}, {"12, 34, 56\n", {12, 34, 56}},
        {"12 ,34,56\n", {12, 0, 0}},   {"R,G,B\n", {0, 0, 0}},       {"\n", {0, 0, 0}},
        {"+5,6,\t7\n", {5, 6, 7}},     {"1,2\n", {1, 2, 0}},          {"1,,3\n", {1, 0, 0}},
        {"0x10,2,3\n", {0, 10, 2}},     {"7-8-9\n", {7, 8, 9}},       {"1,- 2,3\n", {1, 0, 0}},
        {"1023,1023,1023x\n", {1023, 1023, 1023}},
    };
    // clang-format on
    std::string file = "% a comment\n";
    std::vector<std::uint16_t> values;
    for (const auto& [line, three] : odd) {
        file += line;
        values.insert(values.end(), three.begin(), three.end());
    }
    for (auto k = static_cast<std::uint16_t>(std::size(odd)); k < 1024; ++k) {
        file += std::to_string(k) + "," + std::to_string(k) + "," + std::to_string(k) + "\n";
        values.insert(values.end(), {k, k, k});
    }
    std::string bigEndian;
    for (std::uint16_t v : values) bigEndian += {char(v >> 8), char(v & 0xFF)};
    WorkDir dir;
    dir.write("g.csv", file);
    sim::Card card{cardOptions("DVITOSDI", [](auto&) {})};
    CardRun run = runOnCard(card, {"COM1", "GAMMA", "g.csv"});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.console, kAnalysing + "OK\n->Sending Gamma Data...Success\n\n" + kExit);
    EXPECT_TRUE(run.sent == "#GAMMA 3 0\r" + bigEndian + sumByte(bigEndian));
    EXPECT_EQ(card.content().gamma(), values);
}

TEST(EdidAndGammaOnCard, ABadFileIsRefusedBeforeAnythingIsSent) {
    const std::string sizes = "\nError only file of 128 or 256 bytes can be read\n" + kEdidFailed;
    const std::string range = kAnalysing + "\nError, the RGB value must be between 0 and 1023." + kGammaFailed;
    auto lines = [](int n) {
        return kAnalysing + "Gamma File error -> The file contains " + std::to_string(n) +
               " lines (only 1024 lines are accepted)" + kGammaFailed;
    };
    // clang-format off
    const struct {
        const char* command;
        std::string file;
        std::string console;
    } cases[] = {
        {"EDID", "", sizes}, {"EDID", std::string(127, 'e'), sizes}, {"EDID", std::string(129, 'e'), sizes},
        {"EDID", std::string(255, 'e'), sizes}, {"EDID", std::string(257, 'e'), sizes},
        {"GAMMA", "5,1024,5\n" + table(), range}, {"GAMMA", "-1,0,0\n" + table(), range},
        {"GAMMA", "65541,0,0\n" + table(), range}, {"GAMMA", "0,0,99999999999999999999\n" + table(), range},
        {"GAMMA", table("\n"), lines(1025)},
        {"GAMMA", "R,G,B\n" + table(), lines(1025)},
        {"GAMMA", table().substr(0, table().rfind("\n1023,") + 1), lines(1023)},
        {"GAMMA", table() + table(), lines(2048)},
    };
    // clang-format on
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file.substr(0, 30));
        WorkDir dir;
        const char* name = c.command == std::string("EDID") ? "edid.bin" : "gamma.csv";
        dir.write(name, c.file);
        sim::Card card{cardOptions("DVITOSDI", [](auto&) {})};
        CardRun run = runOnCard(card, {"COM1", c.command, name});
        EXPECT_EQ(run.console, c.console + kExit);
        EXPECT_EQ(run.status, 2);
        EXPECT_EQ(run.sent, "");
        EXPECT_EQ(simport::keyReads(), 1);
    }
}

// Beyond a healthy run's time: a card gone after EDID byte 40's acknowledgement is
// given up 5 s later, less the 87 bytes and 90 answers' wire time; one gone after
// gamma value 100 a minute later, less the other 2973 values' (3 bytes, 2 us each).
TEST(EdidAndGammaOnCard, FailuresOfTheCard) {
    const double byteTime = 10.0 / 115200;
    const struct {
        const char* command;
        std::string file;
        std::function<void(sim::CardOptions&)> fault;
        std::string console;
        std::size_t sent;
        double seconds;
    } cases[] = {
        {"EDID", sample("edid128.bin"), [](auto& o) { o.vanishAfter = kOpening.size() + 8 + 41; },
         "\n->Program EDID with  128 bytes...\n" + kEdidFailed, 8 + 41, 5.05 - 177 * byteTime},
        {"EDID", sample("edid128.bin"), [](auto& o) { o.contentWriteFails = true; },
         "\n->Program EDID with  128 bytes...\nFailed\n\nTotal Time : 0 minutes 0 seconds\n\n", 8 + 129, 0.0},
        {"GAMMA", table(), [](auto& o) { o.vanishAfter = kOpening.size() + 11 + 2 * 99 + 1; },
         kAnalysing + "OK\n->Sending Gamma Data...ERROR 1" + kGammaFailed, 11 + 2 * 99 + 1,
         60.0 - 2973 * (3 * byteTime + 2e-6) - 3 * byteTime},
        {"GAMMA", table(), [](auto& o) { o.contentWriteFails = true; },
         kAnalysing + "OK\n->Sending Gamma Data...Failed\n\n", 11 + 2 * 3072 + 1, 0.0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.console);
        WorkDir dir;
        const std::vector<std::string> args{"COM1", c.command,
                                            c.command == std::string("EDID") ? "e.bin" : "g.csv"};
        dir.write(args[2], c.file);
        sim::Card healthy{cardOptions("DVITOSDI", [](auto&) {})};
        double done = runOnCard(healthy, args).seconds;
        sim::Card card{cardOptions("DVITOSDI", c.fault)};
        CardRun run = runOnCard(card, args);
        const std::string risk = c.command == std::string("EDID") ? "the EDID memory may be partly written"
                                                                  : "the gamma table may be partly written";
        EXPECT_EQ(run.console, c.console + advice(risk, std::string(c.command) + " " + args[2]) + kExit);
        EXPECT_EQ(run.status, 1);
        EXPECT_EQ(run.sent.size(), c.sent);
        EXPECT_TRUE(card.content().edid().empty() && card.content().gamma().empty());
        EXPECT_NEAR(run.seconds - done, c.seconds, 0.002);
    }
}

}  // namespace
