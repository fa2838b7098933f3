// A tiny client of the management protocol for the tests, on plain
// sockets, so that it can also misbehave: stop at any byte, send garbage,
// or stall.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "frames.h"

namespace unitsim::test {

class TestClient {
 public:
  // Connects to 127.0.0.1:port; receives give up after 10 s so that a
  // server fault fails the test instead of hanging it.
  explicit TestClient(std::uint16_t port);
  ~TestClient();
  TestClient(const TestClient&) = delete;
  TestClient& operator=(const TestClient&) = delete;

  bool connected() const { return fd_ >= 0; }
  bool Send(std::span<const std::uint8_t> bytes);
  bool Receive(std::uint8_t* buffer, std::size_t count);
  // True when the server has closed the connection (a receive gives 0 or
  // a reset) rather than sending more.
  bool SeesClose();
  // Reads whatever still comes; true when the server then closes.
  bool DrainsToClose();
  void Close();

  std::optional<protocol::ServerHello> ReadHello();
  // Hello, login with this password; gives the verdict, or nothing when
  // the exchange broke.
  std::optional<int> Login(std::string_view password);
  std::optional<protocol::ReplyFrame> ReadReply();
  // Reads DataBlocks until their lengths add up to total; gives the joined
  // payloads, or nothing on a broken or malformed block.
  std::optional<std::string> ReadBlocks(std::uint32_t total, int* blockCount = nullptr);

 private:
  int fd_ = -1;
};

// One whole request against a unit: login, request, first reply, the
// report's blocks when the first reply is status 1, and the final reply.
struct Exchange {
  int verdict = -1;
  std::optional<protocol::ReplyFrame> first;
  std::optional<std::string> data;
  int blocks = 0;
  std::optional<protocol::ReplyFrame> final;
};
Exchange RunRequest(std::uint16_t port, std::string_view password, std::uint8_t action,
                    std::uint8_t flags = 0);

}  // namespace unitsim::test
