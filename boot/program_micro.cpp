#include "boot/program_micro.h"

#include "driver/unavailable.h"

void ProgramMicro() { reportUnavailable("The MICRO command"); }
