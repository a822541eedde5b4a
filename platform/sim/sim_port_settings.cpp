// Port settings on the simulated platform: each open port keeps its own
// records; the peer hears every bit rate applied.
#include "platform/host/last_error.h"
#include "platform/host/settings_check.h"
#include "platform/sim/sim_port.h"
#include "platform/sim/sim_state.h"

using simport::detail::state;

BOOL GetCommState(HANDLE file, LPDCB dcb) {
    simport::detail::SimPort* port = simport::detail::findPort(file);
    if (port == nullptr) return FALSE;
    *dcb = port->settings;
    return TRUE;
}

BOOL SetCommState(HANDLE file, LPDCB dcb) {
    simport::detail::SimPort* port = simport::detail::findPort(file);
    if (port == nullptr) return FALSE;
    if (!host::validSettings(*dcb)) {
        host::setLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    port->settings = *dcb;
    state().appliedDcb = *dcb;
    if (state().peer != nullptr) state().peer->setHostBaud(dcb->BaudRate);
    return TRUE;
}

BOOL SetCommTimeouts(HANDLE file, LPCOMMTIMEOUTS timeouts) {
    simport::detail::SimPort* port = simport::detail::findPort(file);
    if (port == nullptr) return FALSE;
    if (!host::validTimeouts(*timeouts)) {
        host::setLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    port->timeouts = *timeouts;
    state().appliedTimeouts = *timeouts;
    return TRUE;
}

namespace simport {

DCB portDefaults() { return detail::defaultDcb(); }

const DCB& appliedSettings() { return state().appliedDcb; }

const COMMTIMEOUTS& appliedTimeouts() { return state().appliedTimeouts; }

}  // namespace simport
