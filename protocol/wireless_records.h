// The records of the wireless views: -ci (action 16) receives one
// CardRecord, -ai (action 17) a CardRecord and then AssociationRecords up
// to and including the one whose end flag is set.
//
// All multi-byte fields are little-endian.  Texts are NUL-terminated inside
// their field; a field without a NUL is read up to its last byte and never
// beyond.  Bytes marked "not read" are zero when we send them.
//
// CardRecord, 154 bytes:
//   0    1  not read
//   1    1  card present: 0 = no supported card in the socket
//   2    1  card type: 1 ORiNOCO, 2 Intersil Prism, 10 Teletronics,
//           20 Atheros; other values are unknown cards
//   3    1  chip variant: type 2: 0 Prism II, else Prism 2.5;
//           type 20: 0 = 5211, else 5212
//   4    1  not read
//   5    3  card firmware major, minor, patch
//   8    2  number of associated clients (meaningful in master mode)
//   10   1  mode: 1 ad-hoc, 2 infrastructure, 3 master (access point)
//   11   6  MAC address of the cell or access point, in print order
//   17  33  not read
//   50  33  network name (ESSID), text
//   83  34  station nickname, text; empty when none
//   117  1  channel
//   118  1  transmit rate, units of 100 kbit/s
//   119  1  not read
//   120  1  rate control: 0 fixed rate, else automatic rate fallback
//   121  4  not read
//   125  1  link state: 4 or 6 = associated
//   126  4  signal quality, signed
//   130  4  signal quality maximum, signed; 0 = none known
//   134  4  signal level, signed
//   138  4  signal level maximum, signed; 0 = none known
//   142  4  noise level, signed
//   146  4  noise level maximum, signed; 0 = none known
//   150  2  link distance, whole miles
//   152  2  link distance, hundredths of a mile
//
// AssociationRecord, 70 bytes, one per station:
//   0    1  not read
//   1    1  end flag: not 0 = last record of the table
//   2   32  client name, text
//   34   6  client MAC address
//   40   1  Q: link quality measured by the access point
//   41   1  S: signal level of the client, raw
//   42   1  N: noise level, raw
//   43   1  signal level reported by the client, raw
//   44   1  noise level reported by the client, raw
//   45   1  R: transmit rate, units of 100 kbit/s
//   46   4  client IPv4 address, printed in byte order 46..49
//   50   8  received counter, signed 64-bit
//   58   8  transmitted counter, signed 64-bit
//   66   4  idle time in seconds, signed
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace protocol {

inline constexpr std::size_t kCardRecordSize = 154;
inline constexpr std::size_t kAssociationRecordSize = 70;
inline constexpr std::size_t kEssidSize = 33;
inline constexpr std::size_t kNicknameSize = 34;
inline constexpr std::size_t kClientNameSize = 32;
inline constexpr std::size_t kMacSize = 6;

// Field offsets, from the tables above.
namespace card_field {
inline constexpr std::size_t kPresent = 1, kType = 2, kVariant = 3, kFirmware = 5,
                             kClients = 8, kMode = 10, kAddress = 11, kEssid = 50,
                             kNickname = 83, kChannel = 117, kRate = 118, kRateControl = 120,
                             kLinkState = 125, kQuality = 126, kQualityMax = 130, kLevel = 134,
                             kLevelMax = 138, kNoise = 142, kNoiseMax = 146, kMiles = 150,
                             kHundredths = 152;
}
namespace association_field {
inline constexpr std::size_t kEnd = 1, kName = 2, kMac = 34, kQuality = 40, kSignal = 41,
                             kNoise = 42, kClientSignal = 43, kClientNoise = 44, kRate = 45,
                             kIp = 46, kReceived = 50, kTransmitted = 58, kIdle = 66;
}
static_assert(card_field::kNickname == card_field::kEssid + kEssidSize &&
              card_field::kChannel == card_field::kNickname + kNicknameSize &&
              card_field::kHundredths + 2 == kCardRecordSize);
static_assert(association_field::kMac == association_field::kName + kClientNameSize &&
              association_field::kQuality == association_field::kMac + kMacSize &&
              association_field::kIdle + 4 == kAssociationRecordSize);

enum CardType : std::uint8_t {
  kCardOrinoco = 1,
  kCardPrism = 2,
  kCardTeletronics = 10,
  kCardAtheros = 20,
};

enum CardMode : std::uint8_t {
  kModeAdHoc = 1,
  kModeInfrastructure = 2,
  kModeMaster = 3,
};

struct CardRecord {
  std::uint8_t present = 0;
  std::uint8_t type = 0;
  std::uint8_t variant = 0;
  std::array<std::uint8_t, 3> firmware{};
  std::uint16_t clients = 0;
  std::uint8_t mode = 0;
  std::array<std::uint8_t, kMacSize> address{};
  std::string essid;     // at most 32 bytes travel
  std::string nickname;  // at most 33 bytes travel
  std::uint8_t channel = 0;
  std::uint8_t rate = 0;
  std::uint8_t rateControl = 0;
  std::uint8_t linkState = 0;
  std::int32_t quality = 0;
  std::int32_t qualityMax = 0;
  std::int32_t level = 0;
  std::int32_t levelMax = 0;
  std::int32_t noise = 0;
  std::int32_t noiseMax = 0;
  std::uint16_t miles = 0;
  std::uint16_t hundredths = 0;

  bool operator==(const CardRecord&) const = default;
};

struct AssociationRecord {
  std::uint8_t end = 0;
  std::string name;  // at most 31 bytes travel
  std::array<std::uint8_t, kMacSize> mac{};
  std::uint8_t quality = 0;
  std::uint8_t signal = 0;
  std::uint8_t noise = 0;
  std::uint8_t clientSignal = 0;
  std::uint8_t clientNoise = 0;
  std::uint8_t rate = 0;
  std::array<std::uint8_t, 4> ip{};
  std::int64_t received = 0;
  std::int64_t transmitted = 0;
  std::int32_t idle = 0;

  bool operator==(const AssociationRecord&) const = default;
};

CardRecord DecodeCardRecord(std::span<const std::uint8_t, kCardRecordSize> bytes);
std::array<std::uint8_t, kCardRecordSize> EncodeCardRecord(const CardRecord& card);
AssociationRecord DecodeAssociationRecord(
    std::span<const std::uint8_t, kAssociationRecordSize> bytes);
std::array<std::uint8_t, kAssociationRecordSize> EncodeAssociationRecord(
    const AssociationRecord& record);

// The raw level scale of ORiNOCO and Atheros cards to dBm: clamped into
// 47..138, minus 149.
int LevelToDbm(int raw);
// The raw level scale of Prism cards: raw - 100 below 100, else -102.
int PrismLevelToDbm(int raw);

}  // namespace protocol
