#include "fault_matrix/faults.h"

#include <cstdio>
#include <set>
#include <vector>

#include "sim/boot/boot_fault.h"

namespace matrix {

namespace {

const std::vector<std::string> kBootSteps = {"match",        "start",   "length-high", "length-low", "kernel",
                                             "erase",        "inquiry", "device",      "clock",      "rate",
                                             "confirm",      "finish",  "main-kernel", "status",     "prepare",
                                             "write-kernel", "frame",   "image-status"};

std::vector<std::string> faultKinds(const Reach& reach) {
    std::vector<std::string> kinds = {"noise", "drop", "corrupt", "late", "silent", "vanish", "restart", "unplug"};
    if (reach.isp) kinds.push_back("nack");
    if (reach.boot) {
        kinds.insert(kinds.end(), {"boot silent", "boot late", "boot wrong", "boot no-ack", "boot chatter",
                                   "failed erase", "wrong status bytes"});
    }
    if (reach.fpga) kinds.insert(kinds.end(), {"fpga $x", "fpga ~F", "fpga stall"});
    if (reach.content) kinds.push_back("~E verdict");
    return kinds;
}

// "name value" with the value to `digits` places.
std::string format(const char* name, double value, int digits) {
    char out[64];
    std::snprintf(out, sizeof out, "%s %.*f", name, digits, value);
    return out;
}

void setBootFault(sim::CardOptions& card, const std::string& fault) { sim::parseBootFault(fault, card.bootFault); }

// Adds the fault `kind` to the card; returns its details.
std::string inject(const std::string& kind, const Reach& reach, Dice& dice, sim::CardOptions& card) {
    const std::vector<std::uint64_t> lateness = {100, 1000, 2900, 3100, 4000, 6000, 35000};
    if (kind == "noise") return format("noise", card.noise = dice.logUniform(1e-5, 3e-3), 6);
    if (kind == "drop") return format("drop", card.drop = dice.logUniform(1e-5, 3e-3), 6);
    if (kind == "corrupt") return format("corrupt", card.corrupt = dice.logUniform(1e-5, 3e-3), 6);
    if (kind == "nack") return format("nack", card.nack = dice.logUniform(2e-3, 0.3), 4);
    if (kind == "late") {
        card.late = dice.logUniform(2e-3, 0.3);
        card.lateByMs = dice.pick(lateness);
        return format("late", card.late, 4) + " by " + std::to_string(card.lateByMs) + " ms";
    }
    if (kind == "silent") {
        card.silent = true;
        return "silent";
    }
    if (kind == "vanish") {
        card.vanishAfter = dice.between(1, reach.bytesSent);
        return "vanish after " + std::to_string(card.vanishAfter) + " bytes";
    }
    // Bytes cross the line both ways: about as many come back as go out.
    if (kind == "restart") {
        card.restartAfter = dice.between(1, 2 * reach.bytesSent);
        return "restart after " + std::to_string(card.restartAfter) + " bytes";
    }
    if (kind == "unplug") {
        card.unplugAfter = dice.between(1, 2 * reach.bytesSent);
        card.goneForMs = dice.pick(std::vector<std::uint64_t>{0, 500, 3000, 12000});
        return "unplug after " + std::to_string(card.unplugAfter) + " bytes for " +
               (card.goneForMs == 0 ? std::string("good") : std::to_string(card.goneForMs) + " ms");
    }
    if (kind == "failed erase") {
        setBootFault(card, "wrong@erase");
        return "boot wrong@erase";
    }
    if (kind == "wrong status bytes") {
        std::string fault = std::string(dice.chance(0.5) ? "wrong" : "bad-sum") + "@" +
                            (dice.chance(0.5) ? "status" : "image-status");
        if (dice.chance(0.2)) fault = "bad-sum@inquiry";
        setBootFault(card, fault);
        return "boot " + fault;
    }
    if (kind.rfind("boot ", 0) == 0) {
        std::string fault = kind.substr(5) + "@" + dice.pick(kBootSteps);
        setBootFault(card, fault);
        card.lateByMs = dice.pick(lateness);
        return "boot " + fault + (kind == "boot late" ? " by " + std::to_string(card.lateByMs) + " ms" : "");
    }
    if (kind == "fpga $x") {
        card.fpgaErrorEvery = dice.between(1, 40);
        return "fpga-error-every " + std::to_string(card.fpgaErrorEvery);
    }
    if (kind == "fpga ~F") {
        card.fpgaFailAt = dice.between(1, 40);
        return "fpga-fail-at " + std::to_string(card.fpgaFailAt);
    }
    if (kind == "fpga stall") {
        card.fpgaStallAt = dice.between(1, 30);
        card.fpgaStallMs = dice.pick(std::vector<std::uint64_t>{500, 1500, 5000, 65000});
        return "fpga-stall-at " + std::to_string(card.fpgaStallAt) + " for " + std::to_string(card.fpgaStallMs) +
               " ms";
    }
    card.contentWriteFails = true;  // "~E verdict"
    return "content-write-fails";
}

}  // namespace

void injectFaults(Scenario& s, const Reach& reach, Dice& dice) {
    s.card.seed = dice.next();
    double roll = dice.unit();
    int count = roll < 0.08 ? 0 : roll < 0.8 ? 1 : 2;
    std::vector<std::string> kinds = faultKinds(reach);
    std::set<std::string> chosen;
    while (static_cast<int>(chosen.size()) < count) chosen.insert(dice.pick(kinds));
    // Two boot faults would overwrite each other: keep the first.
    bool bootTaken = false;
    for (const std::string& kind : chosen) {
        bool bootKind = kind.rfind("boot ", 0) == 0 || kind == "failed erase" || kind == "wrong status bytes";
        if (bootKind && bootTaken) continue;
        bootTaken |= bootKind;
        s.faults.push_back(kind);
        if (!s.faultDetails.empty()) s.faultDetails += ", ";
        s.faultDetails += inject(kind, reach, dice, s.card);
    }
    if (s.faults.empty()) {
        s.faults.push_back("none");
        s.faultDetails = "no fault";
    }
    s.card.faultsSpareHostBytes = reach.uncheckedToCard;
}

}  // namespace matrix
