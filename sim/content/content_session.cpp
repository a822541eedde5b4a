#include "sim/content/content_session.h"

#include <algorithm>

#include "sim/card_choices.h"

namespace sim {

ContentSession::ContentSession(ReplySink& out, bool paced, Nanos at)
    : out_(out),
      busy_(paced),
      byteTime_(paced ? 10 * choices::kSecond / choices::kFirmwareBaud : 0),
      waitingSince_(at) {}

bool ContentSession::leftBy(Nanos at) const {
    return at > waitingSince_ && at - waitingSince_ > choices::kTransferIdleTimeout;
}

Nanos ContentSession::send(Nanos at, std::string_view bytes) {
    Nanos delivered = out_.replyAfter(at, choices::kInterruptDelay, bytes);
    answerableAt_ = delivered + byteTime_;
    waitingSince_ = std::max(waitingSince_, delivered);
    return delivered;
}

bool ContentSession::cameInTurn(Nanos at) {
    waitingSince_ = std::max(waitingSince_, at);
    bool inTurn = at >= answerableAt_;
    answerableAt_ = 0;
    return inTurn;
}

}  // namespace sim
