#include "settings.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace halvex {
namespace {

Settings Parse(std::string_view text) { return ParseSettings(text); }

TEST(Settings, NoFileOrEmptyFileKeepsTheDefaults) {
  Settings s = ReadSettings(std::filesystem::path(testing::TempDir()) / "no-such-halvex.ini");
  EXPECT_EQ(s.community, "oriole");
  EXPECT_EQ(s.password, "");
  s = Parse("");
  EXPECT_EQ(s.community, "oriole");
  EXPECT_EQ(s.password, "");
  s = Parse("  \r\n");
  EXPECT_EQ(s.community, "oriole");
}

TEST(Settings, ReadsTwoLinesOrOneLineWithAComma) {
  Settings s = Parse("public\r\nBlueOx\r\n");
  EXPECT_EQ(s.community, "public");
  EXPECT_EQ(s.password, "BlueOx");
  s = Parse("public,BlueOx\r\n");
  EXPECT_EQ(s.community, "public");
  EXPECT_EQ(s.password, "BlueOx");
  s = Parse("public\nBlueOx\n");  // bare line feeds
  EXPECT_EQ(s.community, "public");
  EXPECT_EQ(s.password, "BlueOx");
  s = Parse("public,BlueOx,extra\r\nmore");
  EXPECT_EQ(s.password, "BlueOx");
}

TEST(Settings, OneValueLeavesThePasswordEmpty) {
  Settings s = Parse("public\r\n");
  EXPECT_EQ(s.community, "public");
  EXPECT_EQ(s.password, "");
  s = Parse("public");
  EXPECT_EQ(s.community, "public");
  EXPECT_EQ(s.password, "");
}

TEST(Settings, QuotedValuesMayHoldCommas) {
  Settings s = Parse("\"pub,lic\",\"Blue,Ox\"\r\n");
  EXPECT_EQ(s.community, "pub,lic");
  EXPECT_EQ(s.password, "Blue,Ox");
  s = Parse("\"public\" ignored,BlueOx");
  EXPECT_EQ(s.community, "public");
  EXPECT_EQ(s.password, "BlueOx");
  s = Parse("\" spaced \"\r\n");
  EXPECT_EQ(s.community, " spaced ");
}

TEST(Settings, TabsAndLineFeedsAreNotTakenIntoAValue) {
  Settings s = Parse("\tpub\tlic\r\nBlue\tOx");
  EXPECT_EQ(s.community, "public");
  EXPECT_EQ(s.password, "BlueOx");
  s = Parse("\"pub\nlic\",x");  // a line feed inside quotes
  EXPECT_EQ(s.community, "public");
}

TEST(Settings, ACarriageReturnEndsAValue) {
  Settings s = Parse("public\rBlueOx");
  EXPECT_EQ(s.community, "public");
  EXPECT_EQ(s.password, "BlueOx");
  s = Parse("\"pub\rlic\"");
  EXPECT_EQ(s.community, "pub");
}

TEST(Settings, SpacesAroundValues) {
  Settings s = Parse("  public  ,  BlueOx  \r\n");
  EXPECT_EQ(s.community, "public");
  EXPECT_EQ(s.password, "BlueOx");
}

TEST(Settings, AnEmptyFirstLineGivesAnEmptyCommunity) {
  Settings s = Parse("\r\nBlueOx\r\n");
  EXPECT_EQ(s.community, "");
  EXPECT_EQ(s.password, "BlueOx");
  s = Parse(",BlueOx");
  EXPECT_EQ(s.community, "");
  EXPECT_EQ(s.password, "BlueOx");
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
