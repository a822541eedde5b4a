#include "card/handlers.h"
#include "port/unavailable.h"

void Remote(const char*) { reportUnavailable("The REMOTE command"); }
