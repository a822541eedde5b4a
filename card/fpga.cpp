#include "card/handlers.h"
#include "port/unavailable.h"

void ProgramFPGA(const char*) { reportUnavailable("The FPGA command"); }
