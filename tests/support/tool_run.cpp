#include "tests/support/tool_run.h"

#include <cstdio>
#include <cstring>
#include <sys/wait.h>
#include <unistd.h>

#include "driver/updater.h"
#include "platform/sim/sim_port.h"
#include "port/port.h"
#include "tests/support/console_capture.h"

int runUpdaterOn(const std::vector<std::string>& args, sim::SerialPeer& peer, const std::string& keys,
                 DWORD startTick) {
    simport::attach(&peer);
    simport::startClock(startTick);
    simport::pressKeys(keys);

    std::vector<std::string> words{"updater"};
    words.insert(words.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (auto& word : words) argv.push_back(word.data());
    argv.push_back(nullptr);
    return runUpdater(static_cast<int>(words.size()), argv.data());
}

ToolRun runTool(const std::vector<std::string>& args, sim::SerialPeer& peer, const std::string& keys,
                DWORD startTick) {
    ConsoleCapture capture;
    int status = runUpdaterOn(args, peer, keys, startTick);
    return {capture.text(), status};
}

ToolRun runToolInterrupted(const std::vector<std::string>& args, sim::SerialPeer& peer, sim::Nanos at,
                           const std::string& keys) {
    ConsoleCapture capture;  // shared with the child, which prints into it
    pid_t child = ::fork();
    if (child == 0) {
        simport::reset();  // what an earlier run left open is not this run's
        simport::interruptAt(at);
        int status = runUpdaterOn(args, peer, keys, 0x1000);
        std::fflush(stdout);
        ::_exit(status);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return {capture.text(), WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status)};
}

bool openSimPort(sim::SerialPeer& peer, DWORD startTick) {
    simport::reset();
    simport::attach(&peer);
    simport::startClock(startTick);
    std::strcpy(lportname, "COM1");
    std::strcpy(lfullportname, "\\\\.\\COM1");
    return openPort() && configurePort(true);
}

void closeSimPort() {
    CloseHandle(lport);
    lport = INVALID_HANDLE_VALUE;
}
