#include "wireless.h"

#include <algorithm>
#include <cinttypes>
#include <cstdio>

#include "frames.h"
#include "text_format.h"
#include "text_row.h"

namespace velkor {

using namespace protocol;

namespace {

std::string MacText(const std::array<std::uint8_t, 6>& m) {
  return FormatText("%.2x:%.2x:%.2x:%.2x:%.2x:%.2x", m[0], m[1], m[2], m[3], m[4], m[5]);
}

// "Signal quality: 87/92", or "Signal quality: 87" when no maximum is known.
std::string FigureText(const char* label, std::int32_t value, std::int32_t maximum) {
  if (maximum != 0) return FormatText("%s: %d/%d", label, value, maximum);
  return FormatText("%s: %d", label, value);
}

bool ReportsDbm(std::uint8_t type) { return type == kCardOrinoco || type == kCardAtheros; }

}  // namespace

std::string CardName(std::uint8_t type, std::uint8_t variant) {
  switch (type) {
    case kCardOrinoco:
      return "ORiNOCO";
    case kCardPrism:
      return variant == 0 ? "Intersil Prism II" : "Intersil Prism 2.5";
    case kCardTeletronics:
      return "Teletronics 2MB";
    case kCardAtheros:
      return variant == 0 ? "Atheros 5211" : "Atheros 5212";
    default:
      return "unknown";
  }
}

std::string RadioName(std::uint8_t type) {
  return type == kCardAtheros ? "IEEE 802.11-OFDM" : "IEEE 802.11-DS";
}

std::string RateText(std::uint8_t rate) {
  if (rate == 55 || rate == 60) return "5.5";
  return FormatText("%d", rate / 10);
}

std::string IdleText(std::int32_t t) {
  if (t < 60) return FormatText("%ds", t);
  if (t < 3600) return FormatText("%d:%.2dm", t / 60, t % 60);
  if (t < 86400) return FormatText("%d:%.2dh", t / 3600, t % 3600 / 60);
  return FormatText("%d:%.2dd", t / 86400, t % 86400 / 3600);
}

std::string CardInfoText(const CardRecord& card, std::string_view deviceName) {
  std::string device(deviceName);
  if (card.present == 0) return device + "  No supported card inserted.\n";

  std::string text = FormatText(" with firmware v%d.%d.%d", card.firmware[0], card.firmware[1],
                            card.firmware[2]);
  text = device + "  " + CardName(card.type, card.variant) + text;
  if (ReportsDbm(card.type)) {
    text += FormatText(", link distance %d.%.2d miles", card.miles, card.hundredths);
  }
  text += "\n";

  text += "       " + RadioName(card.type) + "  ESSID: \"" + card.essid + "\"  ";
  text += card.nickname.empty() ? "\n" : "Nickname: \"" + card.nickname + "\"\n";

  const char* mode = card.mode == kModeInfrastructure ? "Infrastructure"
                     : card.mode == kModeAdHoc        ? "Ad-hoc"
                                                      : "Master AP";
  const char* label = card.mode == kModeAdHoc ? "Cell" : "Access Point";
  text += FormatText("       Mode: %s  Channel: %d  %s: ", mode, card.channel, label) +
          MacText(card.address) + "\n";

  const char* control = card.rateControl != 0 ? "Auto-rate fallback" : "Fixed-rate";
  const char* status = card.mode == kModeMaster                            ? "Master"
                       : (card.linkState == 4 || card.linkState == 6) ? "Associated"
                                                                          : "Not Associated";
  text += "       TX Rate: " + RateText(card.rate) + "Mb/s " + control +
          "  Link status: " + status;
  if (card.mode == kModeMaster) text += FormatText("  Clients: %d", card.clients);
  text += "\n";

  text += "       " + FigureText("Signal quality", card.quality, card.qualityMax) + "  ";
  if (ReportsDbm(card.type)) {
    text += FormatText("Signal level: %ddBm  Signal noise: %ddBm\n", LevelToDbm(card.level),
                   LevelToDbm(card.noise));
  } else {
    text += FigureText("Signal level", card.level, card.levelMax) + "  " +
            FigureText("Noise level", card.noise, card.noiseMax) + "\n";
  }
  return text;
}

void PrintCardInfo(const CardRecord& card, std::string_view device) {
  std::fputs(CardInfoText(card, device).c_str(), stdout);
}

std::string AssociationText(const AssociationRecord& record, const CardRecord& card,
                            int number, bool details) {
  auto level = [&](std::uint8_t raw) {
    if (card.type == kCardOrinoco) return LevelToDbm(raw);
    if (card.type == kCardPrism) return PrismLevelToDbm(raw);
    return static_cast<int>(raw);
  };

  TextRow row;
  row.Put(0, FormatText("%3d", number).substr(0, 3));
  row.Put(4, "[");
  row.Put(5, record.name.size() > 14 ? record.name.substr(0, 12) + ".." : record.name);
  row.Put(19, "]");
  row.Put(21, MacText(record.mac));
  row.Put(39, FormatText("%d.%d.%d.%d", record.ip[0], record.ip[1], record.ip[2], record.ip[3]));
  bool hasQuality =
      card.type == kCardOrinoco || card.type == kCardPrism || card.type == kCardAtheros;
  row.Put(56, hasQuality ? FormatText("%2d", record.quality) : "--");
  row.Put(59, FormatText("%4d", level(record.signal)));
  row.Put(64, FormatText("%4d", level(record.noise)));
  row.Put(69, RateText(record.rate));
  row.Put(72, FormatText("%7s", IdleText(record.idle).c_str()));
  std::string text = row.UpToLastText() + "\n";
  if (!details) return text;

  // The client's own view always converts Prism figures like ORiNOCO ones.
  auto clientLevel = [&](std::uint8_t raw) {
    if (card.type == kCardOrinoco || card.type == kCardPrism) return LevelToDbm(raw);
    return static_cast<int>(raw);
  };
  TextRow more;
  more.Put(4, "rx:");
  more.Put(8, FormatText("%14" PRId64, record.received));
  more.Put(23, "tx:");
  more.Put(27, FormatText("%14" PRId64, record.transmitted));
  more.Put(43, "client-side:");
  int margin = std::min(static_cast<int>(record.clientSignal) - record.clientNoise, 92);
  more.Put(56, FormatText("%2d", margin));
  more.Put(59, FormatText("%4d", clientLevel(record.clientSignal)));
  more.Put(64, FormatText("%4d", clientLevel(record.clientNoise)));
  return text + more.Full() + "\n";
}

void PrintAssociation(const AssociationRecord& record, const CardRecord& card, int number,
                      bool details) {
  std::fputs(AssociationText(record, card, number, details).c_str(), stdout);
}

bool ShowCardInfo(Connection& connection, std::string_view device) {
  std::array<std::uint8_t, kCardRecordSize> bytes;
  if (!connection.ReceiveExact(bytes.data(), bytes.size())) return false;
  PrintCardInfo(DecodeCardRecord(bytes), device);
  return true;
}

bool ShowAssociations(Connection& connection, std::string_view deviceName,
                      std::uint32_t index, bool details) {
  std::array<std::uint8_t, kCardRecordSize> cardBytes;
  if (!connection.ReceiveExact(cardBytes.data(), cardBytes.size())) return false;
  CardRecord card = DecodeCardRecord(cardBytes);
  std::string device(deviceName);
  if (card.present == 0) {
    std::printf("%s  No supported card inserted in socket.\n", device.c_str());
    return false;
  }
  if (card.mode != kModeMaster) {
    std::printf("%s  Wireless card is not set as an Access Point.\n", device.c_str());
    return false;
  }
  if (card.clients < index) {
    std::printf("%s  Association index is out of range. Only %d associations present.\n",
                device.c_str(), card.clients);
    return false;
  }

  int number = index == 0 ? 1 : static_cast<int>(index);
  std::fputs(kAssociationHeader, stdout);
  for (;;) {
    std::array<std::uint8_t, kAssociationRecordSize> bytes;
    if (!connection.ReceiveExact(bytes.data(), bytes.size())) return false;
    AssociationRecord record = DecodeAssociationRecord(bytes);
    PrintAssociation(record, card, number, details);
    ++number;
    if (record.end != 0) return true;
  }
}

}  // namespace velkor
