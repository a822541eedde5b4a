#include "card/handlers.h"
#include "port/unavailable.h"

void ProgramGamma(const char*) { reportUnavailable("The GAMMA command"); }
