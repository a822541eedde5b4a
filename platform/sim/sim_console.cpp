// The operator on the simulated platform: keys come from the test's script,
// and the process calls succeed without effect.
#include <cstdio>

#include "platform/sim/sim_state.h"
#include "platform/win32.h"

using simport::detail::state;

namespace {
constexpr char kInterruptKey = 0x03;  // Ctrl-C
}

int _getch() {
    auto& s = state();
    simport::detail::stopIfInterrupted();
    ++s.keyReads;
    if (s.nextKey == s.keys.size()) return EOF;
    char key = s.keys[s.nextKey++];
    if (key == kInterruptKey) simport::detail::interruptNow();
    return static_cast<unsigned char>(key);
}

HANDLE GetCurrentProcess() { return INVALID_HANDLE_VALUE; }

BOOL SetPriorityClass(HANDLE, DWORD) { return TRUE; }
