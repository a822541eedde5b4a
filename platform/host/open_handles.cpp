#include "platform/host/open_handles.h"

#include <map>
#include <unistd.h>

#include "platform/host/last_error.h"

namespace host {

namespace {

std::map<HANDLE, std::unique_ptr<OpenHandle>>& handles() {
    static std::map<HANDLE, std::unique_ptr<OpenHandle>> open;
    return open;
}

}  // namespace

OpenHandle::~OpenHandle() {
    if (fd >= 0) ::close(fd);
}

HANDLE keepHandle(std::unique_ptr<OpenHandle> open) {
    HANDLE handle = open.get();
    handles().emplace(handle, std::move(open));
    return handle;
}

OpenHandle* findHandle(HANDLE handle) {
    auto found = handles().find(handle);
    if (found == handles().end()) {
        setLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    return found->second.get();
}

OpenHandle* findPort(HANDLE handle) {
    OpenHandle* open = findHandle(handle);
    if (open != nullptr && !open->isPort) {
        setLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    return open;
}

void forEachHandle(const std::function<void(OpenHandle&)>& visit) {
    for (auto& [handle, open] : handles()) visit(*open);
}

bool anyHandle(const std::function<bool(const OpenHandle&)>& matches) {
    for (const auto& [handle, open] : handles()) {
        if (matches(*open)) return true;
    }
    return false;
}

bool forgetHandle(HANDLE handle) {
    if (findHandle(handle) == nullptr) return false;
    handles().erase(handle);
    return true;
}

void forgetAllHandles() { handles().clear(); }

}  // namespace host
