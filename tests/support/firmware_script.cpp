#include "tests/support/firmware_script.h"

void answerProbes(ScriptedPeer& peer, const std::string& probeAnswer) {
    peer.onWrite(std::string(1, '\0'), probeAnswer);
    peer.onWrite(std::string(1, '\0'), probeAnswer);
}

void answerIdentification(ScriptedPeer& peer, const std::string& versionReply,
                          const std::string& modelReply) {
    peer.onWrite("#DEVERSION\r", versionReply, ScriptedPeer::kMs);
    peer.onWrite("#DEVTYPE\r", modelReply, ScriptedPeer::kMs);
}

void answerOpening(ScriptedPeer& peer, const std::string& modelWord) {
    answerProbes(peer);
    answerIdentification(peer, "#DEVERSION 1 V1.23\r", "#DEVTYPE " + modelWord + "\r");
}
