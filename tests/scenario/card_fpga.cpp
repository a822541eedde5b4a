// FPGA against the card model's XSVF player: the card keeps the file, the wire
// carries it once, and every end of a transfer shows in the console and status.
#include "tests/support/card_run.h"
#include "tests/support/scripted_peer.h"

namespace {

constexpr double kByteSeconds = 10.0 / 115200;

std::string word(std::uint32_t v) { return {char(v >> 24), char(v >> 16), char(v >> 8), char(v)}; }

// The time a run takes to identify the card and refuse a missing file.
double openingSeconds() {
    WorkDir dir;
    sim::Card card{sim::CardOptions{}};
    return runOnCard(card, {"COM1", "FPGA", "none.xsvf"}).seconds;
}

// FPGA with `file`: the wire carries its start; the console ends with `ending`, the
// report of the bytes served, a failed run's advice; the card keeps only a whole play.
CardRun fpgaRun(sim::Card& card, const std::string& file, int status, const std::string& ending, bool report,
                const std::function<void()>& prepare = {}) {
    WorkDir dir;
    dir.write("fpga.xsvf", file);
    CardRun run = runOnCard(card, {"COM1", "FPGA", "fpga.xsvf"}, "", prepare);
    EXPECT_EQ(run.status, status);
    const std::size_t served = run.sent.size() - 8;
    EXPECT_TRUE(run.sent == "#FPGA 1\r" + file.substr(0, served)) << served;
    std::string closing =
        report ? "Taille du fichier : " + std::to_string(served) + "\n\n/**********************************/\n"
               : "";
    if (status != 0) closing += advice("the FPGA may be partly configured", "FPGA fpga.xsvf");
    EXPECT_TRUE(endsWith(run.console, ending + closing + kExit))
        << run.console.substr(run.console.size() - std::min<std::size_t>(200, run.console.size()));
    EXPECT_TRUE(text(card.content().fpgaFile()) == (status == 0 ? file : ""));
    return run;
}

TEST(FpgaOnCard, TheCardPlaysTheWholeFileAndKeepsIt) {
    // Under 5000 bytes every pass prints; over 700000 the size is taken as 700000:
    // a line at most each 140 bytes, and 100 % while the rest goes.
    for (auto [size, lines] :
         {std::pair{std::size_t{3000}, std::size_t{0}}, {std::size_t{720000}, std::size_t{1288}}}) {
        SCOPED_TRACE(size);
        const std::string file = sample("fpga.xsvf", size);
        sim::Card card{sim::CardOptions{}};
        CardRun run = fpgaRun(card, file, 0, "\rJob at 100.00 %\nSuccess", false);
        EXPECT_EQ(run.sent.size(), 8 + file.size());
        EXPECT_EQ(run.console.rfind("\n->Programming FPGA...\n\rJob at ", 0), 0u) << run.console.substr(0, 80);
        EXPECT_FALSE(contains(run.console, "Taille"));
        if (lines != 0) {
            EXPECT_EQ(count(run.console, "\rJob at "), lines);
            continue;
        }
        // Failed reads (after the identification's 60) are retried 1 ms apart.
        sim::Card again{sim::CardOptions{}};
        CardRun failing = fpgaRun(again, file, 0, "\rJob at 100.00 %\nSuccess", false,
                                  [] { simport::failReads(ERROR_GEN_FAILURE, 60, 200); });
        EXPECT_NEAR(failing.seconds - run.seconds, 0.200, 0.001);
    }
}

// Every request kind (bytes, blocks, 80000 bytes as 65535 + 14465) and the card's
// waits (XWAIT 100 ms, XRUNTEST 2 s): the transfer takes exactly the pauses, a 50 ms
// quiet wait per request, the card's waits and the wire.
TEST(FpgaOnCard, RequestsOfEveryKindAreServedAfterTheirQuietWait) {
    // clang-format off
    const std::string file = std::string("\x16" "ab\0", 4)                        // XCOMMENT: 4 requests
                             + std::string("\x02\x0A\x01\x02", 4)                 // XSIR, 10 bits: 3
                             + std::string("\x15\x00\x10\x12\x34", 5)             // XSIR2: 3
                             + "\x08" + word(320000)                              // XSDRSIZE: 2
                             + "\x09" + sample("Device5.bin").substr(0, 80000)    // XSDRTDO: 3
                             + std::string("\x17\x00\x00", 3) + word(100000)      // XWAIT: 2
                             + "\x04" + word(2000000)                             // XRUNTEST: 2
                             + "\x08" + word(8) + std::string("\x03\x5A\0", 3);  // XSDRSIZE, XSDR: 4; XCOMPLETE: 1
    // clang-format on
    const int requests = 24;
    const int requestBytes = 14 * 1 + 10 * 4;  // '*' and "$$" hi lo
    sim::Card card{sim::CardOptions{}};
    CardRun run = fpgaRun(card, file, 0, "\rJob at 100.00 %\nSuccess", false);

    // The first request arrives within the pauses; "~S" ends the wire time.
    double wire = static_cast<double>(file.size() + requestBytes - 1 + 2) * kByteSeconds;
    double bound = 1.0 + 0.5 + requests * 0.050 + 0.1 + 2.0 + wire;
    double transfer = run.seconds - openingSeconds();
    EXPECT_GT(transfer, bound - 0.001);
    EXPECT_LT(transfer, bound + 0.01);
}

TEST(FpgaOnCard, EveryEndOfATransfer) {
    const std::string small = sample("fpga.xsvf", 3000);
    // clang-format off
    const struct {
        const char* what;
        sim::CardOptions options;
        std::string file;
        std::string ending;  // the console's end before its last line; "report" adds the closing report
                             // (" %": the card's failure verdict adds nothing to the progress line)
        bool report;
        int status;
        std::size_t served;  // file bytes the card received
        double seconds;      // the run's simulated time: the card's pauses and the tool's waits
    } cases[] = {
        {.what = "an opcode the card does not play", .options = {}, .file = small.substr(0, 40) + "\x0B",
         .ending = " %", .report = false, .status = 1, .served = 41, .seconds = 2.9655},
        {.what = "the file ends inside a block", .options = {}, .file = small.substr(0, 2000), .ending = "",
         .report = true, .status = 1, .served = 57, .seconds = 3.5290},
        {.what = "the card ends midway", .options = cardOptions("SDITOHDMI", [](auto& o) { o.fpgaFailAt = 6; }),
         .file = small, .ending = " %", .report = false, .status = 1, .served = 5, .seconds = 1.9590},
        {.what = "the card stalls inside a block request",
         .options = cardOptions("SDITOHDMI", [](auto& o) { o.fpgaStallAt = 3; }), .file = small,
         .ending = "\nThe card stopped inside a request.\n", .report = true, .status = 1, .served = 12,
         .seconds = 3.3601},
        {.what = "the card goes away, after a minute of silence",
         .options = cardOptions("SDITOHDMI", [](auto& o) { o.vanishAfter = 22 + 8 + 50; }), .file = small,
         .ending = "\nNo request from the card for 60 seconds.\n", .report = true, .status = 1, .served = 50,
         .seconds = 63.3270},
        {.what = "error reports in between",
         .options = cardOptions("SDITOHDMI", [](auto& o) { o.fpgaErrorEvery = 4; }), .file = small,
         .ending = "\rJob at 100.00 %\nSuccess", .report = false, .status = 0, .served = 3000, .seconds = 4.3405},
    };
    // clang-format on
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        sim::Card card{c.options};
        CardRun run = fpgaRun(card, c.file, c.status, c.ending, c.report);
        EXPECT_EQ(run.sent.size(), 8 + c.served);
        EXPECT_EQ(contains(run.console, "\nerror : $E"), c.options.fpgaErrorEvery != 0);
        EXPECT_NEAR(run.seconds, c.seconds, 0.0005);
    }
}

