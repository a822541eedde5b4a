// The run's record on posix: OpenSSL's SHA-256, and an append of one write
// on a file opened with O_APPEND, which the system makes atomic against
// other appends.
#include "platform/run_log.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <openssl/evp.h>
#include <unistd.h>

namespace {

struct DigestFree {
    void operator()(EVP_MD_CTX* context) const { EVP_MD_CTX_free(context); }
};
struct FileClose {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

}  // namespace

bool fileSha256(const char* name, std::string& hex, unsigned long long& size, std::string& why) {
    std::unique_ptr<std::FILE, FileClose> file(std::fopen(name, "rb"));
    if (!file) {
        why = std::strerror(errno);
        return false;
    }
    std::unique_ptr<EVP_MD_CTX, DigestFree> context(EVP_MD_CTX_new());
    if (!context || EVP_DigestInit_ex(context.get(), EVP_sha256(), nullptr) != 1) {
        why = "SHA-256 is not available";
        return false;
    }
    unsigned char chunk[65536];
    size = 0;
    std::size_t got;
    while ((got = std::fread(chunk, 1, sizeof chunk, file.get())) > 0) {
        EVP_DigestUpdate(context.get(), chunk, got);
        size += got;
    }
    if (std::ferror(file.get())) {
        why = "the file cannot be read to its end";
        return false;
    }
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    if (EVP_DigestFinal_ex(context.get(), digest, &length) != 1) {
        why = "SHA-256 failed";
        return false;
    }
    hex.clear();
    for (unsigned int i = 0; i < length; ++i) {
        char pair[3];
        std::snprintf(pair, sizeof pair, "%02x", digest[i]);
        hex += pair;
    }
    return true;
}

bool appendLine(const char* path, const std::string& line, std::string& why) {
    int fd = ::open(path, O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0666);
    if (fd < 0) {
        why = std::strerror(errno);
        return false;
    }
    ssize_t written;
    do {
        written = ::write(fd, line.data(), line.size());
    } while (written < 0 && errno == EINTR);
    bool whole = written >= 0 && static_cast<std::size_t>(written) == line.size();
    if (written < 0) why = std::strerror(errno);
    if (written >= 0 && !whole) why = "the line was written in part";
    if (::close(fd) != 0 && whole) {
        why = std::strerror(errno);
        whole = false;
    }
    return whole;
}
