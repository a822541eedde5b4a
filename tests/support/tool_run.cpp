#include "tests/support/tool_run.h"

#include "driver/updater.h"
#include "platform/sim/sim_port.h"
#include "tests/support/console_capture.h"

ToolRun runTool(const std::vector<std::string>& args, sim::SerialPeer& peer,
                const std::string& keys, DWORD startTick) {
    simport::attach(&peer);
    simport::startClock(startTick);
    simport::pressKeys(keys);

    std::vector<std::string> words{"updater"};
    words.insert(words.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (auto& word : words) argv.push_back(word.data());
    argv.push_back(nullptr);

    ConsoleCapture capture;
    int status = runUpdater(static_cast<int>(words.size()), argv.data());
    return {capture.text(), status};
}
