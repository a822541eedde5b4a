// Reads and writes on the simulated port. A write hands the bytes to the
// peer at the present simulated time and takes none; a read takes what the
// peer has delivered, advancing the clock to the next byte's arrival or to
// the read's time-out, whichever comes first.
#include <algorithm>
#include <cstdint>

#include "platform/host/last_error.h"
#include "platform/host/read_plan.h"
#include "platform/sim/sim_state.h"

namespace {

using simport::detail::kNanosPerMs;
using simport::detail::state;

std::size_t receive(std::uint8_t* out, std::size_t max) {
    if (state().peer == nullptr || max == 0) return 0;
    return state().peer->hostRead(out, max, state().now);
}

void advanceTo(sim::Nanos time) { simport::detail::advanceClock(time); }

// Waits until a byte arrives or `limit` passes; true when a byte arrived.
bool waitForArrival(sim::Nanos limit) {
    std::optional<sim::Nanos> next;
    if (state().peer != nullptr) next = state().peer->nextArrival(limit);
    advanceTo(next ? std::min(*next, limit) : limit);
    return next.has_value();
}

std::size_t readFirstBytes(std::uint8_t* out, std::size_t count, std::uint64_t waitMs) {
    std::size_t got = receive(out, count);
    if (got > 0 || count == 0) return got;
    if (!waitForArrival(state().now + waitMs * kNanosPerMs)) return 0;
    return receive(out, count);
}

std::size_t readFullCount(std::uint8_t* out, std::size_t count, const host::ReadPlan& plan) {
    const sim::Nanos deadline = state().now + plan.totalMs * kNanosPerMs;
    std::size_t got = receive(out, count);
    // Each round either takes at least one byte or ends the read.
    while (got < count) {
        sim::Nanos limit = deadline;
        if (plan.intervalMs > 0 && got > 0) limit = std::min(limit, state().now + plan.intervalMs * kNanosPerMs);
        if (!waitForArrival(limit)) break;
        std::size_t more = receive(out + got, count - got);
        if (more == 0) {  // announced but not delivered: the peer has nothing more for this read
            advanceTo(limit);
            break;
        }
        got += more;
    }
    return got;
}

bool injectedReadFailure() {
    auto& s = state();
    if (s.readFailures == 0) return false;
    if (s.readsBeforeFailure > 0) {
        --s.readsBeforeFailure;
        return false;
    }
    --s.readFailures;
    host::setLastError(s.readError);
    return true;
}

}  // namespace

BOOL ReadFile(HANDLE file, LPVOID data, DWORD toRead, LPDWORD read, LPOVERLAPPED) {
    simport::detail::stopIfInterrupted();
    if (read != nullptr) *read = 0;
    simport::detail::SimPort* port = simport::detail::findPort(file);
    if (port == nullptr || !simport::detail::stillConnected(*port)) return FALSE;
    if (injectedReadFailure()) return FALSE;

    auto* out = static_cast<std::uint8_t*>(data);
    const host::ReadPlan plan = host::planRead(port->timeouts, toRead);
    std::size_t got = 0;
    switch (plan.mode) {
    case host::ReadPlan::Mode::Immediate: got = receive(out, toRead); break;
    case host::ReadPlan::Mode::FirstByte: got = readFirstBytes(out, toRead, plan.totalMs); break;
    case host::ReadPlan::Mode::FullCount: got = readFullCount(out, toRead, plan); break;
    }
    if (read != nullptr) *read = static_cast<DWORD>(got);
    return TRUE;
}

BOOL WriteFile(HANDLE file, LPCVOID data, DWORD toWrite, LPDWORD written, LPOVERLAPPED) {
    simport::detail::stopIfInterrupted();
    if (written != nullptr) *written = 0;
    simport::detail::SimPort* port = simport::detail::findPort(file);
    if (port == nullptr || !simport::detail::stillConnected(*port)) return FALSE;
    if (state().stalledWrites > 0) {
        --state().stalledWrites;
        return TRUE;
    }
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    state().written.append(reinterpret_cast<const char*>(bytes), toWrite);
    if (state().peer != nullptr) state().peer->hostWrite(bytes, toWrite, state().now);
    if (written != nullptr) *written = toWrite;
    return TRUE;
}
