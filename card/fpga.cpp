#include "card/handlers.h"
#include "driver/unavailable.h"

void ProgramFPGA(const char*) { reportUnavailable("The FPGA command"); }
