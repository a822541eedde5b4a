// A port the user may not open is reported as a missing permission, not as held.
#include <gtest/gtest.h>

#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

#include "tests/support/processes.h"

namespace {

constexpr uid_t kNobody = 65534;

// Runs updater on `port` as nobody (when root), else with the device's modes taken away.
ProcessResult runWithoutAccess(const std::string& dir, const std::string& port) {
    std::string device = std::filesystem::canonical(port);
    bool root = geteuid() == 0;
    if (!root) chmod(device.c_str(), 0);
    ProcessResult run = runProgram(UPDATER_BIN, dir, {port, "STATUS"}, "",
                                   root ? +[] { return setgid(kNobody) == 0 && setuid(kNobody) == 0; } : nullptr);
    if (!root) chmod(device.c_str(), 0620);
    return run;
}

TEST(EndToEnd, PermissionMissingIsReportedAsSuch) {
    WorkDir test;
    const std::string& dir = test.path();
    chmod(dir.c_str(), 0755);  // the user without access still enters it
    Cardsim card(dir, {});

    ProcessResult denied = runWithoutAccess(dir, card.link());
    EXPECT_EQ(denied.output, "Failed to open " + card.link() + " :  No permission to open " + card.link() +
                                 ": read and write access to it is needed (usually membership of its "
                                 "group, such as dialout)\n\nExit updater\n");
    EXPECT_EQ(denied.status, 1);

    EXPECT_EQ(card.stop(), 0);
}

}  // namespace
