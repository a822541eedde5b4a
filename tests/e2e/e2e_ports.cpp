// updater --ports on a sysfs-shaped tree: the UARTs that sysfs says are
// there, the USB adapters with their maker, product, serial number and
// stable name, and nothing else; no port is opened.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "tests/support/processes.h"

namespace fs = std::filesystem;

namespace {

void attributes(const fs::path& dir, const std::vector<std::pair<std::string, std::string>>& values) {
    fs::create_directories(dir);
    for (const auto& [name, value] : values) std::ofstream(dir / name) << value << "\n";
}

// A tty of sysfs's class whose device is `device` (under sys/devices).
void tty(const fs::path& root, const std::string& name, const std::string& device,
         const std::vector<std::pair<std::string, std::string>>& values = {}) {
    fs::path dir = root / "sys/class/tty" / name;
    attributes(dir, values);
    if (device.empty()) return;
    fs::create_directories(root / "sys/devices" / device);
    fs::create_directory_symlink("../../../devices/" + device, dir / "device");
}

TEST(EndToEnd, PortsListsTheUartsAndAdaptersOfTheSystemTree) {
    WorkDir dir;
    fs::path root = dir.path() + "/root";
    const std::string ftdi = "pci0000:00/0000:00:14.0/usb1/1-2";
    const std::string uno = "pci0000:00/0000:00:14.0/usb1/1-3";
    attributes(root / "sys/devices" / ftdi, {{"idVendor", "0403"},
                                             {"idProduct", "6001"},
                                             {"manufacturer", "FTDI"},
                                             {"product", "FT232R USB UART"},
                                             {"serial", "A5XK3RJT"}});
    attributes(root / "sys/devices" / uno,
               {{"idVendor", "2341"}, {"idProduct", "0043"}, {"manufacturer", "Arduino (www.arduino.cc)"}});
    tty(root, "ttyS0", "pnp0/00:05", {{"type", "4"}, {"port", "0x3F8"}, {"irq", "4"}});
    tty(root, "ttyS1", "pnp0/00:06", {{"type", "0"}, {"port", "0x2F8"}, {"irq", "3"}});  // no UART answered
    tty(root, "ttyS2", "");                                                              // no device
    tty(root, "ttyS10", "platform/serial8250", {{"type", "4"}, {"port", "0x0"}, {"irq", "0"}});
    tty(root, "ttyUSB0", ftdi + "/1-2:1.0/ttyUSB0");
    tty(root, "ttyACM0", uno + "/1-3:1.0");
    tty(root, "ttyUSB1", "platform/other/ttyUSB1");  // no USB device above it
    tty(root, "tty0", "virtual");
    tty(root, "console", "virtual");
    fs::create_directories(root / "dev/serial/by-id");
    fs::create_symlink("../../ttyUSB0", root / "dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A5XK3RJT-if00-port0");

    ProcessResult listed = runProgram(UPDATER_BIN, dir.path(), {"--ports", "--root", root.string()});
    EXPECT_EQ(listed.status, 0);
    EXPECT_EQ(listed.output, "/dev/ttyACM0   Arduino (www.arduino.cc), USB 2341:0043\n"
                             "/dev/ttyS0     COM1, UART at 0x3F8, IRQ 4\n"
                             "/dev/ttyS10    COM11, UART\n"
                             "/dev/ttyUSB0   FTDI, FT232R USB UART, serial number A5XK3RJT, USB 0403:6001, "
                             "/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A5XK3RJT-if00-port0\n"
                             "/dev/ttyUSB1\n");

    fs::create_directories(dir.path() + "/empty");
    ProcessResult none = runProgram(UPDATER_BIN, dir.path(), {"--ports", "--root", dir.path() + "/empty"});
    EXPECT_EQ(none.output, "No serial port found.\n");
    EXPECT_EQ(none.status, 0);
}

}  // namespace
