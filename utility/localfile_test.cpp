#include "localfile.h"

#include <gtest/gtest.h>

#include "test_peer.h"

namespace velkor {
namespace {

using testing::ReadBytes;
using testing::ScratchFolder;
using testing::WriteBytes;

std::string Convert(std::initializer_list<std::string_view> pieces) {
  std::string out;
  TextModeReader reader(out);
  for (auto piece : pieces) reader.Feed(piece);
  reader.Finish();
  return out;
}

TEST(TextModeReader, LineEnds) {
  EXPECT_EQ(Convert({"a\r\nb\r\n"}), "a\nb\n");
  EXPECT_EQ(Convert({"a\r", "\nb"}), "a\nb");  // pair split between reads
  EXPECT_EQ(Convert({"a\rb\r\r\n"}), "a\rb\r\n");  // a lone CR stays
  EXPECT_EQ(Convert({"a\r"}), "a\r");
  EXPECT_EQ(Convert({"a\n\nb"}), "a\n\nb");
}

TEST(TextModeReader, EndOfTextByte) {
  EXPECT_EQ(Convert({"abc\x1A", "def"}), "abc");
  EXPECT_EQ(Convert({"ab\r\x1A\n"}), "ab\r");
  EXPECT_EQ(Convert({"\x1A"}), "");
}

TEST(TextModeReader, NulDropsTheRestOfItsLine) {
  using namespace std::string_literals;
  EXPECT_EQ(Convert({"ab\0cd\nef"s}), "abef");  // its newline too
  // A line longer than 1023 characters is read in pieces of 1023; a NUL
  // drops only the rest of its piece.
  std::string line(1023, 'x');
  line[0] = '\0';
  line += "yz\n";
  EXPECT_EQ(Convert({line}), "yz\n");
}

TEST(ReadTextFile, ConvertsAndAnnouncesTheConvertedLength) {
  ScratchFolder dir;
  WriteBytes(dir.path("page.html"), "a\r\nb\r\n");
  std::string text;
  EXPECT_EQ(ReadTextFile(dir.path("page.html").string(), text), 4u);
  EXPECT_EQ(text, "a\nb\n");
}

TEST(ReadTextFile, OneMebibyteLimitOnTheSizeOnDisk) {
  ScratchFolder dir;
  std::string text(kMaxTextFileSize, 'x');
  for (std::size_t i = 99; i < text.size(); i += 100) text[i] = '\n';
  WriteBytes(dir.path("max.txt"), text);
  std::string read;
  EXPECT_EQ(ReadTextFile(dir.path("max.txt").string(), read), kMaxTextFileSize);
  EXPECT_EQ(read, text);

  WriteBytes(dir.path("over.txt"), text + "x");
  EXPECT_EQ(ReadTextFile(dir.path("over.txt").string(), read), 0u);
  EXPECT_EQ(read, "");

  // 1 MiB + 1 on disk is refused even if the text would be shorter.
  std::string crlf;
  while (crlf.size() < kMaxTextFileSize + 1) crlf += "a\r\n";
  crlf.resize(kMaxTextFileSize + 1);
  WriteBytes(dir.path("crlf.txt"), crlf);
  EXPECT_EQ(ReadTextFile(dir.path("crlf.txt").string(), read), 0u);
}

TEST(ReadTextFile, EmptyOrMissingGivesNoText) {
  ScratchFolder dir;
  WriteBytes(dir.path("empty.txt"), "");
  std::string text;
  EXPECT_EQ(ReadTextFile(dir.path("empty.txt").string(), text), 0u);
  EXPECT_EQ(ReadTextFile(dir.path("missing.txt").string(), text), 0u);
  EXPECT_EQ(ReadTextFile(dir.path("").string(), text), 0u);  // a folder
}

TEST(FileChecks, ExistsAndSize) {
  ScratchFolder dir;
  WriteBytes(dir.path("f.bin"), std::string(1461, 'z'));
  EXPECT_TRUE(FileExists(dir.path("f.bin").string()));
  EXPECT_EQ(FileSize(dir.path("f.bin").string()), 1461u);
  EXPECT_FALSE(FileExists(dir.path("nope").string()));
  EXPECT_EQ(FileSize(dir.path("nope").string()), 0u);
  EXPECT_TRUE(FileExists(dir.path("").string()));
  EXPECT_EQ(FileSize(dir.path("").string()), 0u);  // a folder is no file to send
}

TEST(FileChecks, SizeBeyondThirtyTwoBits) {
  ScratchFolder dir;
  WriteBytes(dir.path("big.bin"), "");
  std::filesystem::resize_file(dir.path("big.bin"), kMaxUploadSize + 1);  // sparse
  EXPECT_EQ(FileSize(dir.path("big.bin").string()), kMaxUploadSize + 1);
}

}  // namespace
}  // namespace velkor
