#include "session.h"

#include <cstdio>
#include <vector>

#include "actions.h"
#include "channel.h"
#include "digest.h"
#include "random.h"

namespace unitsim {
namespace {

std::string Hex16(std::uint16_t value) {
  char text[8];
  std::snprintf(text, sizeof text, "0x%04x", value);
  return text;
}

std::string Join(const std::vector<std::string>& parts) {
  std::string line;
  for (const std::string& part : parts) {
    if (!line.empty()) line += ", ";
    line += part;
  }
  return line;
}

// "closed after 12 of 34 bytes of the login"
std::string Broken(const Channel& channel, std::size_t size, const char* what) {
  return "connection ended after " + std::to_string(channel.lastReceived()) + " of " +
         std::to_string(size) + " bytes of the " + what;
}

void Converse(Unit& unit, Channel& channel, std::vector<std::string>& notes,
              std::atomic<bool>* loggedIn) {
  if (unit.description.settings.silentServer) {
    notes.push_back("closed before the greeting (silent server)");
    return;
  }
  protocol::ServerHello hello;
  hello.text = kHelloText;
  FillRandom(hello.challenge);
  if (!channel.Send(protocol::EncodeServerHello(hello))) {
    notes.push_back("hello not delivered");
    return;
  }

  std::array<std::uint8_t, protocol::kLoginFrameSize> loginBytes;
  if (!channel.ReceiveExact(loginBytes.data(), loginBytes.size())) {
    notes.push_back(Broken(channel, loginBytes.size(), "login"));
    return;
  }
  protocol::LoginFrame login = protocol::DecodeLoginFrame(loginBytes);
  const bool versionOk = login.version == protocol::kProtocolVersion;
  const bool passwordOk =
      login.digest == protocol::MakePasswordDigest(unit.description.settings.password, hello.challenge);
  protocol::LoginResult result;
  result.verdict = versionOk && passwordOk ? 1 : 0;
  if (!versionOk) {
    notes.push_back("login refused (version " + Hex16(login.version) + ")");
  } else {
    notes.push_back(passwordOk ? "login ok" : "login refused (wrong password)");
  }
  if (!channel.Send(protocol::EncodeLoginResult(result)) || result.verdict == 0) return;
  channel.SetDeadline(Channel::Clock::time_point::max());
  if (loggedIn) *loggedIn = true;

  std::array<std::uint8_t, protocol::kRequestFrameSize> requestBytes;
  if (!channel.ReceiveExact(requestBytes.data(), requestBytes.size())) {
    notes.push_back(Broken(channel, requestBytes.size(), "request"));
    return;
  }
  protocol::RequestFrame request = protocol::DecodeRequest(requestBytes);
  if (request.tag != protocol::kRequestTag) {
    notes.push_back("bad request tag " + Hex16(request.tag));
    return;
  }
  notes.push_back("action " + std::to_string(request.action) + " " + ActionName(request.action));
  notes.push_back("flags " + std::to_string(request.flags));
  ActionContext context{unit, channel, request, notes};
  Dispatch(context);
}

}  // namespace

void ServeConnection(Unit& unit, sock::Handle socket, const std::string& listen,
                     const std::string& peer, RequestLog& log, const SessionLimits& limits,
                     std::atomic<bool>* loggedIn) {
  Channel channel(socket, limits.idle);
  channel.SetDeadline(Channel::Clock::now() + limits.login);
  const UnitSettings& settings = unit.description.settings;
  channel.SetLink(std::chrono::milliseconds(settings.replyDelayMs), settings.linkKbit);
  std::vector<std::string> notes;
  try {
    Converse(unit, channel, notes, loggedIn);
  } catch (const std::exception& error) {
    notes.push_back(std::string("internal error: ") + error.what());
  }
  notes.push_back("sent " + std::to_string(channel.bytesSent()) + " bytes");
  notes.push_back("received " + std::to_string(channel.bytesReceived()) + " bytes");
  log.Write(listen + " " + unit.description.name + " from " + peer + ": " + Join(notes));
}

}  // namespace unitsim
