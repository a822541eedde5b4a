// The card's text channel, as a card or a noisy line may send it, read by the reply
// reader, one question or the identification. Input: [what runs][start tick code]
// [chunks of bytes], the adapter pulled out after them (scripted_line.h).
// Whatever arrives: a reply stays inside its 60-byte area and ends with a
// NUL there; a taken frame starts with '#' and ends with a carriage return;
// the tool writes nothing but its questions; every wait ends in time, and
// not before its time.
#include <cstring>
#include <memory>

#include "driver/identification.h"
#include "port/port.h"
#include "platform/sim/sim_port.h"
#include "tests/fuzz/scripted_line.h"

namespace {

using fuzz::kMs;
using fuzz::require;

constexpr std::size_t kReplyArea = 60;
// What the reply reader reports.
constexpr int kTooLong = 0;
constexpr int kReadFailed = 1;
constexpr int kDeadline = 2;
constexpr int kFrame = 4;
// One reply wait: 2 s, noticed at the first 1 ms poll after it.
constexpr sim::Nanos kReplyWaitMin = 2000 * kMs;
constexpr sim::Nanos kReplyWait = 2002 * kMs;
// One question: the drain of up to 1 s, then four reply waits.
constexpr sim::Nanos kQuestion = 1002 * kMs + 4 * kReplyWait;
// Identification: fifteen version questions, the model question, then the
// three menu keys half a second apart and one read.
constexpr sim::Nanos kIdentification = 16 * kQuestion + 1502 * kMs;

const std::string kVersionQuestion = "#DEVERSION\r";
const std::string kModelQuestion = "#DEVTYPE\r";
const std::string kMenuKeys = "\r1$";

// A 60-byte reply area, so that AddressSanitizer sees a store past it, without a NUL.
std::unique_ptr<char[]> freshReplyArea() {
    std::unique_ptr<char[]> area(new char[kReplyArea]);
    std::memset(area.get(), 'Z', kReplyArea);
    return area;
}

void requireTerminated(const char* area) {
    require(std::memchr(area, '\0', kReplyArea) != nullptr, "the reply ends with a NUL inside its area");
}

// '#' first, the carriage return just before the ending NUL (a frame may hold NULs).
void requireFrame(const char* area) {
    require(area[0] == '#', "a frame starts with '#'");
    bool closed = false;
    for (std::size_t i = 1; i + 1 < kReplyArea; ++i) closed = closed || (area[i] == '\r' && area[i + 1] == '\0');
    require(closed, "a frame ends with a carriage return");
}

void readOneReply() {
    auto area = freshReplyArea();
    int outcome = ReadCmd(area.get());
    require(outcome == kTooLong || outcome == kReadFailed || outcome == kDeadline || outcome == kFrame,
            "a known read outcome");
    requireTerminated(area.get());
    if (outcome == kFrame) requireFrame(area.get());
    require(simport::now() <= kReplyWait, "the reply wait ends in time");
    require(outcome != kDeadline || simport::now() >= kReplyWaitMin, "a deadline only after the whole wait");
}

void askOneQuestion() {
    auto area = freshReplyArea();
    std::string question = kVersionQuestion;
    int replied = SendCmd(question.data(), static_cast<int>(question.size()), area.get());
    require(replied == 0 || replied == 1, "a question is answered or not");
    requireTerminated(area.get());
    if (replied) requireFrame(area.get());
    require(simport::written() == kVersionQuestion, "the question is written once");
    require(simport::now() <= kQuestion, "a question ends in time");
}

// What identification may write: one to fifteen version questions, the
// model question, and the menu keys after an unanswered model question.
bool onlyQuestions(const std::string& written) {
    std::size_t at = 0;
    int versions = 0;
    while (written.compare(at, kVersionQuestion.size(), kVersionQuestion) == 0) {
        at += kVersionQuestion.size();
        ++versions;
    }
    if (versions < 1 || versions > 15) return false;
    if (written.compare(at, kModelQuestion.size(), kModelQuestion) != 0) return false;
    at += kModelQuestion.size();
    std::string rest = written.substr(at);
    return rest.empty() || rest == kMenuKeys;
}

void identify() {
    std::strcpy(lportname, "COM1");
    std::strcpy(lfullportname, "\\\\.\\COM1");
    cardVersion = 69;
    std::strcpy(RDVersion, "E");
    int result = DevType();
    bool model = result >= 1 && result <= 6;
    require(model || result == kNoCommunication || result == kOldFirmware || result == kModelUnknown,
            "a model code or a known status");
    require(std::memchr(RDVersion, '\0', sizeof RDVersion) != nullptr, "the version word ends with a NUL");
    require(onlyQuestions(simport::written()), "identification writes only its questions");
    require(simport::now() <= kIdentification, "identification ends in time");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2) return 0;
    fuzz::ScriptedLine line(data[1], true);
    line.script(data + 2, size - 2);
    switch (data[0] % 3) {
    case 0: readOneReply(); break;
    case 1: askOneQuestion(); break;
    default: identify(); break;
    }
    return 0;
}
