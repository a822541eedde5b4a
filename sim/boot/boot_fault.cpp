#include "sim/boot/boot_fault.h"

namespace sim {

namespace {

struct KindName {
    std::string_view name;
    BootFault::Kind kind;
};
constexpr KindName kKinds[] = {
    {"silent", BootFault::Kind::kSilent}, {"late", BootFault::Kind::kLate},
    {"wrong", BootFault::Kind::kWrong},   {"bad-sum", BootFault::Kind::kBadSum},
    {"no-ack", BootFault::Kind::kNoAck},  {"chatter", BootFault::Kind::kChatter},
};

struct StepName {
    std::string_view name;
    BootStep step;
};
constexpr StepName kSteps[] = {
    {"match", BootStep::kMatch},
    {"start", BootStep::kStart},
    {"length-high", BootStep::kLengthHigh},
    {"length-low", BootStep::kLengthLow},
    {"kernel", BootStep::kKernel},
    {"erase", BootStep::kErase},
    {"inquiry", BootStep::kInquiry},
    {"device", BootStep::kDevice},
    {"clock", BootStep::kClock},
    {"rate", BootStep::kRate},
    {"confirm", BootStep::kConfirm},
    {"finish", BootStep::kFinish},
    {"main-kernel", BootStep::kMainKernel},
    {"status", BootStep::kStatus},
    {"prepare", BootStep::kPrepare},
    {"write-kernel", BootStep::kWriteKernel},
    {"frame", BootStep::kFrame},
    {"image-status", BootStep::kImageStatus},
};

}  // namespace

bool parseBootFault(std::string_view text, BootFault& fault) {
    std::size_t at = text.find('@');
    if (at == std::string_view::npos) return false;
    std::string_view kind = text.substr(0, at), step = text.substr(at + 1);
    bool kindFound = false, stepFound = false;
    for (const KindName& k : kKinds) {
        if (k.name == kind) {
            fault.kind = k.kind;
            kindFound = true;
        }
    }
    for (const StepName& s : kSteps) {
        if (s.name == step) {
            fault.step = s.step;
            stepFound = true;
        }
    }
    return kindFound && stepFound;
}

}  // namespace sim
