#include "session_records.h"

#include <cstring>

#include "frames.h"

namespace protocol {

PppSessionRecord DecodePppSession(std::span<const std::uint8_t, kPppSessionRecordSize> bytes) {
  using namespace ppp_field;
  const std::uint8_t* p = bytes.data();
  PppSessionRecord r;
  r.end = p[kEnd];
  r.user = FieldText(p + kUser, kSessionUserSize);
  r.type = FieldText(p + kType, kTypeSize);
  r.port = FieldText(p + kPort, kPortSize);
  r.address = FieldText(p + kAddress, kAddressSize);
  r.received = GetI64(p + kReceived);
  r.receiveRate = GetU32(p + kReceiveRate);
  r.transmitted = GetI64(p + kTransmitted);
  r.transmitRate = GetU32(p + kTransmitRate);
  return r;
}

std::array<std::uint8_t, kPppSessionRecordSize> EncodePppSession(const PppSessionRecord& r) {
  using namespace ppp_field;
  std::array<std::uint8_t, kPppSessionRecordSize> out{};
  std::uint8_t* p = out.data();
  p[kEnd] = r.end;
  PutFieldText(p + kUser, kSessionUserSize, r.user);
  PutFieldText(p + kType, kTypeSize, r.type);
  PutFieldText(p + kPort, kPortSize, r.port);
  PutFieldText(p + kAddress, kAddressSize, r.address);
  PutU64(p + kReceived, static_cast<std::uint64_t>(r.received));
  PutU32(p + kReceiveRate, r.receiveRate);
  PutU64(p + kTransmitted, static_cast<std::uint64_t>(r.transmitted));
  PutU32(p + kTransmitRate, r.transmitRate);
  return out;
}

HotspotSessionRecord DecodeHotspotSession(
    std::span<const std::uint8_t, kHotspotSessionRecordSize> bytes) {
  using namespace hotspot_field;
  const std::uint8_t* p = bytes.data();
  HotspotSessionRecord r;
  r.end = p[kEnd];
  r.user = FieldText(p + kUser, kSessionUserSize);
  r.address = FieldText(p + kAddress, kAddressSize);
  r.mac = FieldText(p + kMac, kMacSize);
  r.received = GetU32(p + kReceived);
  r.transmitted = GetU32(p + kTransmitted);
  r.online = GetU32(p + kOnline);
  r.limit = GetU32(p + kLimit);
  return r;
}

std::array<std::uint8_t, kHotspotSessionRecordSize> EncodeHotspotSession(
    const HotspotSessionRecord& r) {
  using namespace hotspot_field;
  std::array<std::uint8_t, kHotspotSessionRecordSize> out{};
  std::uint8_t* p = out.data();
  p[kEnd] = r.end;
  PutFieldText(p + kUser, kSessionUserSize, r.user);
  PutFieldText(p + kAddress, kAddressSize, r.address);
  PutFieldText(p + kMac, kMacSize, r.mac);
  PutU32(p + kReceived, r.received);
  PutU32(p + kTransmitted, r.transmitted);
  PutU32(p + kOnline, r.online);
  PutU32(p + kLimit, r.limit);
  return out;
}

std::vector<std::uint8_t> EncodeUserName(std::string_view name) {
  std::vector<std::uint8_t> message(user_name_field::kName + name.size());
  PutU32(message.data() + user_name_field::kLength, static_cast<std::uint32_t>(name.size()));
  if (!name.empty()) std::memcpy(message.data() + user_name_field::kName, name.data(), name.size());
  return message;
}

std::array<std::uint8_t, kAddressMessageSize> EncodeAddressMessage(std::uint32_t address) {
  std::array<std::uint8_t, kAddressMessageSize> message{};
  std::memcpy(message.data(), &address, message.size());
  return message;
}

}  // namespace protocol