// A file may keep the card silent beyond the tool's minute (90 s of XRUNTEST after
// each instruction ending in Run-Test/Idle, or of XWAIT): the tool adds the file's
// longest wait, found past a shorter one, past arguments of every shape, and kept by
// a reading that cannot go on. A card silent beyond that is given up after 150 s.
TEST(FpgaOnCard, AFileMayMakeTheCardWaitLongerThanAMinute) {
    const std::string run90 = "\x04" + word(90000000);
    const std::string size8 = "\x08" + word(8);                  // XSDRSIZE 8
    const std::string sdr = size8 + std::string("\x03\x5A", 2);  // XSDRSIZE 8, XSDR
    const std::string complete(1, '\0');
    // clang-format off
    const std::string shapes = std::string("\x16" "ab\0", 4)                    // XCOMMENT
                               + std::string("\x02\x0A\xFF\xFF", 4)             // XSIR, 10 bits
                               + std::string("\x15\x00\x10\xFF\xFF", 5)         // XSIR2, 16 bits
                               + "\x08" + word(320000)                          // XSDRSIZE, 40000 bytes
                               + "\x09" + std::string(80000, '\xFF')            // XSDRTDO
                               + "\x08" + word(16)                              // XSDRSIZE, 2 bytes
                               + "\x01\xFF\xFF" "\x03\xFF\xFF"                  // XTDOMASK, XSDR
                               + "\x0A\xFF\xFF\xFF\xFF"                         // XSETSDRMASKS
                               + "\x0C\xFF\xFF" "\x0D\xFF\xFF" "\x0E\xFF\xFF"   // XSDRB, XSDRC, XSDRE
                               + "\x0F\xFF\xFF\xFF\xFF" "\x10\xFF\xFF\xFF\xFF"  // XSDRTDOB, XSDRTDOC
                               + "\x11\xFF\xFF\xFF\xFF"                         // XSDRTDOE
                               + "\x07\xFF" "\x12\xFF" "\x13\xFF" "\x14\xFF"    // XREPEAT, XSTATE, XENDIR, XENDDR
                               + std::string("\x17\x01\x01", 3) + word(1000);   // XWAIT 1 ms
    // clang-format on
    const struct {
        const char* what;
        std::string file;
        std::uint64_t vanishAfter;  // bytes the card takes in before it goes away (0: never)
        std::string ending;         // the console's end before its last line; "report" adds the closing report
        bool report;
        int status;
        double seconds;  // the least time the transfer takes
    } cases[] = {
        {"XRUNTEST, XSIR", run90 + std::string("\x02\x08\xFF", 3) + complete, 0, "\nSuccess", false, 0, 91.5},
        {"XRUNTEST, XSIR2", run90 + std::string("\x15\x00\x08\xFF", 4) + complete, 0, "\nSuccess", false, 0, 91.5},
        {"XRUNTEST, XSDR", run90 + sdr + complete, 0, "\nSuccess", false, 0, 91.5},
        {"XRUNTEST, XSDRTDO", run90 + size8 + "\x09\xFF\xFF" + complete, 0, "\nSuccess", false, 0, 91.5},
        {"XRUNTEST, XSDRE", run90 + size8 + "\x0E\xFF" + complete, 0, "\nSuccess", false, 0, 91.5},
        {"XRUNTEST, XSDRTDOE", run90 + size8 + "\x11\xFF\xFF" + complete, 0, "\nSuccess", false, 0, 91.5},
        {"XWAIT", std::string("\x17\x01\x01", 3) + word(90000000) + complete, 0, "\nSuccess", false, 0, 91.5},
        {"a shorter wait after it", run90 + sdr + "\x04" + word(1000000) + "\x03\x5A" + complete, 0, "\nSuccess",
         false, 0, 92.5},
        {"after arguments of every shape", shapes + run90 + sdr + complete, 0, "\nSuccess", false, 0, 91.5},
        {"the file cut short after it", run90 + sdr + "\x09\xFF", 0, "", true, 1, 91.5},
        {"XSDRINC after it", run90 + sdr + "\x0B", 0, " %", false, 1, 91.5},
        {"the card goes away in it", run90 + sdr + complete, 22 + 8 + 12,
         "\nNo request from the card for 150 seconds.\n", true, 1, 151.5},
    };
    const double opening = openingSeconds();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        sim::Card card{cardOptions("SDITOHDMI", [&](auto& o) { o.vanishAfter = c.vanishAfter; })};
        CardRun run = fpgaRun(card, c.file, c.status, c.ending, c.report);
        double transfer = run.seconds - opening;
        EXPECT_GT(transfer, c.seconds);
        EXPECT_LT(transfer, c.seconds + 10);
    }
}

// What comes within the quiet wait after a request is thrown away, an end mark too.
TEST(FpgaOnScriptedCard, BytesWithinTheQuietWaitAreDiscarded) {
    WorkDir dir;
    dir.write("one.xsvf", std::string(1, '\0'));
    ScriptedPeer peer;
    answerOpening(peer);
    peer.onWrite("#FPGA 1\r", "*~F");
    peer.onWrite(std::string(1, '\0'), "~S", ScriptedPeer::kMs);
    CardRun run = runOnCard(peer, {"COM1", "FPGA", "one.xsvf"});
    EXPECT_EQ(run.status, 0);
    EXPECT_TRUE(endsWith(run.output, "\nSuccess" + kExit)) << run.output;
}

}  // namespace
