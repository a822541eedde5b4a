#include "driver/exit_status.h"

int exitStatus = kExitDone;
