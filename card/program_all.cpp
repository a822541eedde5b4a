#include "card/handlers.h"
#include "driver/unavailable.h"

void ProgramALL(int, int, int, int) { reportUnavailable("The ALL command"); }
