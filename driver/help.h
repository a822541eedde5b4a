// The options that need no card: --help (also -h and /?) and --version.
#pragma once

// When `argument` (the first one) asks for help or the version, prints it and
// returns true; the run then ends with status 0 without opening a port.
bool answerHelpOrVersion(const char* argument);
