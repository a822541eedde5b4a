#include "driver/run_record.h"

#include <cstdlib>
#include <ctime>
#include <nlohmann/json.hpp>
#include <string>

#include "driver/identification.h"
#include "platform/run_log.h"
#include "platform/win32.h"
#include "port/console.h"

namespace {

using Json = nlohmann::ordered_json;

// The port, command and file arguments are kept as typed.
struct Record {
    std::string started;
    Json port;
    Json command;
    Json file;
    Json card;
    std::string lastLine;
};
Record record;

// The time now, in UTC, to the second: 2024-05-02T09:14:03Z.
std::string now() {
    std::time_t seconds = std::time(nullptr);
    char text[32] = "";
    if (const std::tm* utc = std::gmtime(&seconds)) std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", utc);
    return text;
}

Json filesSent() {
    Json files = Json::array();
    for (int i = 0; i < filesSentCount(); ++i) {
        Json file = {{"name", fileSent(i)}};
        std::string hex;
        std::string why;
        unsigned long long size = 0;
        if (fileSha256(fileSent(i), hex, size, why)) {
            file["size"] = size;
            file["sha256"] = hex;
        } else {
            file["sha256"] = nullptr;
            file["error"] = why;
        }
        files.push_back(file);
    }
    return files;
}

void appendRecord(int status) {
    const char* log = std::getenv("UPDATER_LOG");
    if (log == nullptr || log[0] == '\0') return;
    Json line = {{"started", record.started}, {"ended", now()}};
    line["port"] = record.port;
    line["command"] = record.command;
    line["file"] = record.file;
    line["files"] = filesSent();
    line["card"] = record.card;
    line["status"] = status;
    if (status != 0) line["last_line"] = record.lastLine;
    // Bytes that are not UTF-8 (a file name in a legacy code page) are
    // replaced rather than let the line fail.
    std::string text = line.dump(-1, ' ', false, Json::error_handler_t::replace) + "\n";
    std::string why;
    if (!appendLine(log, text, why)) {
        std::fprintf(stderr, "updater: warning: the run was not recorded in %s: %s\n", log, why.c_str());
    }
}

void recordInterruptedEnd(int status) {
    noteLastLine();
    appendRecord(status);
}

Json argument(int argc, char* argv[], int index) { return index < argc ? Json(argv[index]) : Json(nullptr); }

}  // namespace

void startRunRecord(int argc, char* argv[]) {
    record = Record{now(), argument(argc, argv, 1), argument(argc, argv, 2), argument(argc, argv, 3), nullptr, ""};
    forgetFilesSent();
    atInterruptEnd(recordInterruptedEnd);
}

void recordCard(int model) {
    Json firmware = nullptr;
    if (RDVersion[0] != 'E') {
        std::string word(RDVersion, sizeof RDVersion);  // ten characters, not always ended
        firmware = word.c_str();
    }
    record.card = {{"model", cardModeName[model - 1]}, {"firmware", firmware}, {"variant", cardVersion}};
}

void noteLastLine() { record.lastLine = lastConsoleLine(); }

void finishRunRecord(int status) { appendRecord(status); }
