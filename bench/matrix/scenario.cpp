#include "bench/matrix/scenario.h"

#include <algorithm>
#include <cstdio>
#include <set>

#include "bench/matrix/bounds.h"
#include "bench/matrix/dice.h"
#include "sim/boot/boot_fault.h"
#include "sim/samples/firmware_image.h"
#include "sim/samples/sample_files.h"
#include "sim/samples/xsvf_sample.h"

namespace matrix {

namespace {

const std::vector<std::string> kModels = {"DVITOSDI",  "SDITODVI",  "SL-SDITODVI",
                                          "HDMITOSDI", "SDITOHDMI", "SL-SDITOHDMI"};
const std::vector<std::string> kEdidModels = {"DVITOSDI", "HDMITOSDI"};

constexpr std::size_t kVectorArea = 1024;
constexpr std::size_t kMainAreaStart = 0x800;

// What a command is made of, beyond the scenario itself: which kinds of
// fault can reach it and how many bytes it sends at most.
struct Reach {
    bool isp = false;      // packets to the video processor (NACKs apply)
    bool boot = false;     // the boot program answers (its faults apply)
    bool fpga = false;     // an FPGA transfer (the player's faults apply)
    bool content = false;  // an EDID or gamma transfer (the "~E" verdict applies)
    // The tool's bytes go unchecked to the card (the FPGA's data, the remote
    // commands): the card takes a damaged byte as sent, and no host can tell.
    bool uncheckedToCard = false;
    std::uint64_t bytesSent = 22;  // the identification's
};

Bytes text(const std::string& s) { return {s.begin(), s.end()}; }

std::string hexSeed(std::uint64_t seed) {
    char out[24];
    std::snprintf(out, sizeof out, "%llu", static_cast<unsigned long long>(seed));
    return out;
}

// ---- update files --------------------------------------------------------

Bytes deviceImage(Dice& dice, int device, bool large = false) {
    std::size_t least = device == 1 ? 1 : 256;
    return dice.bytes(large ? 20000 : dice.between(least, 4000));
}

// A 128- or 256-byte EDID whose blocks each sum to 0 modulo 256.
Bytes edidImage(Dice& dice) {
    Bytes image = dice.bytes(dice.chance(0.5) ? 128 : 256);
    for (std::size_t block = 0; block < image.size(); block += 128) {
        const std::uint8_t header[8] = {0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x00};
        if (block == 0) std::copy(header, header + 8, image.begin());
        unsigned sum = 0;
        for (std::size_t i = block; i < block + 127; ++i) sum += image[i];
        image[block + 127] = static_cast<std::uint8_t>(-sum);
    }
    return image;
}

// A gamma table file of random values, and the table the card should keep
// (3072 big-endian values, line by line, red, green and blue).
std::pair<Bytes, Bytes> gammaTable(Dice& dice) {
    std::string csv = "% gamma table\r\n";
    Bytes table;
    for (int line = 0; line < 1024; ++line) {
        for (int channel = 0; channel < 3; ++channel) {
            auto value = static_cast<unsigned>(dice.between(0, 1023));
            csv += std::to_string(value) + (channel < 2 ? "," : "\r\n");
            table.push_back(static_cast<std::uint8_t>(value >> 8));
            table.push_back(static_cast<std::uint8_t>(value & 0xFF));
        }
    }
    return {text(csv), table};
}

// Firmware data for appMain.mot, and where the boot-mode programmer puts it:
// the first 1024 bytes at 0, the rest from 0x800.
Bytes firmwareData(Dice& dice) { return dice.bytes(dice.between(kVectorArea, 5000)); }

Bytes microFlashOf(const Bytes& data) {
    Bytes flash(kMainAreaStart + data.size() - kVectorArea, 0xFF);
    std::copy(data.begin(), data.begin() + kVectorArea, flash.begin());
    std::copy(data.begin() + kVectorArea, data.end(), flash.begin() + kMainAreaStart);
    return flash;
}

std::size_t fpgaSize(Dice& dice) { return dice.between(sim::kXsvfMinimumSize, 30000); }

// ---- what the card holds before the run ----------------------------------

// Old contents in every memory, so that a write where none was asked for shows.
Memories oldContents(Dice& dice) {
    Memories old;
    for (Memory device : {kDevice1, kDevice5, kDevice7}) {
        if (dice.chance(0.8)) old.of[device] = dice.bytes(dice.between(1, 6000));
    }
    if (dice.chance(0.8)) old.of[kMicro] = microFlashOf(firmwareData(dice));
    if (dice.chance(0.8)) old.of[kEdid] = edidImage(dice);
    if (dice.chance(0.8)) old.of[kGamma] = gammaTable(dice).second;
    if (dice.chance(0.8)) old.of[kFpga] = sim::xsvfSample(fpgaSize(dice));
    return old;
}

// ---- the commands --------------------------------------------------------

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
    auto byteAt = [](const Bytes& bytes, std::size_t at) -> unsigned { return at < bytes.size() ? bytes[at] : 0xFF; };
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

// ---- the faults ----------------------------------------------------------

const std::vector<std::string> kBootSteps = {
    "match",   "start",  "length-high", "length-low", "kernel",  "erase",        "inquiry", "device", "clock",
    "rate",    "confirm", "finish",     "main-kernel", "status", "prepare", "write-kernel", "frame",  "image-status"};

std::vector<std::string> faultKinds(const Reach& reach) {
    std::vector<std::string> kinds = {"noise", "drop", "corrupt", "late", "silent", "vanish"};
    if (reach.isp) kinds.push_back("nack");
    if (reach.boot) {
        kinds.insert(kinds.end(), {"boot silent", "boot late", "boot wrong", "boot no-ack", "boot chatter",
                                   "failed erase", "wrong status bytes"});
    }
    if (reach.fpga) kinds.insert(kinds.end(), {"fpga $x", "fpga ~F", "fpga stall"});
    if (reach.content) kinds.push_back("~E verdict");
    return kinds;
}

// "name value" with the value to `digits` places.
std::string format(const char* name, double value, int digits) {
    char out[64];
    std::snprintf(out, sizeof out, "%s %.*f", name, digits, value);
    return out;
}

void setBootFault(sim::CardOptions& card, const std::string& fault) {
    sim::parseBootFault(fault, card.bootFault);
}

// Adds the fault `kind` to the card; returns its details.
std::string inject(const std::string& kind, const Reach& reach, Dice& dice, sim::CardOptions& card) {
    const std::vector<std::uint64_t> lateness = {100, 1000, 2900, 3100, 4000, 6000, 35000};
    if (kind == "noise") return format("noise", card.noise = dice.logUniform(1e-5, 3e-3), 6);
    if (kind == "drop") return format("drop", card.drop = dice.logUniform(1e-5, 3e-3), 6);
    if (kind == "corrupt") return format("corrupt", card.corrupt = dice.logUniform(1e-5, 3e-3), 6);
    if (kind == "nack") return format("nack", card.nack = dice.logUniform(2e-3, 0.3), 4);
    if (kind == "late") {
        card.late = dice.logUniform(2e-3, 0.3);
        card.lateByMs = dice.pick(lateness);
        return format("late", card.late, 4) + " by " + std::to_string(card.lateByMs) + " ms";
    }
    if (kind == "silent") {
        card.silent = true;
        return "silent";
    }
    if (kind == "vanish") {
        card.vanishAfter = dice.between(1, reach.bytesSent);
        return "vanish after " + std::to_string(card.vanishAfter) + " bytes";
    }
    if (kind == "failed erase") {
        setBootFault(card, "wrong@erase");
        return "boot wrong@erase";
    }
    if (kind == "wrong status bytes") {
        std::string fault = std::string(dice.chance(0.5) ? "wrong" : "bad-sum") + "@" +
                            (dice.chance(0.5) ? "status" : "image-status");
        if (dice.chance(0.2)) fault = "bad-sum@inquiry";
        setBootFault(card, fault);
        return "boot " + fault;
    }
    if (kind.rfind("boot ", 0) == 0) {
        std::string fault = kind.substr(5) + "@" + dice.pick(kBootSteps);
        setBootFault(card, fault);
        card.lateByMs = dice.pick(lateness);
        return "boot " + fault + (kind == "boot late" ? " by " + std::to_string(card.lateByMs) + " ms" : "");
    }
    if (kind == "fpga $x") {
        card.fpgaErrorEvery = dice.between(1, 40);
        return "fpga-error-every " + std::to_string(card.fpgaErrorEvery);
    }
    if (kind == "fpga ~F") {
        card.fpgaFailAt = dice.between(1, 40);
        return "fpga-fail-at " + std::to_string(card.fpgaFailAt);
    }
    if (kind == "fpga stall") {
        card.fpgaStallAt = dice.between(1, 30);
        card.fpgaStallMs = dice.pick(std::vector<std::uint64_t>{500, 1500, 5000, 65000});
        return "fpga-stall-at " + std::to_string(card.fpgaStallAt) + " for " + std::to_string(card.fpgaStallMs) +
               " ms";
    }
    card.contentWriteFails = true;  // "~E verdict"
    return "content-write-fails";
}

void injectFaults(Scenario& s, const Reach& reach, Dice& dice) {
    s.card.seed = dice.next();
    double roll = dice.unit();
    int count = roll < 0.08 ? 0 : roll < 0.8 ? 1 : 2;
    std::vector<std::string> kinds = faultKinds(reach);
    std::set<std::string> chosen;
    while (static_cast<int>(chosen.size()) < count) chosen.insert(dice.pick(kinds));
    // Two boot faults would overwrite each other: keep the first.
    bool bootTaken = false;
    for (const std::string& kind : chosen) {
        bool bootKind = kind.rfind("boot ", 0) == 0 || kind == "failed erase" || kind == "wrong status bytes";
        if (bootKind && bootTaken) continue;
        bootTaken |= bootKind;
        s.faults.push_back(kind);
        if (!s.faultDetails.empty()) s.faultDetails += ", ";
        s.faultDetails += inject(kind, reach, dice, s.card);
    }
    if (s.faults.empty()) {
        s.faults.push_back("none");
        s.faultDetails = "no fault";
    }
    s.card.faultsSpareHostBytes = reach.uncheckedToCard;
}

}  // namespace

const std::vector<std::string>& commandNames() {
    static const std::vector<std::string> names = {
        "VIPER 1",         "VIPER 5",           "VIPER 7",     "VERIFY 1",          "VERIFY 5", "VERIFY 7",
        "STATUS",          "MICRO boot mode",   "MICRO running firmware", "MICRO old firmware", "MICRO 55 path",
        "FPGA",            "EDID",              "GAMMA",       "ALL",               "REMOTE"};
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
    std::string line = "seed " + hexSeed(seed) + ": updater";
    for (const std::string& arg : args) line += " " + arg;
    line += " on " + card.model + ", " + faultDetails;
    return line;
}

}  // namespace matrix
