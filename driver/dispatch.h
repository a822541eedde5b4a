// Command selection: usage test, command table, file checks, ALL discovery,
// and the call of exactly one handler.
#pragma once

#include "port/console.h"

void dispatchCommand(int argc, char* argv[], const char* command, int DVITOSDI);

// The name of a flash device image, as VIPER and VERIFY take it: "Device",
// the device digit (1, 5 or 7, into `device`), ".bin". False with the
// reason in `why` otherwise.
bool deviceFileNameAcceptable(const char* name, unsigned short& device, Refusal& why);
