#include "live_keys.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "frames.h"

namespace unitsim {
namespace {

int LineOf(const toml::node& node) { return static_cast<int>(node.source().begin.line); }

// A text that must fit its record field (width - 1 bytes and the NUL).
std::string Text(const KeySite& site, std::size_t fieldWidth) {
  std::string text = site.String();
  if (text.size() + 1 > fieldWidth) {
    site.Fail(std::string(site.key) + " must be at most " + std::to_string(fieldWidth - 1) +
              " bytes");
  }
  return text;
}

std::uint8_t Byte(const KeySite& site) { return static_cast<std::uint8_t>(site.Integer(0, 255)); }

std::int32_t Signed32(const KeySite& site) {
  return static_cast<std::int32_t>(site.Integer(std::numeric_limits<std::int32_t>::min(),
                                                std::numeric_limits<std::int32_t>::max()));
}

std::uint32_t Unsigned32(const KeySite& site) {
  return static_cast<std::uint32_t>(site.Integer(0, std::numeric_limits<std::uint32_t>::max()));
}

std::int64_t Counter(const KeySite& site) {
  return site.Integer(0, std::numeric_limits<std::int64_t>::max());
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

std::array<std::uint8_t, 6> Mac(const KeySite& site) {
  std::string text = site.String();
  std::array<std::uint8_t, 6> mac{};
  bool ok = text.size() == 17;
  for (std::size_t i = 0; ok && i < 6; ++i) {
    int high = HexDigit(text[3 * i]);
    int low = HexDigit(text[3 * i + 1]);
    ok = high >= 0 && low >= 0 && (i == 5 || text[3 * i + 2] == ':');
    mac[i] = static_cast<std::uint8_t>(high * 16 + low);
  }
  if (!ok) site.Fail(std::string(site.key) + " must be a MAC address like 00:0C:42:17:00:05");
  return mac;
}

std::array<std::uint8_t, 4> Address(const KeySite& site) {
  std::string text = site.String();
  if (!IsDottedAddress(text)) site.Fail(std::string(site.key) + " must be a dotted IPv4 address");
  std::array<std::uint8_t, 4> bytes{};
  std::size_t at = 0;
  for (std::uint8_t& byte : bytes) {
    std::size_t end = text.find('.', at);
    byte = static_cast<std::uint8_t>(std::stoi(text.substr(at, end - at)));
    at = end + 1;
  }
  return bytes;
}

// "2.4.11": three numbers 0-255.
std::array<std::uint8_t, 3> Version(const KeySite& site) {
  std::string text = site.String();
  std::array<std::uint8_t, 3> version{};
  std::size_t at = 0;
  for (std::size_t i = 0; i < 3; ++i) {
    std::size_t end = i < 2 ? text.find('.', at) : text.size();
    std::string part = end == std::string::npos ? "" : text.substr(at, end - at);
    bool digits = !part.empty() && part.size() <= 3 &&
                  std::all_of(part.begin(), part.end(), [](char c) { return c >= '0' && c <= '9'; });
    if (!digits || std::stoi(part) > 255) {
      site.Fail(std::string(site.key) + " must be three numbers 0-255 like \"1.7.4\"");
    }
    version[i] = static_cast<std::uint8_t>(std::stoi(part));
    at = end + 1;
  }
  return version;
}

struct Word {
  std::string_view text;
  std::uint8_t value;
};

// One of the words, or a number 0-255.
std::uint8_t WordOrNumber(const KeySite& site, std::initializer_list<Word> words) {
  if (site.node.is_integer()) return Byte(site);
  std::string text = site.String();
  for (const Word& word : words) {
    if (text == word.text) return word.value;
  }
  std::string names;
  for (const Word& word : words) names += std::string(names.empty() ? "" : ", ") + std::string(word.text);
  site.Fail(std::string(site.key) + " must be one of " + names + " or a number 0-255");
}

// Miles with two decimals.
void Distance(const KeySite& site, protocol::CardRecord& card) {
  std::optional<double> miles = site.node.value<double>();
  if (!miles || !(*miles >= 0) || *miles >= 65536) {
    site.Fail(std::string(site.key) + " must be a number of miles from 0 to 65535.99");
  }
  auto hundredths = static_cast<std::int64_t>(std::llround(*miles * 100));
  card.miles = static_cast<std::uint16_t>(std::min<std::int64_t>(hundredths / 100, 65535));
  card.hundredths = static_cast<std::uint16_t>(hundredths % 100);
}

// Runs read for every key of every table in an array of tables; read
// returns false for keys it does not know.  required must be present.
template <class Read>
void EachTable(const KeySite& site, std::string_view tableName,
               std::initializer_list<std::string_view> required, Read read) {
  const toml::array* tables = site.node.as_array();
  if (tables == nullptr || !tables->is_array_of_tables()) {
    site.Fail(std::string(site.key) + " is written as " + std::string(tableName) + " tables");
  }
  for (const toml::node& node : *tables) {
    const toml::table& table = *node.as_table();
    int tableLine = LineOf(table);
    for (std::string_view key : required) {
      if (!table.contains(key)) {
        throw DescriptionError(site.file, tableLine,
                               std::string(tableName) + " has no " + std::string(key));
      }
    }
    read(table, [&](auto&& handle) {
      for (auto&& [key, value] : table) {
        KeySite inner{site.file, site.base, tableName, key.str(), value,
                      static_cast<int>(key.source().begin.line)};
        if (!handle(inner)) {
          inner.Fail("unknown key '" + std::string(key.str()) + "' in " + std::string(tableName));
        }
      }
    });
  }
}

std::string Nested(const KeySite& site, std::string_view name) {
  std::string_view outer = site.table;
  // "[[unit]]" or "[defaults]" -> "unit" or "defaults"
  while (!outer.empty() && outer.front() == '[') outer.remove_prefix(1);
  while (!outer.empty() && outer.back() == ']') outer.remove_suffix(1);
  return "[[" + std::string(outer) + "." + std::string(name) + "]]";
}

bool ReadStationKey(const KeySite& s, protocol::AssociationRecord& r) {
  const std::string_view key = s.key;
  if (key == "name") r.name = Text(s, protocol::kClientNameSize);
  else if (key == "mac") r.mac = Mac(s);
  else if (key == "ip") r.ip = Address(s);
  else if (key == "quality") r.quality = Byte(s);
  else if (key == "signal") r.signal = Byte(s);
  else if (key == "noise") r.noise = Byte(s);
  else if (key == "client_signal") r.clientSignal = Byte(s);
  else if (key == "client_noise") r.clientNoise = Byte(s);
  else if (key == "rate") r.rate = Byte(s);
  else if (key == "rx") r.received = Counter(s);
  else if (key == "tx") r.transmitted = Counter(s);
  else if (key == "idle") r.idle = static_cast<std::int32_t>(s.Integer(0, 2147483647));
  else return false;
  return true;
}

bool ReadCardKey(const KeySite& s, CardDescription& d) {
  protocol::CardRecord& c = d.card;
  const std::string_view key = s.key;
  if (key == "device") {
    d.device = Text(s, protocol::kDeviceNameSize);
    if (d.device.empty()) s.Fail("device must not be empty");
  } else if (key == "type") {
    c.type = WordOrNumber(s, {{"orinoco", protocol::kCardOrinoco},
                              {"prism", protocol::kCardPrism},
                              {"teletronics", protocol::kCardTeletronics},
                              {"atheros", protocol::kCardAtheros}});
  } else if (key == "variant") c.variant = Byte(s);
  else if (key == "firmware") c.firmware = Version(s);
  else if (key == "mode") {
    c.mode = WordOrNumber(s, {{"adhoc", protocol::kModeAdHoc},
                              {"infrastructure", protocol::kModeInfrastructure},
                              {"master", protocol::kModeMaster}});
  } else if (key == "mac") c.address = Mac(s);
  else if (key == "essid") c.essid = Text(s, protocol::kEssidSize);
  else if (key == "nickname") c.nickname = Text(s, protocol::kNicknameSize);
  else if (key == "channel") c.channel = Byte(s);
  else if (key == "rate") c.rate = Byte(s);
  else if (key == "auto_rate") c.rateControl = s.Boolean() ? 1 : 0;
  else if (key == "link_state") c.linkState = Byte(s);
  else if (key == "quality") c.quality = Signed32(s);
  else if (key == "quality_max") c.qualityMax = Signed32(s);
  else if (key == "level") c.level = Signed32(s);
  else if (key == "level_max") c.levelMax = Signed32(s);
  else if (key == "noise") c.noise = Signed32(s);
  else if (key == "noise_max") c.noiseMax = Signed32(s);
  else if (key == "distance") Distance(s, c);
  else if (key == "station") {
    EachTable(s, Nested(s, "station"), {}, [&](const toml::table&, auto eachKey) {
      protocol::AssociationRecord station;
      eachKey([&](const KeySite& inner) { return ReadStationKey(inner, station); });
      d.stations.push_back(station);
    });
    if (d.stations.size() > 65535) s.Fail("a card has at most 65535 stations");
  } else {
    return false;
  }
  return true;
}

CardDescription DefaultCard() {
  CardDescription d;
  d.card.present = 1;
  d.card.type = protocol::kCardAtheros;
  d.card.variant = 1;
  d.card.firmware = {1, 0, 0};
  d.card.mode = protocol::kModeMaster;
  d.card.rateControl = 1;
  d.card.linkState = 4;
  return d;
}

bool ReadPppKey(const KeySite& s, protocol::PppSessionRecord& r) {
  const std::string_view key = s.key;
  if (key == "user") r.user = Text(s, protocol::kSessionUserSize);
  else if (key == "type") r.type = Text(s, 16);
  else if (key == "port") r.port = Text(s, 8);
  else if (key == "ip") r.address = Text(s, 20);
  else if (key == "rx") r.received = Counter(s);
  else if (key == "tx") r.transmitted = Counter(s);
  else if (key == "rx_rate") r.receiveRate = Unsigned32(s);
  else if (key == "tx_rate") r.transmitRate = Unsigned32(s);
  else return false;
  return true;
}

bool ReadHotspotKey(const KeySite& s, HotspotDescription& d) {
  protocol::HotspotSessionRecord& r = d.record;
  const std::string_view key = s.key;
  if (key == "user") r.user = Text(s, protocol::kSessionUserSize);
  else if (key == "ip") {
    r.address = s.String();
    if (!IsDottedAddress(r.address)) s.Fail("ip must be a dotted IPv4 address");
  } else if (key == "mac") r.mac = Text(s, 18);
  else if (key == "rx") r.received = Unsigned32(s);
  else if (key == "tx") r.transmitted = Unsigned32(s);
  else if (key == "rx_rate") d.receiveRate = Unsigned32(s);
  else if (key == "tx_rate") d.transmitRate = Unsigned32(s);
  else if (key == "online") r.online = static_cast<std::uint32_t>(s.Integer(0, 2147483647));
  else if (key == "limit") r.limit = static_cast<std::uint32_t>(s.Integer(0, 2147483647));
  else return false;
  return true;
}

}  // namespace

bool LiveKeys(const KeySite& site, UnitSettings& settings) {
  LiveDescription& live = settings.live;
  const std::string_view key = site.key;
  if (key == "throughput_limit_kbit") {
    live.throughputLimitKbit = static_cast<std::uint32_t>(site.Integer(0, 100000000));
  } else if (key == "counters_run") {
    live.countersRun = site.Boolean();
  } else if (key == "card") {
    live.cards.clear();
    EachTable(site, Nested(site, "card"), {"device"}, [&](const toml::table&, auto eachKey) {
      CardDescription card = DefaultCard();
      eachKey([&](const KeySite& inner) { return ReadCardKey(inner, card); });
      card.card.clients = static_cast<std::uint16_t>(card.stations.size());
      if (FindCard(live, card.device)) {
        site.Fail("device " + card.device + " is described twice");
      }
      live.cards.push_back(std::move(card));
    });
  } else if (key == "ppp") {
    live.ppp.clear();
    EachTable(site, Nested(site, "ppp"), {"user"}, [&](const toml::table&, auto eachKey) {
      PppDescription session;
      session.record.type = "pppoe";
      eachKey([&](const KeySite& inner) { return ReadPppKey(inner, session.record); });
      live.ppp.push_back(std::move(session));
    });
  } else if (key == "hotspot") {
    live.hotspot.clear();
    EachTable(site, Nested(site, "hotspot"), {"user", "ip"}, [&](const toml::table&, auto eachKey) {
      HotspotDescription session;
      eachKey([&](const KeySite& inner) { return ReadHotspotKey(inner, session); });
      live.hotspot.push_back(std::move(session));
    });
  } else {
    return false;
  }
  return true;
}

}  // namespace unitsim
