#include "test_peer.h"

#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <fstream>
#include <iterator>

#include "frames.h"

namespace velkor::testing {

bool PeerEnd::Write(const void* data, std::size_t count) {
  const auto* p = static_cast<const char*>(data);
  while (count > 0) {
    ssize_t n = ::send(fd_, p, count, MSG_NOSIGNAL);
    if (n <= 0) return false;
    p += n;
    count -= static_cast<std::size_t>(n);
  }
  return true;
}

bool PeerEnd::Read(void* data, std::size_t count) {
  auto* p = static_cast<char*>(data);
  while (count > 0) {
    ssize_t n = ::recv(fd_, p, count, 0);
    if (n <= 0) return false;
    p += n;
    count -= static_cast<std::size_t>(n);
  }
  return true;
}

std::vector<std::uint8_t> PeerEnd::ReadUpTo(std::size_t count) {
  std::vector<std::uint8_t> bytes(count);
  std::size_t done = 0;
  while (done < count) {
    ssize_t n = ::recv(fd_, bytes.data() + done, count - done, 0);
    if (n <= 0) break;
    done += static_cast<std::size_t>(n);
  }
  bytes.resize(done);
  return bytes;
}

void PeerEnd::SendReply(std::uint8_t status, std::uint32_t value) {
  auto bytes = EncodeReply({kReplyTag, status, value});
  Write(bytes.data(), bytes.size());
}

void PeerEnd::SendBlock(std::string_view payload, std::uint16_t length) {
  std::array<std::uint8_t, kDataBlockSize> block{};
  PutU16(block.data(), length);
  std::copy_n(payload.begin(), std::min(payload.size(), kBlockPayloadSize), block.begin() + 2);
  Write(block.data(), block.size());
}

bool PeerEnd::ReadBlock(std::uint16_t& length, std::string& payload) {
  std::array<std::uint8_t, kDataBlockSize> block;
  if (!Read(block.data(), block.size())) return false;
  length = GetU16(block.data());
  payload.assign(reinterpret_cast<const char*>(block.data()) + 2,
                 std::min<std::size_t>(length, kBlockPayloadSize));
  return true;
}

void PeerEnd::Close() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
}

ScriptedPeer::ScriptedPeer(std::function<void(PeerEnd&)> script) {
  int fds[2];
  if (::socketpair(AF_UNIX, SOCK_STREAM, 0, fds) != 0) std::abort();
  clientFd_ = fds[0];
  client_ = Connection(fds[0]);
  thread_ = std::thread([script = std::move(script), fd = fds[1]] {
    PeerEnd end(fd);
    script(end);
    end.Close();
  });
}

void ScriptedPeer::CloseClientWrites() { ::shutdown(clientFd_, SHUT_WR); }

void ScriptedPeer::Join() {
  if (thread_.joinable()) thread_.join();
}

ScriptedPeer::~ScriptedPeer() {
  // Closing our end first wakes a script still waiting to read.
  ::shutdown(clientFd_, SHUT_RDWR);
  Join();
  ::close(clientFd_);
}

ScratchFolder::ScratchFolder() {
  static std::atomic<int> counter{0};
  root_ = std::filesystem::temp_directory_path() /
          ("velkor-test-" + std::to_string(::getpid()) + "-" + std::to_string(counter++));
  std::filesystem::remove_all(root_);
  std::filesystem::create_directories(root_);
}

ScratchFolder::~ScratchFolder() {
  std::error_code ec;
  std::filesystem::remove_all(root_, ec);
}

std::vector<std::string> ScratchFolder::Names() const {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(root_)) {
    names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

void WriteBytes(const std::filesystem::path& file, std::string_view bytes) {
  std::ofstream out(file, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string ReadBytes(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string Pattern(std::size_t count, unsigned seed) {
  std::string bytes(count, '\0');
  std::uint32_t x = seed * 2654435761u + 1;
  for (auto& b : bytes) {
    x = x * 1103515245u + 12345u;
    b = static_cast<char>(x >> 16);
  }
  return bytes;
}

}  // namespace velkor::testing
