// What the fault matrix found, in its conditions: VERIFY on a faulty line counted
// wrongly; STATUS ended with 0 on a report from damaged or late, shifted answers.
#include <cstring>

#include "tests/support/card_run.h"

namespace {

constexpr const char* kClosing = "\rJob at 100% ----- Mismatch Total ";

struct Case {
    const char* what;
    std::size_t imageSize;
    std::vector<std::size_t> changedBytes;  // bytes of the device that differ from the file
    int differingWords;
    void (*faults)(sim::CardOptions&);
    std::vector<std::uint64_t> seeds;
};

std::string report(const std::string& console) {
    std::size_t from = console.rfind("/********** VXP STATUS");
    std::size_t to = console.rfind("END OF VXP STATUS");
    return from == std::string::npos || to == std::string::npos ? "" : console.substr(from, to - from);
}

TEST(FaultMatrixVerify, AFinishedTotalIsTheTrueCountWhateverTheLineDoes) {
    // clang-format off
    const Case cases[] = {
        // Over a pty these gave 6505, 299 and 14 for one differing word.
        {"drop 0.0005", 20000, {4001}, 1, [](sim::CardOptions& o) { o.drop = 0.0005; }, {1, 2, 3, 4}},
        {"noise 0.002", 20000, {4001}, 1, [](sim::CardOptions& o) { o.noise = 0.002; }, {1, 2, 3, 4}},
        {"corrupt 0.0005", 20000, {4001}, 1, [](sim::CardOptions& o) { o.corrupt = 0.0005; }, {1, 2, 3, 4}},
        // Seeds of the matrix (seed 2): noise on an identical device; NACKs and noise.
        {"noise, identical", 756, {}, 0, [](sim::CardOptions& o) { o.noise = 0.001163; }, {1, 2}},
        {"nack and noise", 3000, {10, 11, 700, 2998}, 3,
         [](sim::CardOptions& o) { o.nack = 0.0329; o.noise = 0.000471; }, {1, 2}},
        // Replies late beyond the whole exchange (eleven 3 s waits).
        {"late by 35 s", 2000, {0, 1999}, 2, [](sim::CardOptions& o) { o.late = 0.02; o.lateByMs = 35000; },
         {1, 2, 3}},
    };
    // clang-format on
    for (const Case& c : cases) {
        int finished = 0;
        const std::string image = imageBytes(c.imageSize, 5);
        std::string device = image;  // differs from the file in some bytes
        for (std::size_t at : c.changedBytes) device[at] = static_cast<char>(device[at] ^ 0x21);
        for (std::uint64_t seed : c.seeds) {
            SCOPED_TRACE(std::string(c.what) + ", seed " + std::to_string(seed));
            WorkDir dir;
            dir.write("Device5.bin", image);
            sim::Card card{keptCard(5, device, [&](sim::CardOptions& o) {
                o.seed = seed;
                c.faults(o);
            })};
            CardRun run = runOnCard(card, {"COM1", "VERIFY", "Device5.bin"});

            // A run that could not read the device to its end prints no total and fails.
            std::size_t closing = run.output.rfind(kClosing);
            if (closing == std::string::npos) {
                EXPECT_EQ(run.status, 1);
                EXPECT_NE(run.output.find(kKeyPrompt), std::string::npos);
                continue;
            }
            ++finished;
            EXPECT_EQ(std::atoi(run.output.c_str() + closing + std::strlen(kClosing)), c.differingWords);
            EXPECT_EQ(run.status, c.differingWords == 0 ? 0 : 1);
        }
        EXPECT_GT(finished, 0) << c.what;
    }
}

// A run ending with 0 shows the card's own report: a damaged reply fails the run; an
// answer later than its exchange fails its pass and the next; a pass after them asks
// on a drained line.
TEST(FaultMatrixStatus, OnlyTheCardsOwnReportEndsTheRunAsDone) {
    WorkDir dir;
    sim::Card healthy{sim::CardOptions{}};
    const std::string clean = report(runOnCard(healthy, {"COM1", "STATUS"}, "q").output);
    for (bool late : {false, true}) {
        int damaged = 0, recovered = 0;
        for (std::uint64_t seed = 1; seed <= 8; ++seed) {
            SCOPED_TRACE(std::to_string(late) + ", seed " + std::to_string(seed));
            sim::CardOptions options;
            options.seed = seed;
            options.late = late ? 0.1 : 0;
            options.lateByMs = 35000;
            options.noise = late ? 0 : 0.004;
            sim::Card card{options};
            CardRun run = runOnCard(card, {"COM1", "STATUS"}, late ? "\r\rq" : "q");
            if (run.status == 0) {
                EXPECT_EQ(report(run.output), clean);
            }
            if (late) {
                recovered += run.status == 0 && contains(run.output, "Unable to send command. Exit.SendISP");
                continue;
            }
            bool whole = run.output.find("Bad checksum") == std::string::npos &&
                         run.output.find("Incompatible reception") == std::string::npos;
            damaged += whole ? 0 : 1;
            EXPECT_EQ(run.status, whole ? 0 : 1);
        }
        if (late) {
            EXPECT_GT(recovered, 0);
        } else {
            EXPECT_GT(damaged, 0);
            EXPECT_LT(damaged, 8);
        }
    }
}

}  // namespace
