#include "card/handlers.h"
#include "driver/unavailable.h"

void Remote(const char*) { reportUnavailable("The REMOTE command"); }
