#include "card/handlers.h"
#include "port/unavailable.h"

void ProgramALL(int, int, int, int) { reportUnavailable("The ALL command"); }
