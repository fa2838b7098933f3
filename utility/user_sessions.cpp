#include "user_sessions.h"

#include <algorithm>
#include <cinttypes>
#include <cstdio>
#include <cstring>

#include "frames.h"
#include "text_format.h"

namespace velkor {

using namespace protocol;

namespace {

// printf's "%-Ns": the text, padded with blanks to at least width.
std::string LeftAligned(const std::string& text, std::size_t width) {
  return text.size() >= width ? text : text + std::string(width - text.size(), ' ');
}

}  // namespace

std::string DurationText(std::int32_t seconds) {
  if (seconds <= 0) return "0s";
  std::string text;
  std::int32_t rest = seconds;
  if (rest >= 86400) {
    text += FormatText("%dd ", rest / 86400);
    rest %= 86400;
  }
  if (rest >= 3600) {
    text += FormatText("%dh ", rest / 3600);
    rest %= 3600;
  }
  if (rest >= 60) {
    text += FormatText("%dm ", rest / 60);
    rest %= 60;
  }
  if (rest > 0) text += FormatText("%ds", rest);
  return text;
}

std::string PppListHeader() { return "TYPE  NAME             PORT   IP_ADDRESS      TRAFFIC\n"; }

std::string PppRowText(const PppSessionRecord& r) {
  return LeftAligned(r.type, 5) + " " + LeftAligned(r.user, 16) + " " +
         LeftAligned(r.port, 6) + " " + LeftAligned(r.address, 15) +
         FormatText(" rx: %" PRId64 " (%d KB/s), tx: %" PRId64 " (%d KB/s)\n", r.received,
                static_cast<int>(r.receiveRate / 1024), r.transmitted,
                static_cast<int>(r.transmitRate / 1024));
}

std::string HotspotFullText(const HotspotSessionRecord& r, int number) {
  std::string text = FormatText("%3d) ", number) + r.user + " - " + r.address + " (" + r.mac + ")\n";
  text += FormatText("     rx: %u tx: %u online: ", r.received, r.transmitted) +
          DurationText(static_cast<std::int32_t>(r.online)) + " ";
  if (r.limit != 0) {
    // Taken as signed, so an exceeded limit reads as nothing left.
    auto left = static_cast<std::int32_t>(r.limit - r.online);
    text += "(left: " + DurationText(left) + ")";
  }
  return text + "\n\n";
}

std::string HotspotSimpleText(const HotspotSessionRecord& r) {
  return r.user + ", " + r.address + ", " + r.mac +
         FormatText(", %u, %u, %u, %u\n", r.received, r.transmitted, r.online, r.limit);
}

bool ListPppSessions(Connection& connection) {
  std::fputs(PppListHeader().c_str(), stdout);
  for (;;) {
    std::array<std::uint8_t, kPppSessionRecordSize> bytes;
    if (!connection.ReceiveExact(bytes.data(), bytes.size())) return false;
    PppSessionRecord record = DecodePppSession(bytes);
    if (record.end != 0) return true;
    std::fputs(PppRowText(record).c_str(), stdout);
  }
}

bool ListHotspotSessions(Connection& connection, bool simple) {
  for (int number = 1;; ++number) {
    std::array<std::uint8_t, kHotspotSessionRecordSize> bytes;
    if (!connection.ReceiveExact(bytes.data(), bytes.size())) return false;
    HotspotSessionRecord record = DecodeHotspotSession(bytes);
    if (record.end != 0) return true;
    std::string text = simple ? HotspotSimpleText(record) : HotspotFullText(record, number);
    std::fputs(text.c_str(), stdout);
  }
}

bool SendUserName(Connection& connection, std::string_view name) {
  std::vector<std::uint8_t> message = EncodeUserName(name);
  if (connection.SendAll(message.data(), message.size())) return true;
  std::printf("unable to send ppp username to server\n");
  return false;
}

bool SendHotspotAddress(Connection& connection, std::uint32_t address) {
  auto message = EncodeAddressMessage(address);
  if (connection.SendAll(message.data(), message.size())) return true;
  std::printf("unable to send hotspot ipaddr to server\n");
  return false;
}

}  // namespace velkor
