#include "fault_matrix/scenario.h"

#include <algorithm>
#include <cstdio>

#include "fault_matrix/bounds.h"
#include "fault_matrix/dice.h"
#include "fault_matrix/faults.h"
#include "fault_matrix/update_files.h"
#include "sim/samples/firmware_image.h"
#include "sim/samples/sample_files.h"
#include "sim/samples/xsvf_sample.h"

namespace matrix {

namespace {

const std::vector<std::string> kModels = {"DVITOSDI",  "SDITODVI",  "SL-SDITODVI",
                                          "HDMITOSDI", "SDITOHDMI", "SL-SDITOHDMI"};
const std::vector<std::string> kEdidModels = {"DVITOSDI", "HDMITOSDI"};

Bytes text(const std::string& s) { return {s.begin(), s.end()}; }

std::string seedText(std::uint64_t seed) {
    char out[24];
    std::snprintf(out, sizeof out, "%llu", static_cast<unsigned long long>(seed));
    return out;
}

Memory deviceMemory(int device) { return device == 1 ? kDevice1 : device == 5 ? kDevice5 : kDevice7; }

std::string deviceFile(int device) { return "Device" + std::to_string(device) + ".bin"; }

std::string driverFile(int device) { return device == 1 ? "SFDriver.bin" : "FDriver.bin"; }

// A driver download (384 blocks of 16 bytes) and an image download of `size` bytes.
std::uint64_t deviceDownloadBytes(std::size_t size) { return 8 + 384 * 30 + 40 + (size / 32 + 1) * 45 + 40; }

void addFile(Scenario& s, const std::string& name, const Bytes& bytes) { s.files.emplace_back(name, bytes); }

void addSample(Scenario& s, const std::string& name) { addFile(s, name, sim::sampleFile(name)); }

Reach viper(Scenario& s, Dice& dice, int device) {
    s.command = "VIPER " + std::to_string(device);
    Bytes image = deviceImage(dice, device);
    s.args = {"COM1", "VIPER", deviceFile(device)};
    addSample(s, driverFile(device));
    addFile(s, deviceFile(device), image);
    s.writes = only(deviceMemory(device));
    s.expected.of[deviceMemory(device)] = image;
    Reach reach;
    reach.isp = true;
    reach.bytesSent += deviceDownloadBytes(image.size());
    return reach;
}

// The device holds the file with `differing` words changed; the true count
// is taken from the contents themselves, word by word as the file is
// compared: byte pairs from offset 0, the file padded with 0xFF, the device
// reading 0xFF where nothing is written.
int differingWords(const Bytes& file, const Bytes& device) {
    auto byteAt = [](const Bytes& bytes, std::size_t at) -> unsigned {
        return at < bytes.size() ? bytes[at] : 0xFF;
    };
    int count = 0;
    for (std::size_t at = 0; at < file.size(); at += 2) {
        if (byteAt(file, at) != byteAt(device, at) || byteAt(file, at + 1) != byteAt(device, at + 1)) ++count;
    }
    return count;
}

Reach verify(Scenario& s, Dice& dice, int device) {
    s.command = "VERIFY " + std::to_string(device);
    Bytes image = deviceImage(dice, device, dice.chance(0.15));
    Bytes held = image;
    std::uint64_t changes = dice.chance(0.4) ? 0 : dice.chance(0.5) ? 1 : dice.between(2, 40);
    for (std::uint64_t i = 0; i < changes; ++i) {
        std::size_t at = dice.between(0, image.size() - 1);
        held[at] = static_cast<std::uint8_t>(held[at] ^ dice.between(1, 255));
    }
    if (dice.chance(0.3)) {  // bytes beyond the file, as an older longer image left them
        Bytes tail = dice.bytes(dice.between(1, 300));
        held.insert(held.end(), tail.begin(), tail.end());
    }
    s.before.of[deviceMemory(device)] = held;
    s.differingWords = differingWords(image, held);
    s.args = {"COM1", "VERIFY", deviceFile(device)};
    addFile(s, deviceFile(device), image);
    Reach reach;
    reach.isp = true;
    reach.bytesSent += 30 + (image.size() / 32 + 1) * 10;
    return reach;
}

Reach status(Scenario& s, Dice& dice) {
    s.command = "STATUS";
    s.args = {"COM1", "STATUS"};
    std::string name;
    for (int i = 0; i < 12; ++i) name += static_cast<char>(dice.between('0', 'Z'));
    s.card.vxpName = name;
    s.card.vxpStatus = static_cast<std::uint16_t>(dice.between(0, 7) << 8 | dice.between(0, 5));
    s.card.vxpDeviceType = static_cast<std::uint16_t>(dice.between(1, 0xFFFF));
    s.card.vxpMemoryFlags = static_cast<std::uint16_t>(dice.between(0, 0x7FFF));
    s.card.osdCalibration = static_cast<std::uint16_t>(dice.between(0, 0xF));
    s.card.videoCalibration = static_cast<std::uint16_t>(dice.between(0, 0x3FF));
    int passes = static_cast<int>(dice.between(1, 3));
    s.keys = std::string(static_cast<std::size_t>(passes - 1), '\r') + "q";
    Reach reach;
    reach.isp = true;
    reach.bytesSent += 48 * static_cast<std::uint64_t>(passes);
    return reach;
}

// The card's four ways into the boot program for MICRO.
enum class MicroEntry { kBootMode, kFirmware, kOldFirmware, kNoProbeAnswer };

Reach micro(Scenario& s, Dice& dice, MicroEntry entry) {
    static const char* const kNames[] = {"MICRO boot mode", "MICRO running firmware", "MICRO old firmware",
                                         "MICRO 55 path"};
    s.command = kNames[static_cast<int>(entry)];
    s.args = {"COM1", "MICRO"};
    Bytes data = firmwareData(dice);
    addFile(s, "appMain.mot", text(sim::sRecordFile(data, dice.chance(0.5) ? 16 : 32)));
    for (const char* kernel : {"uGen7144.cde", "Genm7144.cde", "Genw7144.cde"}) addSample(s, kernel);
    s.card.bootMode = entry == MicroEntry::kBootMode;
    s.card.oldFirmware = entry == MicroEntry::kOldFirmware || entry == MicroEntry::kNoProbeAnswer;
    s.card.oldFirmwareMenuOnly = entry == MicroEntry::kNoProbeAnswer;
    s.writes = only(kMicro);
    s.expected.of[kMicro] = microFlashOf(data);
    Reach reach;
    // On an old firmware that answers the probe the run ends after identification.
    reach.boot = entry != MicroEntry::kOldFirmware;
    reach.bytesSent += reach.boot ? 100 + 5200 + (data.size() / 128 + 8) * 134 : 1;
    return reach;
}

Reach fpga(Scenario& s, Dice& dice) {
    s.command = "FPGA";
    Bytes file = sim::xsvfSample(fpgaSize(dice));
    s.args = {"COM1", "FPGA", "fpga.xsvf"};
    addFile(s, "fpga.xsvf", file);
    s.writes = only(kFpga);
    s.expected.of[kFpga] = file;
    Reach reach;
    reach.fpga = reach.uncheckedToCard = true;
    reach.bytesSent += 8 + file.size();
    return reach;
}

Reach edid(Scenario& s, Dice& dice) {
    s.command = "EDID";
    s.card.model = dice.pick(kEdidModels);
    Bytes image = edidImage(dice);
    s.args = {"COM1", "EDID", "EDID.bin"};
    addFile(s, "EDID.bin", image);
    s.writes = only(kEdid);
    s.expected.of[kEdid] = image;
    Reach reach;
    reach.content = true;
    reach.bytesSent += 9 + image.size();
    return reach;
}

Reach gamma(Scenario& s, Dice& dice) {
    s.command = "GAMMA";
    auto [csv, table] = gammaTable(dice);
    s.args = {"COM1", "GAMMA", "gamma.csv"};
    addFile(s, "gamma.csv", csv);
    s.writes = only(kGamma);
    s.expected.of[kGamma] = table;
    Reach reach;
    reach.content = true;
    reach.bytesSent += 12 + 6144;
    return reach;
}

Reach all(Scenario& s, Dice& dice) {
    s.command = "ALL";
    s.args = {"COM1", "ALL"};
    bool edidCard = std::find(kEdidModels.begin(), kEdidModels.end(), s.card.model) != kEdidModels.end();
    unsigned parts = 0;
    while (parts == 0) parts = static_cast<unsigned>(dice.between(0, edidCard ? 15 : 7));
    Reach reach;
    reach.isp = (parts & 3) != 0;
    for (int device : {5, 1}) {
        if (!(parts & (device == 5 ? 1u : 2u))) continue;
        Bytes image = deviceImage(dice, device);
        addSample(s, driverFile(device));
        addFile(s, deviceFile(device), image);
        s.writes |= only(deviceMemory(device));
        s.expected.of[deviceMemory(device)] = image;
        reach.bytesSent += deviceDownloadBytes(image.size());
    }
    if (parts & 4u) {
        Bytes file = sim::xsvfSample(fpgaSize(dice));
        addFile(s, "fpga.xsvf", file);
        s.writes |= only(kFpga);
        s.expected.of[kFpga] = file;
        reach.fpga = reach.uncheckedToCard = true;
        reach.bytesSent += 8 + file.size();
    }
    if (parts & 8u) {
        Bytes image = edidImage(dice);
        addFile(s, "EDID.bin", image);
        s.writes |= only(kEdid);
        s.expected.of[kEdid] = image;
        reach.content = true;
        reach.bytesSent += 9 + image.size();
    }
    return reach;
}

Reach remote(Scenario& s, Dice& dice) {
    s.command = "REMOTE";
    s.args = {"COM1", "REMOTE", "remote.txt"};
    std::string script;
    int commands = static_cast<int>(dice.between(1, 6));
    Reach reach;
    for (int i = 0; i < commands; ++i) {
        if (dice.chance(0.2)) script += "@step " + std::to_string(i) + "\r\n";
        if (dice.chance(0.2)) script += "&" + std::to_string(dice.between(0, 300)) + "\r\n";
        std::string command;
        switch (dice.between(0, 5)) {
        case 0: command = dice.chance(0.5) ? "#OSD ON" : "#OSD OFF"; break;
        case 1: command = "#PATTERN " + std::to_string(dice.between(0, 7)); break;
        case 2: command = "#BRIGHTNESS " + std::to_string(dice.between(0, 100)); break;
        case 3: command = "#CONTRAST " + std::to_string(dice.between(0, 100)); break;
        case 4: command = "#SATURATION " + std::to_string(dice.between(0, 100)); break;
        default: command = "#SAVE"; break;
        }
        script += command + (dice.chance(0.5) ? "\r\n" : "\n");
        s.remoteCommands.push_back(command);
        reach.bytesSent += command.size() + 2;
    }
    addFile(s, "remote.txt", text(script));
    reach.uncheckedToCard = true;
    return reach;
}

}  // namespace

const std::vector<std::string>& commandNames() {
    static const std::vector<std::string> names = {"VIPER 1",
                                                   "VIPER 5",
                                                   "VIPER 7",
                                                   "VERIFY 1",
                                                   "VERIFY 5",
                                                   "VERIFY 7",
                                                   "STATUS",
                                                   "MICRO boot mode",
                                                   "MICRO running firmware",
                                                   "MICRO old firmware",
                                                   "MICRO 55 path",
                                                   "FPGA",
                                                   "EDID",
                                                   "GAMMA",
                                                   "ALL",
                                                   "REMOTE"};
    return names;
}

Scenario pickScenario(std::uint64_t seed) {
    Dice dice(seed);
    Scenario s;
    s.seed = seed;
    s.startTick = dice.chance(0.2) ? static_cast<DWORD>(0xFFFFFFFFu - dice.between(0, 120000))
                                   : static_cast<DWORD>(dice.next());
    s.card.model = dice.pick(kModels);
    s.before = oldContents(dice);

    Reach reach;
    switch (dice.between(0, 15)) {
    case 0: reach = viper(s, dice, 1); break;
    case 1: reach = viper(s, dice, 5); break;
    case 2: reach = viper(s, dice, 7); break;
    case 3: reach = verify(s, dice, 1); break;
    case 4: reach = verify(s, dice, 5); break;
    case 5: reach = verify(s, dice, 7); break;
    case 6: reach = status(s, dice); break;
    case 7: reach = micro(s, dice, MicroEntry::kBootMode); break;
    case 8: reach = micro(s, dice, MicroEntry::kFirmware); break;
    case 9: reach = micro(s, dice, MicroEntry::kOldFirmware); break;
    case 10: reach = micro(s, dice, MicroEntry::kNoProbeAnswer); break;
    case 11: reach = fpga(s, dice); break;
    case 12: reach = edid(s, dice); break;
    case 13: reach = gamma(s, dice); break;
    case 14: reach = all(s, dice); break;
    default: reach = remote(s, dice); break;
    }
    injectFaults(s, reach, dice);
    s.boundMs = longestLegitimateRunMs(s);
    return s;
}

std::string Scenario::describe() const {
    std::string line = "seed " + seedText(seed) + ": updater";
    for (const std::string& arg : args) line += " " + arg;
    line += " on " + card.model + ", " + faultDetails;
    return line;
}

}  // namespace matrix
