#include "port/unavailable.h"

#include "port/exit_status.h"
#include "platform/win32.h"

void reportUnavailable(const char* what) {
    printf("\n%s is not available in this version of the updater. Nothing was changed.\n", what);
    exitStatus = kExitFailed;
}
