// Serial ports from Linux's sysfs. A ttyS device has a UART behind it when
// sysfs gives it a device (/sys/class/tty/ttySn/device) and a port type
// other than 0, PORT_UNKNOWN: the 8250 driver registers its legacy ports
// (0x3F8, 0x2F8 ...) and a number of spare ones whether or not a UART
// answers there, and leaves their type 0. USB adapters (ttyUSB, ttyACM) are
// there when they are plugged in; their facts are the USB device's.
#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <tuple>

#include "platform/posix/device_path.h"
#include "platform/serial_ports.h"

namespace fs = std::filesystem;

namespace {

constexpr const char* kFamilies[] = {"ttyS", "ttyUSB", "ttyACM"};
constexpr int kMostParents = 16;  // from a tty up to its USB device

// The first line of a sysfs attribute, "" when it is not there.
std::string attribute(const fs::path& file) {
    std::ifstream in(file);
    std::string line;
    if (in) std::getline(in, line);
    while (!line.empty() && std::isspace(static_cast<unsigned char>(line.back()))) line.pop_back();
    return line;
}

// The family and number of a tty name ("ttyUSB", 0), or an empty family.
std::pair<std::string, long> familyOf(const std::string& name) {
    for (const char* family : kFamilies) {
        std::string prefix = family;
        if (name.size() <= prefix.size() || name.compare(0, prefix.size(), prefix) != 0) continue;
        std::string digits = name.substr(prefix.size());
        if (digits.size() > 6 || !std::all_of(digits.begin(), digits.end(), ::isdigit)) continue;
        return {prefix, std::stol(digits)};
    }
    return {"", 0};
}

bool hasUart(const fs::path& tty) {
    std::error_code error;
    if (!fs::exists(tty / "device", error)) return false;
    std::string type = attribute(tty / "type");
    return type.empty() || std::strtol(type.c_str(), nullptr, 0) != 0;
}

void add(std::string& details, const std::string& fact) {
    if (fact.empty()) return;
    if (!details.empty()) details += ", ";
    details += fact;
}

// The USB device a tty belongs to: the first directory above its device
// that has a vendor id.
fs::path usbDevice(const fs::path& tty, const fs::path& sysRoot) {
    std::error_code error;
    fs::path at = fs::canonical(tty / "device", error);
    for (int i = 0; !error && i < kMostParents && at.has_relative_path() && at != sysRoot;
         ++i, at = at.parent_path()) {
        if (fs::exists(at / "idVendor", error)) return at;
    }
    return {};
}

std::string usbFacts(const fs::path& tty, const fs::path& sysRoot) {
    fs::path usb = usbDevice(tty, sysRoot);
    if (usb.empty()) return "";
    std::string facts;
    add(facts, attribute(usb / "manufacturer"));
    add(facts, attribute(usb / "product"));
    std::string serial = attribute(usb / "serial");
    if (!serial.empty()) add(facts, "serial number " + serial);
    add(facts, "USB " + attribute(usb / "idVendor") + ":" + attribute(usb / "idProduct"));
    return facts;
}

std::string uartFacts(const fs::path& tty) {
    std::string facts = "UART";
    std::string port = attribute(tty / "port");
    if (!port.empty() && std::strtol(port.c_str(), nullptr, 0) != 0) facts += " at " + port;
    std::string irq = attribute(tty / "irq");
    if (!irq.empty() && irq != "0") facts += ", IRQ " + irq;
    return facts;
}

// The stable names under /dev/serial/by-id/ of the device `name`.
std::string stableName(const fs::path& root, const std::string& name) {
    std::error_code error;
    fs::path byId = root / "dev/serial/by-id";
    std::string names;
    for (const fs::directory_entry& link : fs::directory_iterator(byId, error)) {
        fs::path target = fs::read_symlink(link.path(), error);
        if (!error && target.filename() == name)
            add(names, "/dev/serial/by-id/" + link.path().filename().string());
    }
    return names;
}

// COMn for ttyS(n-1), when that is how the tool reaches it.
std::string comName(const std::string& family, long number) {
    if (family != "ttyS") return "";
    std::string com = "COM" + std::to_string(number + 1);
    return posix::devicePath(com) == "/dev/ttyS" + std::to_string(number) ? com : "";
}

}  // namespace

std::vector<SerialPort> listSerialPorts(const std::string& root) {
    fs::path base = root.empty() ? fs::path("/") : fs::path(root);
    fs::path sysRoot = base / "sys";
    std::vector<std::tuple<std::string, long, SerialPort>> found;
    std::error_code error;
    for (const fs::directory_entry& entry : fs::directory_iterator(sysRoot / "class/tty", error)) {
        std::string name = entry.path().filename().string();
        auto [family, number] = familyOf(name);
        if (family.empty()) continue;
        bool uart = family == "ttyS";
        if (uart && !hasUart(entry.path())) continue;
        std::string details = comName(family, number);
        add(details, uart ? uartFacts(entry.path()) : usbFacts(entry.path(), fs::canonical(sysRoot, error)));
        add(details, stableName(base, name));
        found.emplace_back(family, number, SerialPort{"/dev/" + name, details});
    }
    std::sort(found.begin(), found.end(), [](const auto& a, const auto& b) {
        return std::tie(std::get<0>(a), std::get<1>(a)) < std::tie(std::get<0>(b), std::get<1>(b));
    });
    std::vector<SerialPort> ports;
    for (auto& port : found) ports.push_back(std::get<2>(port));
    return ports;
}
