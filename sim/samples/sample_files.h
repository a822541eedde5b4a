// Update files for demonstrations and tests: the two ISP drivers
// (FDriver.bin, SFDriver.bin: 0x2000 bytes, the driver from 0x800 on,
// opening with the title that tells the card which devices it serves), the
// three device images
// (Device1.bin, Device5.bin, Device7.bin: deterministic pseudo-random
// bytes; Device1.bin and Device7.bin end in a partial 32-byte block), the
// three boot kernels, appMain.mot (sim/samples/firmware_image.h), an FPGA
// configuration (fpga.xsvf, see xsvf_sample.h), EDID images of 256 bytes
// (EDID.bin) and 128 bytes (edid128.bin), a gamma table (gamma.csv) and a
// remote script (remote.txt).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace sim {

// The names of the sample files, in the order they are written.
const std::vector<std::string>& sampleFileNames();

// The size of fpga.xsvf unless asked otherwise: a quick demonstration.
constexpr std::size_t kDefaultXsvfSize = 200000;

// The content of the sample file `name` (fpga.xsvf of `xsvfSize` bytes);
// empty for an unknown name.
std::vector<std::uint8_t> sampleFile(std::string_view name, std::size_t xsvfSize = kDefaultXsvfSize);

// Writes every sample file into `dir` (which must exist). Returns an empty
// text on success, else what failed.
std::string writeSampleFiles(const std::string& dir, std::size_t xsvfSize = kDefaultXsvfSize);

}  // namespace sim
