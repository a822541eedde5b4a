// Scripts for a ScriptedPeer that plays a running firmware through the
// opening of a run: the two probe answers and the identification replies.
#pragma once

#include <string>

#include "tests/support/scripted_peer.h"

// What a running firmware sends back for one probe byte (13 bytes).
inline const std::string kProbeAnswer = "\r\nCMD ERROR\r\n";

// Answers both probe bytes with `probeAnswer`.
void answerProbes(ScriptedPeer& peer, const std::string& probeAnswer = kProbeAnswer);

// Answers one version question and one model question.
void answerIdentification(ScriptedPeer& peer, const std::string& versionReply,
                          const std::string& modelReply);

// A whole opening: probes, then "#DEVERSION 1 V1.23\r" and the model word's reply.
void answerOpening(ScriptedPeer& peer, const std::string& modelWord = "SDITOHDMI");
