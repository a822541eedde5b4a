// The operator on the simulated platform: keys come from the test's script,
// and the process calls succeed without effect.
#include <cstdio>

#include "platform/sim/sim_state.h"
#include "platform/win32.h"

using simport::detail::state;

int _getch() {
    auto& s = state();
    ++s.keyReads;
    if (s.nextKey == s.keys.size()) return EOF;
    return static_cast<unsigned char>(s.keys[s.nextKey++]);
}

HANDLE GetCurrentProcess() { return INVALID_HANDLE_VALUE; }

BOOL SetPriorityClass(HANDLE, DWORD) { return TRUE; }
