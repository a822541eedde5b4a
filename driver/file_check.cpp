#include "driver/file_check.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "boot/micro_files.h"
#include "card/commands.h"
#include "card/gamma_table.h"
#include "card/xsvf_stream.h"
#include "driver/dispatch.h"
#include "platform/win32.h"
#include "vxp/commands.h"

namespace fs = std::filesystem;

namespace {

// What one file is for, and how it stands.
struct Verdict {
    std::string purpose;
    bool refused = false;
    std::string reason;  // why it is refused, or a warning
};

bool endsWith(const std::string& name, const char* extension) {
    std::size_t length = std::strlen(extension);
    return name.size() > length && name.compare(name.size() - length, length, extension) == 0;
}

bool present(const char* name) { return GetFileAttributesA(name) != INVALID_FILE_ATTRIBUTES; }

// A command's refusal, printed over several lines, on one: each run of line
// ends a blank, none at either end.
std::string oneLine(const char* text) {
    std::string line;
    bool lineEnd = false;
    for (const char* c = text; *c != '\0'; ++c) {
        if (*c == '\n' || *c == '\r') {
            lineEnd = !line.empty();
            continue;
        }
        if (lineEnd) line += ' ';
        lineEnd = false;
        line += *c;
    }
    return line;
}

Verdict judged(std::string purpose, bool acceptable, const Refusal& why) {
    return {std::move(purpose), !acceptable, acceptable ? "" : oneLine(why.text)};
}

Verdict download(std::string purpose, const std::string& name, int device) {
    Refusal why;
    switch (judgeUpdateFile(name.c_str(), device, why)) {
    case UpdateFileCheck::kAcceptable: break;
    case UpdateFileCheck::kNotOpened: refuseFile(why, "Unable to open file : %s\n", name.c_str()); [[fallthrough]];
    case UpdateFileCheck::kRefused: return judged(std::move(purpose), false, why);
    }
    const char* driver = device != 0 ? driverFor(device) : nullptr;
    if (driver != nullptr && !present(driver)) {
        return {std::move(purpose), true, std::string("its ISP driver ") + driver + " is missing"};
    }
    return {std::move(purpose), false, ""};
}

Verdict deviceImage(const std::string& name) {
    unsigned short device = 0;
    Refusal why;
    if (!deviceFileNameAcceptable(name.c_str(), device, why)) return judged("a flash device image", false, why);
    return download("flash device " + std::to_string(device), name, device);
}

Verdict firmware(const std::string& name) {
    const char* purpose = "the microcontroller's firmware";
    std::error_code error;
    auto size = fs::file_size(name, error);
    if (!error && firmwareSizeKnownBad(static_cast<DWORD>(size))) {
        return {purpose, true, "its size, " + std::to_string(size) + " bytes, is one known to be bad"};
    }
    Refusal why;
    return judged(purpose, appMainFileAcceptable(name.c_str(), why), why);
}

Verdict kernel(const std::string& name, const char* purpose) {
    Refusal why;
    return judged(purpose, kernelFileAcceptable(name.c_str(), why), why);
}

Verdict fpga(const std::string& name) {
    const char* purpose = "the FPGA";
    Refusal why;
    if (!fpgaFileAcceptable(name.c_str(), why)) return judged(purpose, false, why);
    std::FILE* file = std::fopen(name.c_str(), "rb");
    bool complete = file != nullptr && xsvfReadsToComplete(file, why);
    if (file != nullptr) std::fclose(file);
    return judged(purpose, complete, why);
}

// The EDID's own rules, which the card does not check: the header of the
// base block, and every block's bytes summing to 0.
std::string edidWarning(const std::string& name) {
    constexpr std::size_t kBlock = 128;
    constexpr unsigned char kHeader[8] = {0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x00};
    unsigned char image[2 * kBlock];
    std::FILE* file = std::fopen(name.c_str(), "rb");
    std::size_t size = file != nullptr ? std::fread(image, 1, sizeof image, file) : 0;
    if (file != nullptr) std::fclose(file);
    std::string warning;
    if (size >= sizeof kHeader && std::memcmp(image, kHeader, sizeof kHeader) != 0) {
        warning = "the header is not 00 FF FF FF FF FF FF 00";
    }
    for (std::size_t block = 0; block < size / kBlock; ++block) {
        unsigned sum = 0;
        for (std::size_t i = 0; i < kBlock; ++i) sum += image[block * kBlock + i];
        if (sum % 256 == 0) continue;
        if (!warning.empty()) warning += "; ";
        warning += "block " + std::to_string(block + 1) + " does not sum to 0";
    }
    return warning.empty() ? "" : "warning: " + warning;
}

Verdict edid(const std::string& name) {
    Refusal why;
    if (!edidFileAcceptable(name.c_str(), why)) return judged("the EDID", false, why);
    return {"the EDID", false, edidWarning(name)};
}

Verdict gamma(const std::string& name) {
    Refusal why;
    std::FILE* file = std::fopen(name.c_str(), "rb");
    if (file == nullptr) return {"a gamma table", true, "Unable to open file : " + name};
    unsigned short table[kGammaValues];
    bool read = readGammaTable(file, table, why);
    std::fclose(file);
    return judged("a gamma table", read, why);
}

// A remote script is sent line by line as it stands; its lines that send
// a command are counted.
Verdict remoteScript(const std::string& name) {
    std::FILE* file = std::fopen(name.c_str(), "rb");
    if (file == nullptr) return {"a remote script", true, "Unable to open file : " + name};
    char line[255];
    int commands = 0;
    while (std::fgets(line, 254, file) != nullptr) commands += line[0] == '#';
    std::fclose(file);
    return {"a remote script", false, std::to_string(commands) + (commands == 1 ? " command" : " commands")};
}

// The verdict on `name`, or no purpose when it is not an update file.
Verdict judge(const std::string& name) {
    if (name == "SFDriver.bin") return download("the ISP driver of flash device 1", name, 0);
    if (name == "FDriver.bin") return download("the ISP driver of flash devices 5 and 7", name, 0);
    if (name == "appMain.mot") return firmware(name);
    if (name == kMicroKernelFile) return kernel(name, "the boot program's micro kernel");
    if (name == kMainKernelFile) return kernel(name, "the boot program's main kernel");
    if (name == kWriteKernelFile) return kernel(name, "the boot program's write kernel");
    if (endsWith(name, ".bin")) return name.compare(0, 6, "Device") == 0 ? deviceImage(name) : edid(name);
    if (endsWith(name, ".xsvf")) return fpga(name);
    if (endsWith(name, ".csv")) return gamma(name);
    if (endsWith(name, ".txt")) return remoteScript(name);
    return {};
}

// What ALL and MICRO look for, and which of them looks.
// clang-format off
const struct {
    const char* name;
    const char* lookingForIt;
} kLookedFor[] = {
    {"Device1.bin", "ALL: flash device 1"},
    {"SFDriver.bin", "ALL: the ISP driver of flash device 1"},
    {"Device5.bin", "ALL: flash device 5"},
    {"FDriver.bin", "ALL: the ISP driver of flash device 5"},
    {"fpga.xsvf", "ALL: the FPGA"},
    {"EDID.bin", "ALL: the EDID (DVI TO SDI and HDMI TO SDI cards)"},
    {"appMain.mot", "MICRO: the microcontroller's firmware"},
    {"uGen7144.cde", "MICRO: the micro kernel"},
    {"Genm7144.cde", "MICRO: the main kernel"},
    {"Genw7144.cde", "MICRO: the write kernel"},
};
// clang-format on

void printLine(const std::string& name, const std::string& purpose, const std::string& verdict) {
    printf("%-14s %-40s %s\n", name.c_str(), purpose.c_str(), verdict.c_str());
}

}  // namespace

int checkUpdateFiles(const char* dir) {
    std::error_code error;
    if (dir != nullptr) fs::current_path(dir, error);
    std::vector<std::string> names;
    if (!error) {
        for (const fs::directory_entry& entry : fs::directory_iterator(".", error)) {
            if (!entry.is_directory(error)) names.push_back(entry.path().filename().string());
        }
    }
    if (error) {
        printf("The folder %s cannot be read: %s\n", dir != nullptr ? dir : ".", error.message().c_str());
        return 2;
    }
    std::sort(names.begin(), names.end());

    bool refused = false;
    for (const std::string& name : names) {
        Verdict verdict = judge(name);
        if (verdict.purpose.empty()) continue;
        refused = refused || verdict.refused;
        std::string word = verdict.refused          ? "refused: " + verdict.reason
                           : verdict.reason.empty() ? "ok"
                                                    : "ok (" + verdict.reason + ")";
        printLine(name, verdict.purpose, word);
    }
    for (const auto& file : kLookedFor) {
        if (!present(file.name)) printLine(file.name, file.lookingForIt, "not found");
    }
    return refused ? 2 : 0;
}
