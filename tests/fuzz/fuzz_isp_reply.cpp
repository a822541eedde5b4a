// The video processor's bytes, as a card or a noisy line may send them, read by the
// packet reader or a status request exchange. Input: [what runs][start tick code]
// [chunks of bytes], the adapter pulled out after them (scripted_line.h).
// Whatever arrives: a packet stays inside its 256-byte area, starts with
// "=G", ends with its carriage return unless it was given up at 255 bytes,
// and holds no second start; the reply words stay inside their 18 words;
// the exchange ends in 0 or 1, succeeds only on a whole packet that is no
// refusal, and writes its command once; every wait ends in time, and not
// before its time.
#include <memory>

#include "link/isp_link.h"
#include "platform/sim/sim_port.h"
#include "tests/fuzz/scripted_line.h"

namespace {

using fuzz::kMs;
using fuzz::require;

constexpr std::size_t kPacketArea = 256;
constexpr int kGivenUpAt = 255;
constexpr std::size_t kReplyWords = 18;
// The fewest body bytes of a packet of three words (six bytes, none escaped).
constexpr std::size_t kShortestBody = 6;
// One reply wait: 3 s, noticed at the first 1 ms poll after it.
constexpr sim::Nanos kReplyWaitMin = 3000 * kMs;
constexpr sim::Nanos kReplyWait = 3002 * kMs;
constexpr int kReplyWaits = 11;

// The status request 0x0632, argument 0, checksum 0xF9CE, as it travels.
const std::string kStatusRequestWire("\x3D\x47\x5C\x30\x2A\x2A\xF8\x23\x0D");

void readOnePacket(const fuzz::ScriptedLine& line) {
    std::unique_ptr<unsigned char[]> area(new unsigned char[kPacketArea]);
    int n = ReadISPResponse(area.get());
    require(n >= 0 && n <= kGivenUpAt, "a packet's length fits its area");
    require(simport::now() <= kReplyWait, "the reply wait ends in time");
    if (n == 0) {
        require(line.pulled() || simport::now() >= kReplyWaitMin,
                "no packet only after the whole wait or a pulled adapter");
        return;
    }
    const unsigned char* p = area.get();
    require(n >= 3 && p[0] == '=' && p[1] == 'G', "a packet starts with =G");
    require(p[n - 1] == '\r' || n == kGivenUpAt, "a packet ends with a carriage return or is given up");
    for (int i = 2; i < n - 1; ++i) require(p[i] != '\r', "a packet ends at its first carriage return");
    for (int i = 3; i < n; ++i) require(!(p[i - 1] == '=' && p[i] == 'G'), "a packet holds one start");
}

// Whether "=G" came with at least six bytes before a carriage return (three words).
bool wholePacketSent(const std::string& arriving) {
    for (std::size_t at = arriving.find("=G"); at != std::string::npos; at = arriving.find("=G", at + 1)) {
        std::string body = arriving.substr(at + 2, kShortestBody);
        if (body.size() == kShortestBody && body.find('\r') == std::string::npos) return true;
    }
    return false;
}

void requestStatus(const std::string& arriving) {
    std::unique_ptr<std::uint16_t[]> msg(new std::uint16_t[3]{0x0632, 0x0000, 0x0000});
    std::unique_ptr<std::uint16_t[]> response(new std::uint16_t[kReplyWords]());
    int result = sendISPCmd(msg.get(), response.get(), 0);
    require(result == 0 || result == 1, "an exchange ends in 0 or 1");
    require(simport::written() == kStatusRequestWire, "the command is written once");
    require(simport::now() <= kReplyWaits * kReplyWait, "the exchange ends in time");
    if (result == 1) {
        bool refusal = (response[0] & 0x0FFF) == 2 || response[0] == msg[0];
        require(!refusal, "a refusal is not taken as success");
        require(wholePacketSent(arriving), "a success is a whole reply packet");
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2) return 0;
    fuzz::ScriptedLine line(data[1], true);
    std::string arriving = line.script(data + 2, size - 2);
    if (data[0] % 2 == 0) {
        readOnePacket(line);
    } else {
        requestStatus(arriving);
    }
    return 0;
}
