// A port the user may not open is reported as a missing permission, named
// by its device path, and not as a port another program holds (that text
// stays for a port held: unit tests of the platform and of errorCheck).
#include <gtest/gtest.h>

#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "tests/e2e/processes.h"

namespace {

constexpr uid_t kNobody = 65534;

// Runs updater on `port` as a user without access to it: as nobody when the
// test runs as root, else with the device's permissions taken away.
ProcessResult runWithoutAccess(const std::string& dir, const std::string& port) {
    int ends[2];
    if (pipe(ends) != 0) return {"pipe", -1};
    std::string device = std::filesystem::canonical(port);
    bool root = geteuid() == 0;
    if (!root) chmod(device.c_str(), 0);
    pid_t pid = fork();
    if (pid == 0) {
        dup2(ends[1], STDOUT_FILENO);
        if (root && (setgid(kNobody) != 0 || setuid(kNobody) != 0)) _exit(125);
        if (chdir(dir.c_str()) != 0) _exit(126);
        execl(UPDATER_BIN, UPDATER_BIN, port.c_str(), "STATUS", static_cast<char*>(nullptr));
        _exit(127);
    }
    close(ends[1]);
    std::string output;
    char chunk[1024];
    ssize_t n;
    while ((n = read(ends[0], chunk, sizeof chunk)) > 0) output.append(chunk, static_cast<std::size_t>(n));
    close(ends[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    if (!root) chmod(device.c_str(), 0620);
    return {output, WIFEXITED(status) ? WEXITSTATUS(status) : -1};
}

TEST(EndToEnd, PermissionMissingIsReportedAsSuch) {
    TestDir test;
    const std::string& dir = test.path;
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
