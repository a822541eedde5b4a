#include "platform/host/settings_check.h"

namespace host {

bool validSettings(const DCB& dcb) {
    return dcb.BaudRate > 0 && dcb.ByteSize >= 5 && dcb.ByteSize <= 8 && dcb.Parity <= SPACEPARITY &&
           dcb.StopBits <= TWOSTOPBITS;
}

bool validTimeouts(const COMMTIMEOUTS& timeouts) {
    return !(timeouts.ReadIntervalTimeout == MAXDWORD && timeouts.ReadTotalTimeoutMultiplier == MAXDWORD &&
             timeouts.ReadTotalTimeoutConstant == MAXDWORD);
}

}  // namespace host
