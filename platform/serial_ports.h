// The serial ports the system has, for `updater --ports`: each by the name
// the tool takes as its port argument, with what the system tells of it.
//
// - Windows: the COM ports of the serial-device map (the registry's
//   HKLM\HARDWARE\DEVICEMAP\SERIALCOMM, the ports Device Manager shows),
//   each with the device behind it; then the COM names the system resolves
//   to a device (QueryDosDevice) that the map lacks.
// - posix (Linux's sysfs): /dev/ttyS* with a UART behind it, /dev/ttyUSB*
//   and /dev/ttyACM* with the adapter's maker, product, serial number and
//   USB ids, its stable name under /dev/serial/by-id/, and for ttySn the
//   name COMn by which the tool reaches it.
#pragma once

#include <string>
#include <vector>

struct SerialPort {
    std::string name;     // COM7, /dev/ttyUSB0
    std::string details;  // what is known of it, "" when nothing
};

// Ordered by name, numbers by their value (COM2 before COM10). `root` is
// where posix reads /sys and /dev from ("" for the system's own); Windows
// takes no root.
std::vector<SerialPort> listSerialPorts(const std::string& root);
