#include "driver/port_listing.h"

#include "platform/serial_ports.h"
#include "platform/win32.h"

int listPorts(const char* root) {
    std::vector<SerialPort> ports = listSerialPorts(root != nullptr ? root : "");
    if (ports.empty()) printf("No serial port found.\n");
    for (const SerialPort& port : ports) {
        if (port.details.empty()) {
            printf("%s\n", port.name.c_str());
        } else {
            printf("%-14s %s\n", port.name.c_str(), port.details.c_str());
        }
    }
    return 0;
}
