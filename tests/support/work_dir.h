// A directory under /tmp for one test, the current directory while it lives, then
// removed; the sample update files on request or from the start.
#pragma once

#include <filesystem>
#include <stdexcept>
#include <stdlib.h>
#include <string>

#include "sim/memory/state_file.h"
#include "sim/samples/sample_files.h"

class WorkDir {
public:
    WorkDir() : previous_(std::filesystem::current_path().string()) {
        char templ[] = "/tmp/updater-work-XXXXXX";
        if (!mkdtemp(templ)) throw std::runtime_error("cannot create a work directory");
        path_ = templ;
        std::filesystem::current_path(path_);
    }
    ~WorkDir() {
        std::error_code ignored;
        std::filesystem::current_path(previous_, ignored);
        std::filesystem::remove_all(path_, ignored);
    }
    explicit WorkDir(std::size_t xsvfSize) : WorkDir() { writeSamples(xsvfSize); }
    WorkDir(const WorkDir&) = delete;
    WorkDir& operator=(const WorkDir&) = delete;

    const std::string& path() const { return path_; }

    void write(const std::string& name, const std::string& bytes) const {
        sim::writeFile(path_ + "/" + name, bytes);
    }

    // The whole content of the file `name` in it (empty when it cannot be read).
    std::string read(const std::string& name) const {
        std::vector<std::uint8_t> bytes = sim::readFile(path_ + "/" + name);
        return {bytes.begin(), bytes.end()};
    }

    // Writes the sample update files (fpga.xsvf of `xsvfSize` bytes).
    void writeSamples(std::size_t xsvfSize = sim::kDefaultXsvfSize) const {
        std::string error = sim::writeSampleFiles(path_, xsvfSize);
        if (!error.empty()) throw std::runtime_error(error);
    }

private:
    std::string previous_;
    std::string path_;
};
