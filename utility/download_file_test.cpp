#include "download_file.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <thread>

#include "test_peer.h"

namespace velkor {
namespace {

using testing::ReadBytes;
using testing::ScratchFolder;
using testing::WriteBytes;

bool WriteText(DownloadFile& file, const std::string& text) {
  return file.Write(reinterpret_cast<const std::uint8_t*>(text.data()), text.size());
}

mode_t ModeOf(const std::string& path) {
  struct stat st {};
  EXPECT_EQ(stat(path.c_str(), &st), 0);
  return st.st_mode & 07777;
}

TEST(DownloadFile, ReplacesTheTargetOnlyOnCommit) {
  ScratchFolder dir;
  std::string target = dir.path("backup.cfg").string();
  WriteBytes(target, "earlier");
  {
    DownloadFile file(target);
    ASSERT_TRUE(file.Open());
    EXPECT_EQ(file.temporaryPath().find(dir.path("").string()), 0u);  // same folder
    ASSERT_TRUE(file.Write(reinterpret_cast<const std::uint8_t*>("partial"), 7));
    EXPECT_EQ(ReadBytes(target), "earlier");
  }  // dropped uncommitted
  EXPECT_EQ(ReadBytes(target), "earlier");
  EXPECT_EQ(dir.Names(), std::vector<std::string>{"backup.cfg"});

  DownloadFile file(target);
  ASSERT_TRUE(file.Open());
  ASSERT_TRUE(file.Write(reinterpret_cast<const std::uint8_t*>("newer"), 5));
  ASSERT_TRUE(file.Commit());
  EXPECT_EQ(ReadBytes(target), "newer");
  EXPECT_EQ(dir.Names(), std::vector<std::string>{"backup.cfg"});
}

TEST(DownloadFile, FailsWithoutLeavingAnything) {
  ScratchFolder dir;
  DownloadFile missingFolder(dir.path("no/such/folder.cfg").string());
  EXPECT_FALSE(missingFolder.Open());

  // A folder is no regular file: it is opened in place, which fails.
  std::filesystem::create_directory(dir.path("taken"));
  DownloadFile ontoFolder(dir.path("taken").string());
  EXPECT_FALSE(ontoFolder.Open());
  EXPECT_EQ(dir.Names(), std::vector<std::string>{"taken"});
}

TEST(DownloadFile, KeepsThePermissionsOfTheEarlierFile) {
  ScratchFolder dir;
  std::string target = dir.path("secrets.cfg").string();
  WriteBytes(target, "old");
  ASSERT_EQ(chmod(target.c_str(), 0600), 0);
  DownloadFile file(target);
  ASSERT_TRUE(file.Open());
  EXPECT_EQ(ModeOf(file.temporaryPath()), 0600u);  // before any data are in it
  ASSERT_TRUE(WriteText(file, "new"));
  ASSERT_TRUE(file.Commit());
  EXPECT_EQ(ReadBytes(target), "new");
  EXPECT_EQ(ModeOf(target), 0600u);

  // A new file gets the mode the umask leaves.
  mode_t mask = umask(022);
  DownloadFile fresh(dir.path("fresh.cfg").string());
  ASSERT_TRUE(fresh.Open());
  ASSERT_TRUE(fresh.Commit());
  umask(mask);
  EXPECT_EQ(ModeOf(dir.path("fresh.cfg").string()), 0644u);
}

TEST(DownloadFile, ReplacesTheFileALinkNamesAndKeepsTheLink) {
  ScratchFolder dir;
  std::filesystem::create_directory(dir.path("kept"));
  std::string real = dir.path("kept/unit.cfg").string();
  WriteBytes(real, "old");
  std::string link = dir.path("current.cfg").string();
  std::filesystem::create_symlink("kept/unit.cfg", link);  // relative to the link's folder

  DownloadFile file(link);
  ASSERT_TRUE(file.Open());
  EXPECT_EQ(file.destination(), dir.path("").string() + "kept/unit.cfg");
  EXPECT_EQ(file.temporaryPath().find(dir.path("kept").string()), 0u);  // beside the real file
  ASSERT_TRUE(WriteText(file, "new"));
  ASSERT_TRUE(file.Commit());
  EXPECT_TRUE(std::filesystem::is_symlink(link));
  EXPECT_EQ(ReadBytes(real), "new");
  EXPECT_EQ(dir.Names(), (std::vector<std::string>{"current.cfg", "kept"}));

  // A link to a file that does not exist yet makes that file.
  std::filesystem::create_symlink("kept/later.cfg", dir.path("later.cfg"));
  DownloadFile later(dir.path("later.cfg").string());
  ASSERT_TRUE(later.Open());
  ASSERT_TRUE(WriteText(later, "made"));
  ASSERT_TRUE(later.Commit());
  EXPECT_TRUE(std::filesystem::is_symlink(dir.path("later.cfg")));
  EXPECT_EQ(ReadBytes(dir.path("kept/later.cfg")), "made");
}

TEST(DownloadFile, ANamedPipeIsWrittenInPlace) {
  ScratchFolder dir;
  std::string pipe = dir.path("stream").string();
  ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
  std::string read;
  std::thread reader([&] {
    int fd = open(pipe.c_str(), O_RDONLY);
    char buffer[4096];
    ssize_t n;
    while ((n = ::read(fd, buffer, sizeof buffer)) > 0) read.append(buffer, static_cast<std::size_t>(n));
    close(fd);
  });
  {
    DownloadFile file(pipe);
    ASSERT_TRUE(file.Open());
    EXPECT_EQ(file.temporaryPath(), "");
    std::string data(100000, 'p');
    ASSERT_TRUE(WriteText(file, data));
    ASSERT_TRUE(file.Commit());
  }
  reader.join();
  EXPECT_EQ(read, std::string(100000, 'p'));
  struct stat st {};
  ASSERT_EQ(lstat(pipe.c_str(), &st), 0);
  EXPECT_TRUE(S_ISFIFO(st.st_mode));
  EXPECT_EQ(dir.Names(), std::vector<std::string>{"stream"});
}

TEST(DownloadFile, AWriteErrorOnAPipeIsAFailure) {
  ScratchFolder dir;
  std::string pipe = dir.path("stream").string();
  ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
  std::thread reader([&] {
    int fd = open(pipe.c_str(), O_RDONLY);
    close(fd);  // the reader goes away at once
  });
  struct sigaction ignore {}, previous {};
  ignore.sa_handler = SIG_IGN;
  sigaction(SIGPIPE, &ignore, &previous);
  DownloadFile file(pipe);
  ASSERT_TRUE(file.Open());
  reader.join();
  bool written = WriteText(file, std::string(1 << 20, 'p'));
  bool committed = written && file.Commit();
  sigaction(SIGPIPE, &previous, nullptr);
  EXPECT_FALSE(committed);
  struct stat st {};
  ASSERT_EQ(lstat(pipe.c_str(), &st), 0);
  EXPECT_TRUE(S_ISFIFO(st.st_mode));
}

}  // namespace
}  // namespace velkor
