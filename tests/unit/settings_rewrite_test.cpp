#include <gtest/gtest.h>

#include <csignal>
#include <iterator>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include "settings/settings.h"
#include "settings_test_files.h"

namespace zorvin::settings {
namespace {

using testing::read_file;
using testing::TempDir;
using testing::round_trip;
using testing::write_file;

// Longer than anything the save below writes, so a missing truncation shows.
const std::string kHandWritten =
    "[Emulator]\nCOM=/dev/ttyUSB0\n; " + std::string(600, 'x') + "\n[Speicher]\nWert=255\n";

struct stat status_of(const std::string& path, bool follow = true) {
  struct stat info {};
  EXPECT_EQ(follow ? ::stat(path.c_str(), &info) : ::lstat(path.c_str(), &info), 0) << path;
  return info;
}

TEST(SettingsRewrite, ReplacementKeepsPermissionsAndOwner) {
  TempDir dir;
  const std::string path = dir.file("zorvin.ini");
  const mode_t mask = ::umask(022);
  ::umask(mask);
  Settings settings;
  load_or_create_settings(settings, path);
  EXPECT_EQ(status_of(path).st_mode & 07777, 0666 & ~mask);  // as any newly made file

  ASSERT_EQ(::chmod(path.c_str(), 0640), 0);
  const bool can_chown = ::chown(path.c_str(), 4321, 4322) == 0;
  const ino_t old_inode = status_of(path).st_ino;
  settings.splitter_vertical = 123;
  save_settings(settings, path);

  const struct stat after = status_of(path);
  EXPECT_NE(after.st_ino, old_inode);  // a new file took the old one's place
  EXPECT_EQ(after.st_mode & 07777, 0640u);
  if (can_chown) {
    EXPECT_EQ(after.st_uid, 4321u);
    EXPECT_EQ(after.st_gid, 4322u);
  }
  EXPECT_NE(read_file(path).find("Vertikal = 123\n"), std::string::npos);
  EXPECT_EQ(dir.names(), std::set<std::string>{"zorvin.ini"});  // no temporary file left
}

TEST(SettingsRewrite, SymbolicLinkSurvivesAndItsTargetIsReplaced) {
  TempDir dir;
  ASSERT_TRUE(std::filesystem::create_directory(dir.file("real")));
  const std::string target = dir.file("real/settings.ini");
  const std::string link = dir.file("zorvin.ini");
  write_file(target, kHandWritten);
  ASSERT_EQ(::symlink("real/settings.ini", link.c_str()), 0);

  Settings settings;
  load_settings(settings, link);
  save_settings(settings, link);

  EXPECT_TRUE(S_ISLNK(status_of(link, false).st_mode));
  EXPECT_EQ(read_file(target), round_trip(kHandWritten));  // cut to the new length
  EXPECT_EQ(dir.names(), (std::set<std::string>{"real", "zorvin.ini"}));
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.file("real")), {}), 1) << "temporary file left";
}

TEST(SettingsRewrite, HardLinkedFileStaysShared) {
  TempDir dir;
  const std::string path = dir.file("zorvin.ini");
  const std::string other = dir.file("copy.ini");
  write_file(path, kHandWritten);
  ASSERT_EQ(::link(path.c_str(), other.c_str()), 0);
  Settings settings;
  load_settings(settings, path);
  save_settings(settings, path);
  EXPECT_EQ(read_file(other), round_trip(kHandWritten));
  EXPECT_EQ(read_file(path), read_file(other));
}

// Lets writes beyond `bytes` fail with EFBIG instead of killing the process.
class FileSizeLimit {
 public:
  explicit FileSizeLimit(rlim_t bytes) {
    ::getrlimit(RLIMIT_FSIZE, &old_limit_);
    old_handler_ = std::signal(SIGXFSZ, SIG_IGN);
    rlimit limit = old_limit_;
    limit.rlim_cur = bytes;
    ::setrlimit(RLIMIT_FSIZE, &limit);
  }
  ~FileSizeLimit() {
    ::setrlimit(RLIMIT_FSIZE, &old_limit_);
    std::signal(SIGXFSZ, old_handler_);
  }

 private:
  rlimit old_limit_{};
  void (*old_handler_)(int) = nullptr;
};

TEST(SettingsRewrite, OldFileStaysWholeWhenTheNewTextCannotBeWritten) {
  TempDir dir;
  const std::string path = dir.file("zorvin.ini");
  write_file(path, kHandWritten);
  Settings settings;
  load_settings(settings, path);
  settings.port_name = "/dev/ttyUSB3";
  {
    const FileSizeLimit limit(32);
    save_settings(settings, path);
  }
  EXPECT_EQ(read_file(path), kHandWritten);
  EXPECT_EQ(dir.names(), std::set<std::string>{"zorvin.ini"});
}

// Permission bits do not stop root, so these cases need an ordinary user.
TEST(SettingsRewrite, ReadOnlyDirectoryAndReadOnlyFile) {
  if (::geteuid() == 0) GTEST_SKIP() << "permission bits do not apply to root";
  TempDir dir;
  const std::string path = dir.file("zorvin.ini");
  write_file(path, kHandWritten);
  Settings settings;
  load_settings(settings, path);

  // No temporary file can be made beside it: the file is rewritten in place.
  ASSERT_EQ(::chmod(dir.path().c_str(), 0555), 0);
  save_settings(settings, path);
  ASSERT_EQ(::chmod(dir.path().c_str(), 0755), 0);
  EXPECT_EQ(read_file(path), round_trip(kHandWritten));

  // A file the user made read-only is read but never replaced.
  write_file(path, kHandWritten);
  ASSERT_EQ(::chmod(path.c_str(), 0444), 0);
  Settings from_read_only;
  load_settings(from_read_only, path);
  EXPECT_EQ(from_read_only.fill_byte, 0xFF);
  save_settings(from_read_only, path);
  EXPECT_EQ(read_file(path), kHandWritten);
}

}  // namespace
}  // namespace zorvin::settings
