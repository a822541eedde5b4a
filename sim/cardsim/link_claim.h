// The --link of a running cardsim: PATH, a symbolic link to its terminal,
// and PATH.lock, a file it holds locked for as long as it runs. A second
// cardsim given the same PATH finds the lock taken and refuses, instead of
// taking the link over and orphaning the first card; a link whose cardsim
// was killed (its lock free) is replaced. PATH.lock is never opened through
// a symbolic link: one planted there is refused.
#pragma once

#include <string>

namespace cardsim {

class LinkClaim {
public:
    LinkClaim() = default;
    ~LinkClaim();
    LinkClaim(const LinkClaim&) = delete;
    LinkClaim& operator=(const LinkClaim&) = delete;

    // Makes `link` a symbolic link to `target`. On failure returns false and
    // says why in `error`; a note for the operator (a stale link replaced)
    // goes to `note`.
    bool take(const std::string& link, const std::string& target, std::string& error, std::string& note);

    // Removes the link while the card is unplugged, keeping the lock; a link
    // someone else has put there since is left alone. Nothing without a link.
    void withdraw();
    // Makes the link point at `target`, the card's new terminal. On failure
    // returns false and says why in `error`. Nothing without a link.
    bool pointAt(const std::string& target, std::string& error);

private:
    bool lock(std::string& error);
    std::string link_;
    std::string target_;
    std::string lockPath_;
    int lockFd_ = -1;
};

}  // namespace cardsim
