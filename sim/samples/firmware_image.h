// The microcontroller's sample firmware: its data and the S-record file
// appMain.mot that carries them, as the boot-mode programmer reads it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace sim {

// The sample firmware's data bytes, in file order (15 KiB and 1104 bytes:
// the last programming frame is a partial one).
std::vector<std::uint8_t> sampleFirmwareData();

// One S-record line ("\r\n" at its end) of the type '0' to '9' with its
// right checksum: the address in `addressBytes` bytes, then `count` data bytes.
std::string sRecord(char type, std::uint32_t address, std::size_t addressBytes, const std::uint8_t* data,
                    std::size_t count);

// An S-record file of `data`: an S0 header, S3 records of `perRecord` data
// bytes (the last may be shorter), the first 1024 bytes from address 0 and
// the rest from 0x800, then the end-of-image record (S3 at FFFF8000, no
// data). Upper-case hexadecimal, one record per line ("\r\n").
std::string sRecordFile(const std::vector<std::uint8_t>& data, std::size_t perRecord = 16);

// Where the boot-mode programmer puts `data` in the microcontroller's flash
// of `flashSize` bytes: the first 1024 bytes at 0, the rest from 0x800, the
// other bytes erased (0xFF).
std::vector<std::uint8_t> flashImageOf(const std::vector<std::uint8_t>& data, std::size_t flashSize);

}  // namespace sim
