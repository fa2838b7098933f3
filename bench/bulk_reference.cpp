// The reference of the bulk transfer benchmark: what moving the same file
// over loopback costs with nothing but a plain loop of 64 KiB reads and
// sends and a reader that throws the bytes away, to set velkor's upload
// beside.  On demand only.
//
//   bulk_reference discard PORT-FILE   listen on 127.0.0.1 (a free port,
//                                      written to PORT-FILE) and read and drop
//                                      every connection's bytes until it ends
//   bulk_reference send PORT FILE      send FILE in 64 KiB sends, then wait
//                                      until the reader has taken it all
#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

namespace {

[[noreturn]] void Die(const char* why) {
  std::perror(why);
  std::exit(1);
}

sockaddr_in Loopback(std::uint16_t port) {
  sockaddr_in at{};
  at.sin_family = AF_INET;
  at.sin_port = htons(port);
  at.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  return at;
}

int Discard(const char* portFile) {
  int listener = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in at = Loopback(0);
  if (bind(listener, reinterpret_cast<sockaddr*>(&at), sizeof at) != 0 || listen(listener, 16) != 0)
    Die("listen");
  socklen_t size = sizeof at;
  getsockname(listener, reinterpret_cast<sockaddr*>(&at), &size);
  if (std::FILE* f = std::fopen(portFile, "w")) {
    std::fprintf(f, "%u\n", ntohs(at.sin_port));
    std::fclose(f);
  }
  for (;;) {
    int fd = accept(listener, nullptr, nullptr);
    if (fd < 0) continue;
    std::thread([fd] {
      std::vector<char> sink(64 * 1024);
      while (recv(fd, sink.data(), sink.size(), 0) > 0) {
      }
      close(fd);
    }).detach();
  }
}

int Send(std::uint16_t port, const char* path) {
  int file = open(path, O_RDONLY);
  if (file < 0) Die(path);
  int fd = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in to = Loopback(port);
  if (connect(fd, reinterpret_cast<sockaddr*>(&to), sizeof to) != 0) Die("connect");
  std::vector<char> chunk(64 * 1024);
  for (;;) {
    ssize_t got = read(file, chunk.data(), chunk.size());
    if (got < 0) Die("read");
    if (got == 0) break;
    for (ssize_t at = 0; at < got;) {
      ssize_t sent = send(fd, chunk.data() + at, static_cast<std::size_t>(got - at), MSG_NOSIGNAL);
      if (sent <= 0) Die("send");
      at += sent;
    }
  }
  close(file);
  shutdown(fd, SHUT_WR);
  char byte;
  while (recv(fd, &byte, 1, 0) > 0) {
  }
  close(fd);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  std::string mode = argc > 1 ? argv[1] : "";
  if (mode == "discard" && argc == 3) return Discard(argv[2]);
  if (mode == "send" && argc == 4) {
    return Send(static_cast<std::uint16_t>(std::atoi(argv[2])), argv[3]);
  }
  std::fprintf(stderr, "usage: bulk_reference discard PORT-FILE | send PORT FILE\n");
  return 2;
}
