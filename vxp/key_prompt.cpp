#include "vxp/commands.h"

#include "platform/win32.h"

void pressKeyToContinue() {
    printf("Press a key to continue ... ");
    _getch();
}
