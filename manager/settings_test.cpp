#include "settings.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace halvex {
namespace {

struct SettingsCase {
  const char* what;
  std::string_view text;
  const char* community;
  const char* password;  // nullptr: not looked at
};

const SettingsCase kSettingsCases[] = {
    {"an empty file keeps the defaults", "", "oriole", ""},
    {"a blank line keeps the defaults", "  \r\n", "oriole", nullptr},
    {"two lines", "public\r\nBlueOx\r\n", "public", "BlueOx"},
    {"one line with a comma", "public,BlueOx\r\n", "public", "BlueOx"},
    {"bare line feeds", "public\nBlueOx\n", "public", "BlueOx"},
    {"a third value is ignored", "public,BlueOx,extra\r\nmore", nullptr, "BlueOx"},
    {"one value with its line end", "public\r\n", "public", ""},
    {"one value alone", "public", "public", ""},
    {"quoted values hold commas", "\"pub,lic\",\"Blue,Ox\"\r\n", "pub,lic", "Blue,Ox"},
    {"text after a closing quote is ignored", "\"public\" ignored,BlueOx", "public", "BlueOx"},
    {"quotes keep spaces", "\" spaced \"\r\n", " spaced ", nullptr},
    {"tabs are not taken into a value", "\tpub\tlic\r\nBlue\tOx", "public", "BlueOx"},
    {"a line feed inside quotes is not taken", "\"pub\nlic\",x", "public", nullptr},
    {"a carriage return ends a value", "public\rBlueOx", "public", "BlueOx"},
    {"a carriage return inside quotes ends it too", "\"pub\rlic\"", "pub", nullptr},
    {"spaces around values", "  public  ,  BlueOx  \r\n", "public", "BlueOx"},
    {"an empty first line", "\r\nBlueOx\r\n", "", "BlueOx"},
    {"an empty first value", ",BlueOx", "", "BlueOx"},
};

TEST(Settings, ParsesEachLayoutOfTheFile) {
  for (const SettingsCase& c : kSettingsCases) {
    Settings s = ParseSettings(c.text);
    if (c.community) {
      EXPECT_EQ(s.community, c.community) << c.what;
    }
    if (c.password) {
      EXPECT_EQ(s.password, c.password) << c.what;
    }
  }
}

TEST(Settings, NoFileKeepsTheDefaults) {
  Settings s = ReadSettings(std::filesystem::path(testing::TempDir()) / "no-such-halvex.ini");
  EXPECT_EQ(s.community, "oriole");
  EXPECT_EQ(s.password, "");
}

TEST(Settings, ReadsTheFile) {
  auto file = std::filesystem::path(testing::TempDir()) / "halvex-settings-test.ini";
  {
    std::ofstream out(file, std::ios::binary);
    out << "lab,\"Blue Ox\"\r\n";
  }
  Settings s = ReadSettings(file);
  EXPECT_EQ(s.community, "lab");
  EXPECT_EQ(s.password, "Blue Ox");
  std::filesystem::remove(file);
}

}  // namespace
}  // namespace halvex
