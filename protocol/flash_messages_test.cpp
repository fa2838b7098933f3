#include "flash_messages.h"

#include <gtest/gtest.h>

#include "frames.h"

namespace protocol {
namespace {

FlashMessage Parse(std::string_view text) {
  std::string area(kBlockPayloadSize, '\0');
  area.replace(0, text.size(), text);
  return ParseFlashMessage(area);
}

TEST(FlashMessage, Kinds) {
  EXPECT_EQ(Parse("done").kind, FlashMessage::kDone);
  EXPECT_EQ(Parse("Done").kind, FlashMessage::kText);
  EXPECT_EQ(Parse("done ").kind, FlashMessage::kText);
  EXPECT_EQ(Parse("5 0").kind, FlashMessage::kText);
  EXPECT_EQ(Parse("5 0").text, "5 0");
  EXPECT_EQ(Parse("").kind, FlashMessage::kText);

  FlashMessage m = Parse("1 2 50 100 blocks written");
  EXPECT_EQ(m.kind, FlashMessage::kProgress);
  EXPECT_EQ(m.target, 1);
  EXPECT_EQ(m.phase, 2);
  EXPECT_EQ(m.done, 50);
  EXPECT_EQ(m.total, 100);

  m = Parse("  0\t1\n-3 +7");  // as "%d %d %d %d" reads them
  EXPECT_EQ(m.kind, FlashMessage::kProgress);
  EXPECT_EQ(m.done, -3);
  EXPECT_EQ(m.total, 7);
  EXPECT_EQ(Parse("0 0 x 100").kind, FlashMessage::kText);
  EXPECT_EQ(Parse("0 0 99999999999 100").done, 2147483647);
}

TEST(FlashMessage, TextWithoutTerminatorStopsAtTheArea) {
  std::string area(kBlockPayloadSize, 'a');
  EXPECT_EQ(ParseFlashMessage(area).text, area);
}

TEST(FlashMessage, ProgressTextReadsBack) {
  FlashMessage m = Parse(FlashProgressText(1, 0, 128, 256));
  EXPECT_EQ(m.kind, FlashMessage::kProgress);
  EXPECT_EQ(m.target, 1);
  EXPECT_EQ(m.phase, 0);
  EXPECT_EQ(m.done, 128);
  EXPECT_EQ(m.total, 256);
  EXPECT_EQ(Parse(kFlashDone).kind, FlashMessage::kDone);
}

}  // namespace
}  // namespace protocol
