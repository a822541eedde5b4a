// A fresh, empty working directory for one test, left again at its end.
#pragma once

#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <stdlib.h>
#include <string>

inline void writeFile(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

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
    WorkDir(const WorkDir&) = delete;
    WorkDir& operator=(const WorkDir&) = delete;

    const std::string& path() const { return path_; }

    void write(const std::string& name, const std::string& bytes) const { writeFile(path_ + "/" + name, bytes); }

private:
    std::string previous_;
    std::string path_;
};
