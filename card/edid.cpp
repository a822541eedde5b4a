#include "card/handlers.h"
#include "driver/unavailable.h"

void ProgramEDID(const char*) { reportUnavailable("The EDID command"); }
