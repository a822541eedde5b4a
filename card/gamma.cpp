#include "card/handlers.h"
#include "driver/unavailable.h"

void ProgramGamma(const char*) { reportUnavailable("The GAMMA command"); }
