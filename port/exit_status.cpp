#include "port/exit_status.h"

int exitStatus = kExitDone;
