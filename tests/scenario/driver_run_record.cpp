// With UPDATER_LOG set, each run appends a JSON line of what went onto which card,
// read back with a JSON parser and checked against sha256sum and the model.
#include <nlohmann/json.hpp>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <fstream>

#include "tests/support/card_run.h"

namespace {

constexpr sim::Nanos kSecond = 1000000000;

using Json = nlohmann::json;

// sha256sum's digest of the file `name`: a reading other than the tool's.
std::string sha256sum(const std::string& name) {
    std::FILE* pipe = ::popen(("sha256sum " + name).c_str(), "r");
    char digest[65] = "";
    if (pipe != nullptr) {
        if (std::fscanf(pipe, "%64s", digest) != 1) digest[0] = '\0';
        ::pclose(pipe);
    }
    return digest;
}

// A time in UTC to the second, as 2024-05-02T09:14:03Z.
bool utcTime(const Json& time) {
    const std::string form = "dddd-dd-ddTdd:dd:ddZ", text = time.is_string() ? time.get<std::string>() : "";
    return text.size() == form.size() && std::equal(form.begin(), form.end(), text.begin(), [](char f, char t) {
               return f == 'd' ? std::isdigit(static_cast<unsigned char>(t)) != 0 : t == f;
           });
}

std::vector<Json> logLines(const std::string& path) {
    std::vector<Json> lines;
    std::ifstream log(path);
    for (std::string line; std::getline(log, line);) lines.push_back(Json::parse(line));
    return lines;
}

struct Case {
    const char* what;
    std::vector<std::string> args;
    std::vector<std::string> files;  // the files sent, in order
    int status;
    std::string lastLine;  // "" when the run is done
    bool bootMode = false;
    sim::Nanos interruptAt = 0;
};

TEST(RunRecord, EachRunAppendsOneLineOfWhatWentOntoWhichCard) {
    WorkDir dir{4096};
    dir.write("short.bin", std::string(100, '\x01'));
    dir.write("short.csv", "1,2,3\n");
    const std::string log = dir.path() + "/runs.log";
    ASSERT_EQ(::setenv("UPDATER_LOG", log.c_str(), 1), 0);
    // clang-format off
    const Case cases[] = {
        {.what = "VIPER", .args = {"COM1", "VIPER", "Device5.bin"}, .files = {"FDriver.bin", "Device5.bin"},
         .status = 0, .lastLine = ""},
        {.what = "ALL", .args = {"COM1", "ALL"},
         .files = {"EDID.bin", "FDriver.bin", "Device5.bin", "SFDriver.bin", "Device1.bin", "fpga.xsvf"},
         .status = 0, .lastLine = ""},
        {.what = "MICRO in boot mode", .args = {"COM1", "MICRO"},
         .files = {"uGen7144.cde", "Genm7144.cde", "Genw7144.cde", "appMain.mot"}, .status = 0, .lastLine = "",
         .bootMode = true},
        {.what = "a refused EDID", .args = {"COM1", "EDID", "short.bin"}, .files = {}, .status = 2,
         .lastLine = "Unable to write EDID information"},
        {.what = "a refused gamma table, then a key prompt", .args = {"COM1", "GAMMA", "short.csv"}, .files = {},
         .status = 2,
         .lastLine = "->Analysing Gamma File...Gamma File error -> The file contains 1 lines (only 1024 lines are "
                     "accepted)"},
        {.what = "interrupted", .args = {"COM1", "VIPER", "Device5.bin"}, .files = {"FDriver.bin", "Device5.bin"},
         .status = 130, .lastLine = "Interrupted: device 5 may be partly written: run VIPER Device5.bin again.",
         .interruptAt = 40 * kSecond},
    };
    // clang-format on
    std::size_t appended = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        sim::Card card{cardOptions("DVITOSDI", [&](auto& o) {
            o.firmware = "V3.14";
            o.variant = 2;
            o.bootMode = c.bootMode;
        })};
        int status = c.interruptAt != 0 ? runToolInterrupted(c.args, card, c.interruptAt).status
                                        : runOnCard(card, c.args).status;
        EXPECT_EQ(status, c.status);

        std::vector<Json> lines = logLines(log);
        ASSERT_EQ(lines.size(), ++appended);
        const Json& line = lines.back();
        EXPECT_EQ(line["port"], c.args[0]);
        EXPECT_EQ(line["command"], c.args[1]);
        EXPECT_EQ(line["file"], c.args.size() > 2 ? Json(c.args[2]) : Json(nullptr));
        EXPECT_EQ(line["status"], c.status);
        EXPECT_TRUE(utcTime(line["started"])) << line["started"];
        EXPECT_LE(line["started"].get<std::string>(), line["ended"].get<std::string>());
        if (c.bootMode) {
            EXPECT_TRUE(line["card"].is_null()) << line["card"];
        } else {
            EXPECT_EQ(line["card"], (Json{{"model", "DVI TO SDI"}, {"firmware", "V3.14"}, {"variant", 2}}));
        }
        EXPECT_EQ(line.contains("last_line"), c.status != 0);
        if (c.status != 0) {
            EXPECT_EQ(line["last_line"], c.lastLine);
        }

        ASSERT_EQ(line["files"].size(), c.files.size()) << line["files"];
        for (std::size_t i = 0; i < c.files.size(); ++i) {
            const Json& file = line["files"][i];
            EXPECT_EQ(file["name"], c.files[i]);
            EXPECT_EQ(file["size"], std::filesystem::file_size(c.files[i]));
            EXPECT_EQ(file["sha256"], sha256sum(c.files[i])) << c.files[i];
        }
    }
}

// A log that cannot be written changes nothing of the run but its warning.
TEST(RunRecord, AnAppendThatFailsLeavesTheRunAsItWas) {
    WorkDir dir{4096};
    for (const char* log : {"", "/nonexistent-folder/runs.log"}) {
        SCOPED_TRACE(log);
        ASSERT_EQ(::setenv("UPDATER_LOG", log, 1), 0);
        sim::Card card{cardOptions("SDITOHDMI", [](auto&) {})};
        CardRun run = runOnCard(card, {"COM1", "VIPER", "Device7.bin"});
        EXPECT_EQ(run.status, 0);
        EXPECT_TRUE(endsWith(run.output, kExit)) << run.output;
    }
    EXPECT_FALSE(std::filesystem::exists("/nonexistent-folder"));
}

}  // namespace
