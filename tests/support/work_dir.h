// A fresh, empty working directory for one test, left again at its end.
#pragma once

#include <string>

class WorkDir {
public:
    WorkDir();
    ~WorkDir();
    WorkDir(const WorkDir&) = delete;
    WorkDir& operator=(const WorkDir&) = delete;

    const std::string& path() const { return path_; }

    // Writes a file of the given bytes, relative to the directory.
    void write(const std::string& name, const std::string& bytes) const;

private:
    std::string previous_;
    std::string path_;
};
