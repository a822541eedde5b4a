// updater --ports: the serial ports the machine has, one a line, with what
// is known of each. Nothing is sent to any port.
#pragma once

// Prints the list; `root` is where posix reads /sys and /dev from (a test's
// tree; nullptr for the system's own). Returns the exit status, 0.
int listPorts(const char* root);
