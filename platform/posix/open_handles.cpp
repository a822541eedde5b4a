#include "platform/posix/open_handles.h"

#include <map>
#include <unistd.h>

#include "platform/host/last_error.h"
#include "platform/posix/input_watch.h"
#include "platform/posix/port_output.h"

namespace posix {

namespace {

std::map<HANDLE, std::unique_ptr<OpenHandle>>& handles() {
    static std::map<HANDLE, std::unique_ptr<OpenHandle>> open;
    return open;
}

}  // namespace

HANDLE keepHandle(std::unique_ptr<OpenHandle> open) {
    HANDLE handle = open.get();
    handles().emplace(handle, std::move(open));
    return handle;
}

OpenHandle* findHandle(HANDLE handle) {
    auto found = handles().find(handle);
    if (found == handles().end()) {
        host::setLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    return found->second.get();
}

OpenHandle* findPort(HANDLE handle) {
    OpenHandle* open = findHandle(handle);
    if (open != nullptr && !open->isPort) {
        host::setLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    return open;
}

void forEachPort(const std::function<void(OpenHandle&)>& visit) {
    for (auto& [handle, open] : handles()) {
        if (open->isPort) visit(*open);
    }
}

bool closeHandle(HANDLE handle) {
    OpenHandle* open = findHandle(handle);
    if (open == nullptr) return false;
    if (open->isPort) {
        sendGathered(*open);
        unwatchInput(open->inputWatch);
    }
    ::close(open->fd);
    handles().erase(handle);
    return true;
}

}  // namespace posix
