// Test support: a Connection whose other end is driven by a script running
// on its own thread, over a local socket pair.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "connection.h"

namespace velkor::testing {

// The server's end of the pair, with the raw operations a script needs.
class PeerEnd {
 public:
  explicit PeerEnd(int fd) : fd_(fd) {}
  bool Write(const void* data, std::size_t count);
  bool Write(std::span<const std::uint8_t> bytes) { return Write(bytes.data(), bytes.size()); }
  bool Read(void* data, std::size_t count);
  // Reads until count bytes arrived or the client closed; gives what came.
  std::vector<std::uint8_t> ReadUpTo(std::size_t count);
  void SendReply(std::uint8_t status, std::uint32_t value);
  // A DataBlock with the given length field and payload (zero-padded).
  void SendBlock(std::string_view payload, std::uint16_t length);
  void SendBlock(std::string_view payload) {
    SendBlock(payload, static_cast<std::uint16_t>(payload.size()));
  }
  // Reads one DataBlock; returns its length field and payload bytes.
  bool ReadBlock(std::uint16_t& length, std::string& payload);
  void Close();

 private:
  int fd_;
};

class ScriptedPeer {
 public:
  explicit ScriptedPeer(std::function<void(PeerEnd&)> script);
  ~ScriptedPeer();  // closes the client side, then waits for the script
  ScriptedPeer(const ScriptedPeer&) = delete;
  ScriptedPeer& operator=(const ScriptedPeer&) = delete;
  Connection& client() { return client_; }
  // Ends what the client sends; the script then reads the end of the stream.
  void CloseClientWrites();
  // Waits for the script to finish.
  void Join();

 private:
  int clientFd_ = -1;
  Connection client_{-1};
  std::thread thread_;
};

// A fresh empty folder under the test temporary folder, removed at the end.
class ScratchFolder {
 public:
  ScratchFolder();
  ~ScratchFolder();
  std::filesystem::path path(const std::string& name) const { return root_ / name; }
  std::vector<std::string> Names() const;  // sorted file names inside

 private:
  std::filesystem::path root_;
};

void WriteBytes(const std::filesystem::path& file, std::string_view bytes);
std::string ReadBytes(const std::filesystem::path& file);
// Deterministic bytes that differ from block to block.
std::string Pattern(std::size_t count, unsigned seed = 1);

}  // namespace velkor::testing
