#include "tests/support/scripted_peer.h"

#include <algorithm>

void ScriptedPeer::sendAt(sim::Nanos at, const std::string& bytes, sim::Nanos spacing) {
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        pending_.emplace_back(at + i * spacing, static_cast<std::uint8_t>(bytes[i]));
    }
    std::stable_sort(pending_.begin(), pending_.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
}

void ScriptedPeer::onWrite(const std::string& trigger, const std::string& reply, sim::Nanos delay) {
    rules_.push_back({trigger, reply, delay});
}

void ScriptedPeer::hostWrite(const std::uint8_t* data, std::size_t count, sim::Nanos now) {
    received_.append(reinterpret_cast<const char*>(data), count);
    while (!rules_.empty()) {
        std::size_t at = received_.find(rules_.front().trigger, searchFrom_);
        if (at == std::string::npos) break;
        searchFrom_ = at + rules_.front().trigger.size();
        sendAt(now + rules_.front().delay, rules_.front().reply);
        rules_.pop_front();
    }
}

std::optional<sim::Nanos> ScriptedPeer::nextArrival(sim::Nanos until) {
    if (pending_.empty() || pending_.front().first > until) return std::nullopt;
    return pending_.front().first;
}

std::size_t ScriptedPeer::hostRead(std::uint8_t* out, std::size_t max, sim::Nanos now) {
    std::size_t n = 0;
    while (n < max && n < pending_.size() && pending_[n].first <= now) {
        out[n] = pending_[n].second;
        ++n;
    }
    pending_.erase(pending_.begin(), pending_.begin() + static_cast<std::ptrdiff_t>(n));
    return n;
}
