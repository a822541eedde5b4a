#include "tests/support/work_dir.h"

#include <filesystem>
#include <stdexcept>
#include <stdlib.h>
#include <unistd.h>

WorkDir::WorkDir() {
    previous_ = std::filesystem::current_path().string();
    char templ[] = "/tmp/updater-work-XXXXXX";
    if (!mkdtemp(templ)) throw std::runtime_error("cannot create a work directory");
    path_ = templ;
    std::filesystem::current_path(path_);
}

WorkDir::~WorkDir() {
    std::error_code ignored;
    std::filesystem::current_path(previous_, ignored);
    std::filesystem::remove_all(path_, ignored);
}
