#include "sim/memory/state_file.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>

namespace sim {

std::vector<std::uint8_t> readFile(const std::string& path, std::size_t limit) {
    std::ifstream in(path, std::ios::binary);
    std::vector<std::uint8_t> bytes;
    char chunk[65536];
    while (in && bytes.size() < limit) {
        in.read(chunk, static_cast<std::streamsize>(std::min(sizeof chunk, limit - bytes.size())));
        bytes.insert(bytes.end(), chunk, chunk + in.gcount());
    }
    return bytes;
}

bool writeFile(const std::string& path, std::string_view bytes) {
    std::string temporary = path + ".new";
    std::FILE* out = std::fopen(temporary.c_str(), "wb");
    bool ok = out != nullptr;
    if (ok) {
        ok = bytes.empty() || std::fwrite(bytes.data(), 1, bytes.size(), out) == bytes.size();
        ok = std::fclose(out) == 0 && ok;
    }
    if (ok) ok = std::rename(temporary.c_str(), path.c_str()) == 0;
    if (!ok) {
        std::fprintf(stderr, "card: cannot write %s: %s\n", path.c_str(), std::strerror(errno));
        std::remove(temporary.c_str());
    }
    return ok;
}

bool writeFile(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    return writeFile(path, std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
}

}  // namespace sim
