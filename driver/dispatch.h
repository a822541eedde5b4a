// Command selection: usage test, command table, file checks, ALL discovery,
// and the call of exactly one handler.
#pragma once

void dispatchCommand(int argc, char* argv[], const char* command, int DVITOSDI);
