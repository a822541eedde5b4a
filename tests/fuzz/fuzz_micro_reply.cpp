// The microcontroller's bytes, as a card or a noisy line may send them, read by the
// answer reader or a micro command exchange. Input: [what runs][start tick code]
// [chunks of bytes], the adapter pulled out after them (scripted_line.h).
// Whatever arrives: the reader gives one of its four verdicts; the command
// is accepted only when "=M*" arrived; the exchange writes its command
// once; every wait ends in time, and not before its time.

#include "link/micro_link.h"
#include "platform/sim/sim_port.h"
#include "tests/fuzz/scripted_line.h"

namespace {

using fuzz::kMs;
using fuzz::require;

// The drain of up to 5 s before the command.
constexpr sim::Nanos kDrain = 5002 * kMs;
// One answer wait: 10 s, noticed at the first 1 ms poll after it.
constexpr sim::Nanos kAnswerWaitMin = 10000 * kMs;
constexpr sim::Nanos kAnswerWait = 10002 * kMs;
constexpr int kAnswerWaits = 6;

// The reader's verdicts: accepted, rejected command, other answer, none.
constexpr int kAccepted = 1;
constexpr int kNoAnswer = 4;

const std::string kCommand = "=MP\r";
const std::string kAcceptance = "=M*";

void readOneAnswer(const fuzz::ScriptedLine& line, const std::string& arriving) {
    int verdict = ReadMicroResponse();
    require(verdict >= kAccepted && verdict <= kNoAnswer, "a known verdict");
    require(verdict != kAccepted || arriving.find(kAcceptance) != std::string::npos, "acceptance was sent");
    require(simport::now() <= kAnswerWait, "the answer wait ends in time");
    require(verdict != kNoAnswer || line.pulled() || simport::now() >= kAnswerWaitMin,
            "no answer only after the whole wait or a pulled adapter");
}

void sendCommand(const std::string& arriving) {
    int result = sendMicroCmd(reinterpret_cast<const unsigned char*>(kCommand.data()),
                              static_cast<std::uint16_t>(kCommand.size()));
    require(result == 0 || result == 1, "an exchange ends in 0 or 1");
    require(result == 0 || arriving.find(kAcceptance) != std::string::npos, "acceptance was sent");
    require(simport::written() == kCommand, "the command is written once");
    require(simport::now() <= kDrain + kAnswerWaits * kAnswerWait, "the exchange ends in time");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2) return 0;
    fuzz::ScriptedLine line(data[1], true);
    std::string arriving = line.script(data + 2, size - 2);
    if (data[0] % 2 == 0) {
        readOneAnswer(line, arriving);
    } else {
        sendCommand(arriving);
    }
    return 0;
}
