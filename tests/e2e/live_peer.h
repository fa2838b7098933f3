// Scripted peers for the wireless, user session and throughput actions:
// log the client in, keep its request, then run the rest of the script.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "harness.h"
#include "scripted_peer.h"

namespace e2e {

inline ScriptedPeer LivePeer(std::function<void(PeerLink&)> rest,
                             std::optional<velkor::RequestFrame>* request = nullptr) {
  return ScriptedPeer([rest, request](PeerLink& link) {
    if (!link.AcceptLogin()) return;
    auto frame = link.ReceiveRequest();
    if (request) *request = frame;
    if (frame) rest(link);
  });
}

inline RunResult VelkorAgainst(ScriptedPeer& peer, const std::vector<std::string>& options) {
  std::vector<std::string> args = {"127.0.0.1", "BlueOx", "-p", peer.port_text()};
  args.insert(args.end(), options.begin(), options.end());
  RunResult r = RunVelkor(args);
  peer.Join();
  return r;
}

inline RunResult VelkorAgainst(const Unitsim& unit, const std::vector<std::string>& options) {
  std::vector<std::string> args = {"127.0.0.1", "BlueOx", "-p", unit.port_text()};
  args.insert(args.end(), options.begin(), options.end());
  return RunVelkor(args);
}

}  // namespace e2e
