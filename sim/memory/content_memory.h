// The memories the content commands write, kept as files in the state
// directory when one is given: edid.bin (the EDID image, 128 or 256
// bytes), gamma.bin (the gamma table, 3072 values, big-endian 16-bit),
// fpga.xsvf (the last configuration file played to its end mark) and
// remote.log (one line per text command received, with the answer given).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace sim {

class ContentMemory {
public:
    // Loads edid.bin, gamma.bin and fpga.xsvf from `stateDir` (empty:
    // memory only); a file of the wrong size is left unloaded.
    explicit ContentMemory(std::string stateDir);

    const std::vector<std::uint8_t>& edid() const { return edid_; }
    const std::vector<std::uint16_t>& gamma() const { return gamma_; }
    const std::vector<std::uint8_t>& fpgaFile() const { return fpgaFile_; }
    // The lines this card logged since it started.
    const std::string& textLog() const { return textLog_; }

    // Each keeps its memory and writes its file at once.
    void storeEdid(std::vector<std::uint8_t> image);
    void storeGamma(std::vector<std::uint16_t> table);
    void storeFpgaFile(std::vector<std::uint8_t> file);

    // Appends "command<TAB>answer" to remote.log, the command with its '#'
    // and both without their carriage return; bytes outside printable
    // ASCII are written as \xNN, so that every command stays on one line.
    void logTextCommand(std::string_view command, std::string_view answer);

    // Writes edid.bin, gamma.bin and fpga.xsvf (those that hold something).
    void save() const;

private:
    void saveEdid() const;
    void saveGamma() const;
    void saveFpgaFile() const;

    std::string stateDir_;
    std::vector<std::uint8_t> edid_;
    std::vector<std::uint16_t> gamma_;
    std::vector<std::uint8_t> fpgaFile_;
    std::string textLog_;
};

}  // namespace sim
