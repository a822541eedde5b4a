// The run's record on Windows: CNG's SHA-256 (bcrypt), and an append of one
// WriteFile on a handle opened with FILE_APPEND_DATA only, which Windows
// makes atomic against other appends.
#include "platform/run_log.h"

#include "platform/win32.h"  // <windows.h>, which <bcrypt.h> needs before it

#include <bcrypt.h>
#include <cstdio>
#include <memory>

#undef ReadFile

namespace {

constexpr DWORD kDigestSize = 32;

struct FileClose {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

struct HashClose {
    BCRYPT_ALG_HANDLE algorithm = nullptr;
    BCRYPT_HASH_HANDLE hash = nullptr;
    ~HashClose() {
        if (hash != nullptr) BCryptDestroyHash(hash);
        if (algorithm != nullptr) BCryptCloseAlgorithmProvider(algorithm, 0);
    }
};

std::string errorText(const char* what, unsigned long code) {
    char text[96];
    std::snprintf(text, sizeof text, "%s (error 0x%lX)", what, code);
    return text;
}

}  // namespace

bool fileSha256(const char* name, std::string& hex, unsigned long long& size, std::string& why) {
    std::unique_ptr<std::FILE, FileClose> file(std::fopen(name, "rb"));
    if (!file) {
        why = "the file cannot be opened";
        return false;
    }
    HashClose cng;
    NTSTATUS status = BCryptOpenAlgorithmProvider(&cng.algorithm, BCRYPT_SHA256_ALGORITHM, nullptr, 0);
    if (BCRYPT_SUCCESS(status)) status = BCryptCreateHash(cng.algorithm, &cng.hash, nullptr, 0, nullptr, 0, 0);
    unsigned char chunk[65536];
    size = 0;
    std::size_t got;
    while (BCRYPT_SUCCESS(status) && (got = std::fread(chunk, 1, sizeof chunk, file.get())) > 0) {
        status = BCryptHashData(cng.hash, chunk, static_cast<ULONG>(got), 0);
        size += got;
    }
    if (std::ferror(file.get())) {
        why = "the file cannot be read to its end";
        return false;
    }
    unsigned char digest[kDigestSize];
    if (BCRYPT_SUCCESS(status)) status = BCryptFinishHash(cng.hash, digest, kDigestSize, 0);
    if (!BCRYPT_SUCCESS(status)) {
        why = errorText("SHA-256 failed", static_cast<unsigned long>(status));
        return false;
    }
    hex.clear();
    for (unsigned char byte : digest) {
        char pair[3];
        std::snprintf(pair, sizeof pair, "%02x", byte);
        hex += pair;
    }
    return true;
}

bool appendLine(const char* path, const std::string& line, std::string& why) {
    HANDLE log = CreateFileA(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                             nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (log == INVALID_HANDLE_VALUE) {
        why = errorText("the file cannot be opened for appending", GetLastError());
        return false;
    }
    DWORD written = 0;
    bool whole =
        WriteFile(log, line.data(), static_cast<DWORD>(line.size()), &written, nullptr) && written == line.size();
    if (!whole) why = errorText("the line was not written whole", GetLastError());
    CloseHandle(log);
    return whole;
}
