#include "boot/program_micro.h"

#include "port/unavailable.h"

void ProgramMicro() { reportUnavailable("The MICRO command"); }
