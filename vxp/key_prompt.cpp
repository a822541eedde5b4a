#include "vxp/key_prompt.h"

#include "platform/win32.h"

void pressKeyToContinue() {
    printf("Press a key to continue ... ");
    _getch();
}
