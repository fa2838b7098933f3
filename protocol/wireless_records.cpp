#include "wireless_records.h"

#include <algorithm>

#include "frames.h"

namespace protocol {

CardRecord DecodeCardRecord(std::span<const std::uint8_t, kCardRecordSize> bytes) {
  using namespace card_field;
  const std::uint8_t* p = bytes.data();
  CardRecord card;
  card.present = p[kPresent];
  card.type = p[kType];
  card.variant = p[kVariant];
  std::copy_n(p + kFirmware, card.firmware.size(), card.firmware.begin());
  card.clients = GetU16(p + kClients);
  card.mode = p[kMode];
  std::copy_n(p + kAddress, kMacSize, card.address.begin());
  card.essid = FieldText(p + kEssid, kEssidSize);
  card.nickname = FieldText(p + kNickname, kNicknameSize);
  card.channel = p[kChannel];
  card.rate = p[kRate];
  card.rateControl = p[kRateControl];
  card.linkState = p[kLinkState];
  card.quality = GetI32(p + kQuality);
  card.qualityMax = GetI32(p + kQualityMax);
  card.level = GetI32(p + kLevel);
  card.levelMax = GetI32(p + kLevelMax);
  card.noise = GetI32(p + kNoise);
  card.noiseMax = GetI32(p + kNoiseMax);
  card.miles = GetU16(p + kMiles);
  card.hundredths = GetU16(p + kHundredths);
  return card;
}

std::array<std::uint8_t, kCardRecordSize> EncodeCardRecord(const CardRecord& card) {
  using namespace card_field;
  std::array<std::uint8_t, kCardRecordSize> out{};
  std::uint8_t* p = out.data();
  p[kPresent] = card.present;
  p[kType] = card.type;
  p[kVariant] = card.variant;
  std::copy(card.firmware.begin(), card.firmware.end(), p + kFirmware);
  PutU16(p + kClients, card.clients);
  p[kMode] = card.mode;
  std::copy(card.address.begin(), card.address.end(), p + kAddress);
  PutFieldText(p + kEssid, kEssidSize, card.essid);
  PutFieldText(p + kNickname, kNicknameSize, card.nickname);
  p[kChannel] = card.channel;
  p[kRate] = card.rate;
  p[kRateControl] = card.rateControl;
  p[kLinkState] = card.linkState;
  PutU32(p + kQuality, static_cast<std::uint32_t>(card.quality));
  PutU32(p + kQualityMax, static_cast<std::uint32_t>(card.qualityMax));
  PutU32(p + kLevel, static_cast<std::uint32_t>(card.level));
  PutU32(p + kLevelMax, static_cast<std::uint32_t>(card.levelMax));
  PutU32(p + kNoise, static_cast<std::uint32_t>(card.noise));
  PutU32(p + kNoiseMax, static_cast<std::uint32_t>(card.noiseMax));
  PutU16(p + kMiles, card.miles);
  PutU16(p + kHundredths, card.hundredths);
  return out;
}

AssociationRecord DecodeAssociationRecord(
    std::span<const std::uint8_t, kAssociationRecordSize> bytes) {
  using namespace association_field;
  const std::uint8_t* p = bytes.data();
  AssociationRecord record;
  record.end = p[kEnd];
  record.name = FieldText(p + kName, kClientNameSize);
  std::copy_n(p + kMac, kMacSize, record.mac.begin());
  record.quality = p[kQuality];
  record.signal = p[kSignal];
  record.noise = p[kNoise];
  record.clientSignal = p[kClientSignal];
  record.clientNoise = p[kClientNoise];
  record.rate = p[kRate];
  std::copy_n(p + kIp, record.ip.size(), record.ip.begin());
  record.received = GetI64(p + kReceived);
  record.transmitted = GetI64(p + kTransmitted);
  record.idle = GetI32(p + kIdle);
  return record;
}

std::array<std::uint8_t, kAssociationRecordSize> EncodeAssociationRecord(
    const AssociationRecord& record) {
  using namespace association_field;
  std::array<std::uint8_t, kAssociationRecordSize> out{};
  std::uint8_t* p = out.data();
  p[kEnd] = record.end;
  PutFieldText(p + kName, kClientNameSize, record.name);
  std::copy(record.mac.begin(), record.mac.end(), p + kMac);
  p[kQuality] = record.quality;
  p[kSignal] = record.signal;
  p[kNoise] = record.noise;
  p[kClientSignal] = record.clientSignal;
  p[kClientNoise] = record.clientNoise;
  p[kRate] = record.rate;
  std::copy(record.ip.begin(), record.ip.end(), p + kIp);
  PutU64(p + kReceived, static_cast<std::uint64_t>(record.received));
  PutU64(p + kTransmitted, static_cast<std::uint64_t>(record.transmitted));
  PutU32(p + kIdle, static_cast<std::uint32_t>(record.idle));
  return out;
}

int LevelToDbm(int raw) { return std::clamp(raw, 47, 138) - 149; }

int PrismLevelToDbm(int raw) { return raw < 100 ? raw - 100 : -102; }

}  // namespace protocol
