#include "storage.h"

#include <array>
#include <fstream>
#include <sstream>
#include <string_view>
#include <system_error>

#include "frames.h"
#include "stored_file.h"

namespace unitsim {

namespace fs = std::filesystem;

namespace {

constexpr std::array<std::string_view, 7> kScripts = {"cbq",     "fw",      "nat",  "rad_users",
                                                      "rad_nas", "proxy",   "dhcpd"};
constexpr std::array<std::string_view, 7> kPages = {"login",  "alogin",    "mlogin", "logout",
                                                    "status", "noservice", "splash"};
constexpr std::uint8_t kFirstPage = 32;

std::string SafeName(const std::string& text) {
  std::string out;
  for (char c : text) {
    bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                 c == '.' || c == '-';
    out += plain ? c : '_';
  }
  return out;
}

std::string DefaultScript(const UnitDescription& unit, std::string_view script) {
  std::ostringstream text;
  text << "#!/bin/sh\n# " << script << " script of " << unit.name << " (" << unit.address
       << ")\n";
  if (script == "cbq") {
    text << "tc qdisc add dev eth0 root handle 1: cbq avpkt 1000 bandwidth 100mbit\n"
            "tc class add dev eth0 parent 1: classid 1:1 cbq rate 2mbit allot 1500 prio 5\n";
  } else if (script == "fw") {
    text << "iptables -P INPUT DROP\n"
            "iptables -A INPUT -i lo -j ACCEPT\n"
            "iptables -A INPUT -p tcp --dport 856 -j ACCEPT\n"
            "iptables -A INPUT -m state --state ESTABLISHED,RELATED -j ACCEPT\n";
  } else if (script == "nat") {
    text << "iptables -t nat -A POSTROUTING -o eth0 -j MASQUERADE\n";
  } else if (script == "rad_users") {
    text << "operator  Cleartext-Password := \"changeme\"\n";
  } else if (script == "rad_nas") {
    text << "client " << unit.address << " {\n  secret = testing123\n}\n";
  } else if (script == "proxy") {
    text << "http_port 3128 transparent\ncache_mem 8 MB\n";
  } else {
    text << "subnet 192.168.10.0 netmask 255.255.255.0 {\n"
            "  range 192.168.10.100 192.168.10.199;\n}\n";
  }
  return text.str();
}

std::string DefaultPage(const UnitDescription& unit, std::string_view page) {
  std::ostringstream text;
  text << "<html>\n<head><title>" << unit.name << " " << page << "</title></head>\n<body>\n";
  if (page == "login" || page == "alogin" || page == "mlogin") {
    text << "<form method=\"post\" action=\"/login\">\n"
            "User: <input name=\"username\"> Password: <input name=\"password\" "
            "type=\"password\">\n<input type=\"submit\" value=\"Log in\">\n</form>\n";
  } else {
    text << "<p>" << page << " page of " << unit.name << "</p>\n";
  }
  text << "</body>\n</html>\n";
  return text.str();
}

std::string DefaultConfig(const UnitDescription& unit) {
  std::ostringstream text;
  text << "# configuration of " << unit.name << "\n"
       << "hostname=" << unit.name << "\n"
       << "eth0.address=" << unit.address << "\n"
       << "eth0.netmask=255.255.255.0\n"
       << "wlan0.mode=master\nwlan0.essid=demo-net\nwlan0.channel=6\n"
       << "management.port=" << unit.settings.port << "\n";
  return text.str();
}

}  // namespace

fs::path UnitFolder(const UnitDescription& unit) {
  return unit.settings.state / SafeName(unit.address + "_" + unit.name);
}

std::optional<fs::path> StoredItem(const UnitDescription& unit, std::uint8_t action,
                                   std::uint8_t selector) {
  switch (action) {
    case protocol::kActionDownloadConfig:
    case protocol::kActionUploadConfig:
      return UnitFolder(unit) / "config.dat";
    case protocol::kActionDownloadScript:
    case protocol::kActionUploadScript:
      if (selector < 1 || selector > kScripts.size()) return std::nullopt;
      return UnitFolder(unit) / "scripts" / std::string(kScripts[selector - 1]);
    case protocol::kActionDownloadPage:
    case protocol::kActionUploadPage:
      if (selector < kFirstPage || selector >= kFirstPage + kPages.size()) return std::nullopt;
      return UnitFolder(unit) / "pages" / (std::string(kPages[selector - kFirstPage]) + ".html");
    default:
      return std::nullopt;
  }
}

std::string DefaultContent(const UnitDescription& unit, const fs::path& item) {
  std::string folder = item.parent_path().filename().string();
  if (folder == "scripts") return DefaultScript(unit, item.filename().string());
  if (folder == "pages") return DefaultPage(unit, item.stem().string());
  return DefaultConfig(unit);
}

bool StoreAtomically(const fs::path& item, std::string_view content) {
  std::error_code ec;
  fs::create_directories(item.parent_path(), ec);
  StoredFile file(item.string());
  return file.Open() &&
         file.Write(reinterpret_cast<const std::uint8_t*>(content.data()), content.size()) &&
         file.Commit();
}

bool EnsureStored(const UnitDescription& unit, const fs::path& item) {
  std::error_code ec;
  if (fs::is_regular_file(item, ec)) return true;
  return StoreAtomically(item, DefaultContent(unit, item));
}

std::optional<InstalledFirmware> LoadInstalledFirmware(const UnitDescription& unit) {
  std::ifstream in(UnitFolder(unit) / "firmware.txt");
  InstalledFirmware firmware;
  if (!(in >> firmware.version >> firmware.build)) return std::nullopt;
  return firmware;
}

bool SaveInstalledFirmware(const UnitDescription& unit, const InstalledFirmware& firmware) {
  return StoreAtomically(UnitFolder(unit) / "firmware.txt",
                         firmware.version + " " + firmware.build + "\n");
}

}  // namespace unitsim
