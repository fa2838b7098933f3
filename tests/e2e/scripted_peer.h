// A management server that follows a script, for the faults the simulated
// unit never commits: short or malformed messages, broken connections.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <thread>
#include <vector>

#include "frames.h"
#include "harness.h"

namespace e2e {

// One accepted connection, seen from the server's side.
class PeerLink {
 public:
  explicit PeerLink(int fd) : fd_(fd) {}

  bool Send(std::span<const std::uint8_t> bytes);
  bool Send(const std::string& bytes);
  // Exactly count bytes, or nothing when the client closed first.
  std::optional<std::vector<std::uint8_t>> Receive(std::size_t count);
  // Everything until the client closes.
  std::vector<std::uint8_t> ReceiveRest();
  void Close();

  // Protocol steps with well-formed messages.
  bool SendHello(std::uint16_t version = protocol::kProtocolVersion);
  std::optional<protocol::LoginFrame> ReceiveLogin();
  bool SendLoginResult(std::uint8_t verdict = 1, std::uint16_t tag = protocol::kLoginResultTag);
  // Hello, login frame and a positive result.
  bool AcceptLogin();
  std::optional<protocol::RequestFrame> ReceiveRequest();
  bool SendReply(std::uint8_t status, std::uint32_t value = 0);
  bool SendBlock(const std::string& payload);
  // A block with any length field, for malformed cases.
  bool SendRawBlock(std::uint16_t length, const std::string& payload);

  protocol::Challenge challenge() const { return challenge_; }

 private:
  int fd_;
  protocol::Challenge challenge_ = {0x11, 0x22, 0x33, 0x44, 0x55, 0x66, 0x77, 0x88};
};

// Listens on 127.0.0.1 and a free port, and runs the script on the first
// connection in a thread of its own; the connection closes when it ends.
class ScriptedPeer {
 public:
  explicit ScriptedPeer(std::function<void(PeerLink&)> script);
  ~ScriptedPeer();
  ScriptedPeer(const ScriptedPeer&) = delete;
  ScriptedPeer& operator=(const ScriptedPeer&) = delete;

  std::uint16_t port() const { return port_; }
  std::string portText() const { return std::to_string(port_); }
  // Waits for the script to end.
  void Join();

 private:
  int listener_ = -1;
  std::uint16_t port_ = 0;
  std::thread thread_;
};

// A peer that logs the client in, keeps its request in *request when asked
// to, and runs the rest of the script once a request arrived.
ScriptedPeer LoggedInPeer(std::function<void(PeerLink&)> rest,
                          std::optional<protocol::RequestFrame>* request = nullptr);

// velkor against the peer (see the Unitsim form in harness.h), then waits
// for the peer's script to end.
RunResult VelkorAgainst(ScriptedPeer& peer, const std::vector<std::string>& options);

}  // namespace e2e
