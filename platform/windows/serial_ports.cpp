// Serial ports on Windows: the serial-device map first, each COM port with
// the device behind it (\Device\Serial0, \Device\VCP0 ...), then the COM
// names the system resolves to a device that the map lacks (a port of a
// driver that does not enter the map, or one Wine maps to a Unix device).
#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "platform/serial_ports.h"
#include "platform/win32.h"

namespace {

constexpr DWORD kMostNames = 1 << 20;  // the whole list of the system's device names
constexpr DWORD kLongestName = 256;
constexpr int kMostComNumber = 256;

// The number of a name COMn, or 0 for any other name.
long comNumber(const std::string& name) {
    if (name.size() < 4 || name.size() > 6 || _strnicmp(name.c_str(), "COM", 3) != 0) return 0;
    if (!std::all_of(name.begin() + 3, name.end(), [](char c) { return c >= '0' && c <= '9'; })) return 0;
    return std::strtol(name.c_str() + 3, nullptr, 10);
}

bool listed(const std::vector<SerialPort>& ports, const std::string& name) {
    return std::any_of(ports.begin(), ports.end(),
                       [&](const SerialPort& p) { return _stricmp(p.name.c_str(), name.c_str()) == 0; });
}

void addFromDeviceMap(std::vector<SerialPort>& ports) {
    HKEY map;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "HARDWARE\\DEVICEMAP\\SERIALCOMM", 0, KEY_READ, &map) != ERROR_SUCCESS) {
        return;
    }
    for (DWORD index = 0;; ++index) {
        char device[kLongestName];
        DWORD deviceLength = sizeof device;
        BYTE com[kLongestName];
        DWORD comLength = sizeof com - 1;
        DWORD type = 0;
        LONG result = RegEnumValueA(map, index, device, &deviceLength, nullptr, &type, com, &comLength);
        if (result == ERROR_MORE_DATA) continue;  // not a COM name
        if (result != ERROR_SUCCESS) break;
        if (type != REG_SZ) continue;
        com[comLength] = '\0';
        std::string name(reinterpret_cast<char*>(com));
        if (comNumber(name) != 0 && !listed(ports, name)) ports.push_back({name, device});
    }
    RegCloseKey(map);
}

// COMn with the device the system resolves it to, unless listed already.
void addResolved(std::vector<SerialPort>& ports, const std::string& name) {
    if (listed(ports, name)) return;
    char target[kLongestName * 4] = "";
    if (QueryDosDeviceA(name.c_str(), target, sizeof target) != 0) ports.push_back({name, target});
}

// COMn that opens although the system names no device for it: Wine maps a
// comN link of its prefix so. Opened without access, nothing sent, and
// closed at once; on Windows a name that resolves to no device opens none.
void addOpened(std::vector<SerialPort>& ports, const std::string& name) {
    if (listed(ports, name)) return;
    HANDLE port = CreateFileA(("\\\\.\\" + name).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    if (port == INVALID_HANDLE_VALUE) return;
    CloseHandle(port);
    ports.push_back({name, "opens; the system names no device for it"});
}

// The COM names among the system's device names; then those the system
// resolves when asked by name, which not every system enumerates; then
// those that open all the same.
void addFromDosDevices(std::vector<SerialPort>& ports) {
    std::vector<char> names(65536);
    DWORD stored;
    while ((stored = QueryDosDeviceA(nullptr, names.data(), static_cast<DWORD>(names.size()))) == 0) {
        if (GetLastError() != ERROR_INSUFFICIENT_BUFFER || names.size() >= kMostNames) break;
        names.resize(names.size() * 2);
    }
    const char* end = names.data() + std::min<std::size_t>(stored, names.size() - 1);
    names.back() = '\0';
    for (const char* name = names.data(); name < end && *name != '\0'; name += std::strlen(name) + 1) {
        if (comNumber(name) != 0) addResolved(ports, name);
    }
    for (int number = 1; number <= kMostComNumber; ++number) addResolved(ports, "COM" + std::to_string(number));
    for (int number = 1; number <= kMostComNumber; ++number) addOpened(ports, "COM" + std::to_string(number));
}

}  // namespace

std::vector<SerialPort> listSerialPorts(const std::string&) {
    std::vector<SerialPort> ports;
    addFromDeviceMap(ports);
    addFromDosDevices(ports);
    std::sort(ports.begin(), ports.end(),
              [](const SerialPort& a, const SerialPort& b) { return comNumber(a.name) < comNumber(b.name); });
    return ports;
}
