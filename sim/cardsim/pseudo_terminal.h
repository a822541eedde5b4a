// The pseudo-terminal cardsim serves the card on. The slave side is held
// open for the whole life of the terminal, so a tool closing and reopening
// the port never leaves the master without a slave (no hangup, no EIO).
#pragma once

#include <cstdint>
#include <string>

namespace cardsim {

class PseudoTerminal {
public:
    PseudoTerminal() = default;
    ~PseudoTerminal();
    PseudoTerminal(const PseudoTerminal&) = delete;
    PseudoTerminal& operator=(const PseudoTerminal&) = delete;

    // Opens a master and its slave in raw mode, the master non-blocking.
    // On failure returns false and says why in `error`.
    bool open(std::string& error);
    // Closes both sides: a host holding the slave open finds it hung up, as
    // a port whose USB adapter was pulled out. open() makes a new terminal.
    void close();

    int master() const { return master_; }
    const std::string& slavePath() const { return slavePath_; }

    // The bit rate the host has set the terminal to (0 if unknown).
    std::uint32_t hostBaud() const;

private:
    int master_ = -1;
    int slave_ = -1;
    std::string slavePath_;
};

}  // namespace cardsim
