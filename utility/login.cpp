#include "login.h"

#include <cstdio>

#include "digest.h"

namespace velkor {

bool Login(Connection& connection, std::string_view password) {
  std::array<std::uint8_t, kServerHelloSize> helloBytes;
  if (!connection.ReceiveExact(helloBytes.data(), helloBytes.size())) {
    std::printf("Unable to talk with server\n");
    return false;
  }
  ServerHello hello = DecodeServerHello(helloBytes);
  if (hello.version != kProtocolVersion) {
    std::printf("Please upgrade your utility to talk to this server.\n");
    return false;
  }
  LoginFrame frame;
  frame.digest = MakePasswordDigest(password, hello.challenge);
  auto frameBytes = EncodeLoginFrame(frame);
  // A failed send shows up as a failed receive just below.
  connection.SendAll(frameBytes.data(), frameBytes.size());

  std::array<std::uint8_t, kLoginResultSize> resultBytes;
  if (!connection.ReceiveExact(resultBytes.data(), resultBytes.size())) {
    std::printf("Unable to talk with server\n");
    return false;
  }
  LoginResult result = DecodeLoginResult(resultBytes);
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
