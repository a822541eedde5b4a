// The whole run of the tool: arguments, port, probe, identification, banner,
// command, closing. Returns the process's exit status.
#pragma once

int runUpdater(int argc, char* argv[]);
