// The card's memories as files in its state directory (their names, read at
// start, each replaced as a whole when written), and the whole-file reading
// and writing that the tests and benches use as well.
#pragma once

#include <cstddef>
#include <cstdint>
#include <limits>
#include <string>
#include <string_view>
#include <vector>

namespace sim {

// The memories' files in a state directory.
namespace stateFile {
inline std::string device(int number) { return "device" + std::to_string(number) + ".bin"; }  // 1, 5 or 7
constexpr std::string_view kMicro = "micro.bin";     // the microcontroller's flash from address 0
constexpr std::string_view kEdid = "edid.bin";       // 128 or 256 bytes
constexpr std::string_view kGamma = "gamma.bin";     // 3072 values, big-endian 16-bit
constexpr std::string_view kFpga = "fpga.xsvf";      // the last file played to its end mark
constexpr std::string_view kTextLog = "remote.log";  // a line per text command and its answer

// The file `name` in the state directory `dir`.
inline std::string in(const std::string& dir, std::string_view name) { return dir + "/" + std::string(name); }
}  // namespace stateFile

// Up to `limit` bytes of the file at `path`; empty when it cannot be read.
std::vector<std::uint8_t> readFile(const std::string& path,
                                   std::size_t limit = std::numeric_limits<std::size_t>::max());

// Writes a sibling file first and renames it over the old one, so a file
// is never left half written. Failures are reported on standard error;
// false then.
bool writeFile(const std::string& path, const std::vector<std::uint8_t>& bytes);
bool writeFile(const std::string& path, std::string_view bytes);

}  // namespace sim
