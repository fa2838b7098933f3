#include "transfer.h"

#include <gtest/gtest.h>

#include "test_peer.h"

namespace velkor {
namespace {

using testing::Pattern;
using testing::PeerEnd;
using testing::ReadBytes;
using testing::ScratchFolder;
using testing::ScriptedPeer;
using testing::WriteBytes;

class TransferTest : public ::testing::Test {
 protected:
  void SetUp() override { ::testing::internal::CaptureStdout(); }
  void TearDown() override {
    if (!captured_) ::testing::internal::GetCapturedStdout();
  }
  std::string Output() {
    captured_ = true;
    return ::testing::internal::GetCapturedStdout();
  }

  ScratchFolder dir;
  RunOutput output;  // the run's own, as each run has
  bool captured_ = false;
};

// Sends the reply announcing `total`, then the given blocks.
std::function<void(PeerEnd&)> Download(std::uint32_t total, std::vector<std::string> blocks,
                                       bool closeEarly = false) {
  return [=](PeerEnd& peer) {
    peer.SendReply(kStatusOk, total);
    for (const auto& b : blocks) peer.SendBlock(b);
    if (closeEarly) peer.Close();
  };
}

// A download as the run makes it: received, then put in place.
bool ReceiveAndCommit(Connection& connection, const std::string& path, RunOutput& output) {
  DownloadFile file(path);
  return ReceiveFile(connection, path, file, output) && CommitDownload(file, path);
}

TEST_F(TransferTest, DownloadOfThreeThousandBytes) {
  std::string data = Pattern(3000);
  ScriptedPeer peer(Download(3000, {data.substr(0, 1460), data.substr(1460, 1460),
                                    data.substr(2920)}));
  ASSERT_TRUE(peer.client().ReadReply());
  std::string path = dir.path("server.dat").string();
  ASSERT_TRUE(ReceiveAndCommit(peer.client(), path, output));
  EXPECT_EQ(ReadBytes(path), data);
  EXPECT_EQ(Output(), "Saving file to: " + path + " (2K in size)\n" + ProgressLine(0, 3000) +
                          ProgressLine(0, 3000) + ProgressLine(1460, 3000) +
                          ProgressLine(2920, 3000) + ProgressLine(3000, 3000) + "\n\n");
  EXPECT_EQ(dir.Names(), std::vector<std::string>{"server.dat"});
}

TEST_F(TransferTest, BrokenDownloadKeepsTheEarlierFile) {
  std::string data = Pattern(3000);
  ScriptedPeer peer(Download(3000, {data.substr(0, 1460)}, true));
  ASSERT_TRUE(peer.client().ReadReply());
  std::string path = dir.path("server.dat").string();
  WriteBytes(path, "earlier backup");
  EXPECT_FALSE(ReceiveAndCommit(peer.client(), path, output));
  EXPECT_EQ(ReadBytes(path), "earlier backup");
  EXPECT_EQ(dir.Names(), std::vector<std::string>{"server.dat"});
  std::string out = Output();
  EXPECT_NE(out.find(ProgressLine(0, 3000) + "\n\nConnection to server was broken, unable to get "
                                            "file.\n\n"),
            std::string::npos)
      << out;
}

TEST_F(TransferTest, BrokenDownloadLeavesNoNewFile) {
  ScriptedPeer peer(Download(3000, {Pattern(1460)}, true));
  ASSERT_TRUE(peer.client().ReadReply());
  EXPECT_FALSE(ReceiveAndCommit(peer.client(), dir.path("new.dat").string(), output));
  EXPECT_TRUE(dir.Names().empty());
}

TEST_F(TransferTest, ZeroLengthBlockBreaksTheDownload) {
  ScriptedPeer peer([](PeerEnd& p) {
    p.SendReply(kStatusOk, 3000);
    p.SendBlock(Pattern(1460));
    p.SendBlock("", 0);
  });
  ASSERT_TRUE(peer.client().ReadReply());
  output.silent = true;
  EXPECT_FALSE(ReceiveAndCommit(peer.client(), dir.path("a.dat").string(), output));
  EXPECT_EQ(Output(), "Connection to server was broken, unable to get file.\n\n");
  EXPECT_TRUE(dir.Names().empty());
}

TEST_F(TransferTest, OversizedBlocksAreCutToTheAnnouncement) {
  std::string data = Pattern(1460);
  ScriptedPeer peer(Download(1000, {data}));
  ASSERT_TRUE(peer.client().ReadReply());
  ASSERT_TRUE(ReceiveAndCommit(peer.client(), dir.path("a.dat").string(), output));
  EXPECT_EQ(ReadBytes(dir.path("a.dat")), data.substr(0, 1000));
}

TEST_F(TransferTest, EmptyAnnouncementMakesAnEmptyFile) {
  ScriptedPeer peer(Download(0, {}));
  ASSERT_TRUE(peer.client().ReadReply());
  output.silent = true;
  ASSERT_TRUE(ReceiveAndCommit(peer.client(), dir.path("empty.dat").string(), output));
  EXPECT_EQ(Output(), "");
  EXPECT_TRUE(std::filesystem::exists(dir.path("empty.dat")));
  EXPECT_EQ(std::filesystem::file_size(dir.path("empty.dat")), 0u);
}

TEST_F(TransferTest, UncreatableTargetFailsQuietly) {
  ScriptedPeer peer(Download(10, {"0123456789"}));
  ASSERT_TRUE(peer.client().ReadReply());
  EXPECT_FALSE(ReceiveAndCommit(peer.client(), dir.path("no/folder/a.dat").string(), output));
  EXPECT_EQ(Output(), "");
}

// Reads the request's worth of blocks and hands back their lengths.
std::function<void(PeerEnd&)> Collect(std::vector<std::uint16_t>& lengths, std::string& data) {
  return [&](PeerEnd& p) {
    std::uint16_t length;
    std::string payload;
    while (p.ReadBlock(length, payload)) {
      lengths.push_back(length);
      data += payload;
    }
  };
}

TEST_F(TransferTest, UploadBlocksFollowTheFileSize) {
  for (std::size_t size : {1460u, 1461u}) {
    std::string bytes = Pattern(size);
    std::string name = "f";
    auto path = dir.path(name += std::to_string(size)).string();
    WriteBytes(path, bytes);
    std::vector<std::uint16_t> lengths;
    std::string data;
    {
      ScriptedPeer peer(Collect(lengths, data));
      ASSERT_TRUE(SendFile(peer.client(), path, static_cast<std::uint32_t>(size), output));
    }
    EXPECT_EQ(data, bytes);
    auto expected = size == 1460 ? std::vector<std::uint16_t>{1460}
                                 : std::vector<std::uint16_t>{1460, 1};
    EXPECT_EQ(lengths, expected);
  }
  std::string out = Output();
  EXPECT_EQ(out.find("Sending file: " + dir.path("f1460").string() + " (1K in size)\n" +
                     ProgressLine(0, 1460) + ProgressLine(0, 1460) + ProgressLine(1460, 1460) +
                     "\n\n"),
            0u)
      << out;
}

TEST_F(TransferTest, UploadToAPeerThatClosesEnds) {
  auto path = dir.path("big.bin").string();
  WriteBytes(path, Pattern(4 << 20));
  ScriptedPeer peer([](PeerEnd& p) {
    std::uint16_t length;
    std::string payload;
    p.ReadBlock(length, payload);
    p.Close();
  });
  EXPECT_FALSE(SendFile(peer.client(), path, 4 << 20, output));
  std::string out = Output();
  EXPECT_NE(out.find("\n\nConnection with server was broken, file not uploaded.\n\n"),
            std::string::npos);
}

TEST_F(TransferTest, UploadOfAFileThatShrank) {
  auto path = dir.path("short.bin").string();
  WriteBytes(path, Pattern(100));
  std::vector<std::uint16_t> lengths;
  std::string data;
  ScriptedPeer peer(Collect(lengths, data));
  output.silent = true;
  EXPECT_FALSE(SendFile(peer.client(), path, 3000, output));
  EXPECT_EQ(Output(), "Unable to read from " + path + "\n\n");
}

TEST_F(TransferTest, TextUploadSendsTheConvertedText) {
  auto path = dir.path("login.html").string();
  std::string text;
  for (int i = 0; i < 600; ++i) text += "<p>line</p>\r\n";
  WriteBytes(path, text);
  std::string converted;
  auto length = PrepareUpload(path, &converted);
  ASSERT_TRUE(length.has_value());
  EXPECT_EQ(*length, 600u * 12);
  std::vector<std::uint16_t> lengths;
  std::string data;
  {
    ScriptedPeer peer(Collect(lengths, data));
    ASSERT_TRUE(SendText(peer.client(), path, converted, output));
  }
  EXPECT_EQ(data.find('\r'), std::string::npos);
  EXPECT_EQ(data.size(), 7200u);
  EXPECT_EQ(lengths, (std::vector<std::uint16_t>{1460, 1460, 1460, 1460, 1360}));
  EXPECT_EQ(Output().find("Sending file: " + path + " (7K in size)\n"), 0u);
}

TEST_F(TransferTest, EmptyTextSendsNothing) {
  std::vector<std::uint16_t> lengths;
  std::string data;
  {
    ScriptedPeer peer(Collect(lengths, data));
    output.silent = true;
    EXPECT_TRUE(SendText(peer.client(), "none.txt", "", output));
  }
  EXPECT_TRUE(lengths.empty());
  EXPECT_EQ(Output(), "");
}

TEST_F(TransferTest, PrepareUploadChecks) {
  EXPECT_FALSE(PrepareUpload(dir.path("gone.bin").string(), nullptr).has_value());
  auto big = dir.path("huge.bin");
  WriteBytes(big, "");
  std::filesystem::resize_file(big, kMaxUploadSize + 1);
  EXPECT_FALSE(PrepareUpload(big.string(), nullptr).has_value());
  std::filesystem::resize_file(big, kMaxUploadSize);
  EXPECT_EQ(PrepareUpload(big.string(), nullptr), kMaxUploadSize);
  EXPECT_EQ(Output(), "File " + dir.path("gone.bin").string() + " does not exist.\n" + "File " +
                          big.string() +
                          " is too large to upload (4294967296 bytes; the largest is "
                          "4294967295).\n");
}

// Many blocks go out in one send and may come in pieces of any size: the
// other end sees the same blocks, whether it takes them one by one or in
// odd-sized pieces, and velkor takes blocks sent in odd pieces as they were.
TEST_F(TransferTest, BlocksInBatchesArriveAsTheSameBlocks) {
  const std::string data = Pattern(200 * 1460 + 77);  // several sends of 44 blocks
  const std::string path = dir.path("big.dat").string();
  WriteBytes(path, data);
  for (std::size_t piece : {std::size_t{0}, std::size_t{997}}) {
    std::string payloads;
    std::vector<std::uint16_t> lengths;
    ScriptedPeer peer([&](PeerEnd& server) {
      std::vector<std::uint8_t> stream;
      std::size_t want = 201 * kDataBlockSize;
      while (stream.size() < want) {
        std::vector<std::uint8_t> got =
            server.ReadUpTo(piece == 0 ? kDataBlockSize : std::min(piece, want - stream.size()));
        if (got.empty()) break;
        stream.insert(stream.end(), got.begin(), got.end());
      }
      for (std::size_t at = 0; at + kDataBlockSize <= stream.size(); at += kDataBlockSize) {
        lengths.push_back(BlockLength(stream.data() + at));
        payloads.append(reinterpret_cast<const char*>(stream.data()) + at + 2, lengths.back());
      }
    });
    ASSERT_TRUE(SendFile(peer.client(), path, static_cast<std::uint32_t>(data.size()), output));
    peer.Join();
    EXPECT_EQ(payloads, data) << piece;
    ASSERT_EQ(lengths.size(), 201u) << piece;
    EXPECT_EQ(lengths.back(), 77);
  }

  ScriptedPeer odd([&](PeerEnd& server) {
    server.SendReply(kStatusOk, static_cast<std::uint32_t>(data.size()));
    std::string stream;
    for (std::size_t at = 0; at < data.size(); at += kBlockPayloadSize) {
      std::string payload = data.substr(at, kBlockPayloadSize);
      auto block = EncodeBlock(std::span(reinterpret_cast<const std::uint8_t*>(payload.data()),
                                         payload.size()));
      stream.append(reinterpret_cast<const char*>(block.data()), block.size());
    }
    for (std::size_t at = 0; at < stream.size(); at += 1001) {
      std::string_view piece = std::string_view(stream).substr(at, 1001);
      server.Write(piece.data(), piece.size());
    }
  });
  ASSERT_TRUE(odd.client().ReadReply());
  const std::string back = dir.path("back.dat").string();
  ASSERT_TRUE(ReceiveAndCommit(odd.client(), back, output));
  EXPECT_EQ(ReadBytes(back), data);
}

}  // namespace
}  // namespace velkor
