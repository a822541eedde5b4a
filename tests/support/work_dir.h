// A fresh, empty working directory for one test, left again at its end.
#pragma once

#include <fstream>
#include <string>

inline void writeFile(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

class WorkDir {
public:
    WorkDir();
    ~WorkDir();
    WorkDir(const WorkDir&) = delete;
    WorkDir& operator=(const WorkDir&) = delete;

    const std::string& path() const { return path_; }

    void write(const std::string& name, const std::string& bytes) const { writeFile(path_ + "/" + name, bytes); }

private:
    std::string previous_;
    std::string path_;
};
