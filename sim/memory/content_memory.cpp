#include "sim/memory/content_memory.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "sim/card_choices.h"
#include "sim/memory/state_file.h"

namespace sim {

namespace {
std::string escaped(std::string_view text) {
    std::string out;
    for (char c : text) {
        auto byte = static_cast<unsigned char>(c);
        if (byte >= ' ' && byte <= '~' && byte != '\\') {
            out.push_back(c);
        } else {
            char code[5];
            std::snprintf(code, sizeof code, "\\x%02X", byte);
            out += code;
        }
    }
    return out;
}

std::vector<std::uint16_t> valuesOf(const std::vector<std::uint8_t>& bytes) {
    std::vector<std::uint16_t> values;
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
        values.push_back(static_cast<std::uint16_t>(bytes[i] << 8 | bytes[i + 1]));
    }
    return values;
}
}  // namespace

ContentMemory::ContentMemory(std::string stateDir) : stateDir_(std::move(stateDir)) {
    if (stateDir_.empty()) return;
    std::vector<std::uint8_t> edid =
        readFile(stateFile::in(stateDir_, stateFile::kEdid), 2 * choices::kEdidBlockSize + 1);
    if (edid.size() == choices::kEdidBlockSize || edid.size() == 2 * choices::kEdidBlockSize) {
        edid_ = std::move(edid);
    }
    std::vector<std::uint8_t> gamma =
        readFile(stateFile::in(stateDir_, stateFile::kGamma), 2 * choices::kGammaValues + 1);
    if (gamma.size() == 2 * choices::kGammaValues) gamma_ = valuesOf(gamma);
    fpgaFile_ = readFile(stateFile::in(stateDir_, stateFile::kFpga), choices::kFpgaFileCapacity);
}

void ContentMemory::storeEdid(std::vector<std::uint8_t> image) {
    edid_ = std::move(image);
    saveEdid();
}

void ContentMemory::storeGamma(std::vector<std::uint16_t> table) {
    gamma_ = std::move(table);
    saveGamma();
}

void ContentMemory::storeFpgaFile(std::vector<std::uint8_t> file) {
    fpgaFile_ = std::move(file);
    saveFpgaFile();
}

void ContentMemory::logTextCommand(std::string_view command, std::string_view answer) {
    std::string line = "#" + escaped(command) + "\t" + escaped(answer) + "\n";
    if (textLog_.size() + line.size() <= choices::kTextLogKept) textLog_ += line;
    if (stateDir_.empty()) return;
    std::string path = stateFile::in(stateDir_, stateFile::kTextLog);
    std::FILE* log = std::fopen(path.c_str(), "ab");
    bool ok = log != nullptr && std::fwrite(line.data(), 1, line.size(), log) == line.size();
    if (log != nullptr) ok = std::fclose(log) == 0 && ok;
    if (!ok) std::fprintf(stderr, "card: cannot write %s: %s\n", path.c_str(), std::strerror(errno));
}

void ContentMemory::save() const {
    saveEdid();
    saveGamma();
    saveFpgaFile();
}

void ContentMemory::saveEdid() const {
    if (!stateDir_.empty() && !edid_.empty()) writeFile(stateFile::in(stateDir_, stateFile::kEdid), edid_);
}

void ContentMemory::saveGamma() const {
    if (stateDir_.empty() || gamma_.empty()) return;
    std::vector<std::uint8_t> bytes;
    for (std::uint16_t value : gamma_) {
        bytes.push_back(static_cast<std::uint8_t>(value >> 8));
        bytes.push_back(static_cast<std::uint8_t>(value));
    }
    writeFile(stateFile::in(stateDir_, stateFile::kGamma), bytes);
}

void ContentMemory::saveFpgaFile() const {
    if (!stateDir_.empty() && !fpgaFile_.empty()) writeFile(stateFile::in(stateDir_, stateFile::kFpga), fpgaFile_);
}

}  // namespace sim
