#include "login.h"

#include <cstdio>

#include "digest.h"

namespace velkor {

bool Login(Connection& connection, std::string_view password) {
  std::array<std::uint8_t, kServerHelloSize> hello_bytes;
  if (!connection.ReceiveExact(hello_bytes.data(), hello_bytes.size())) {
    std::printf("Unable to talk with server\n");
    return false;
  }
  ServerHello hello = DecodeServerHello(hello_bytes);
  if (hello.version != kProtocolVersion) {
    std::printf("Please upgrade your utility to talk to this server.\n");
    return false;
  }
  LoginFrame frame;
  frame.digest = MakePasswordDigest(password, hello.challenge);
  auto frame_bytes = EncodeLoginFrame(frame);
  // A failed send shows up as a failed receive just below.
  connection.SendAll(frame_bytes.data(), frame_bytes.size());

  std::array<std::uint8_t, kLoginResultSize> result_bytes;
  if (!connection.ReceiveExact(result_bytes.data(), result_bytes.size())) {
    std::printf("Unable to talk with server\n");
    return false;
  }
  LoginResult result = DecodeLoginResult(result_bytes);
  if (result.tag != kLoginResultTag) {
    std::printf("Communication with server failed\n");
    return false;
  }
  if (result.verdict == 0) {
    std::printf("Invalid password\n");
    return false;
  }
  return true;
}

}  // namespace velkor
