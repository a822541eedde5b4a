#include "boot/FDT.h"

#include "port/unavailable.h"

int FDT(HANDLE, DCB, COMMTIMEOUTS, char*) {
    reportUnavailable("Boot-mode programming of the microcontroller");
    return 1;
}
