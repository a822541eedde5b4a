#include "card/handlers.h"
#include "port/unavailable.h"

void ProgramEDID(const char*) { reportUnavailable("The EDID command"); }
