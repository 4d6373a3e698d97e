#include <gtest/gtest.h>

#include <sys/stat.h>

#include "settings/ini_store.h"
#include "settings_test_files.h"

namespace zorvin::settings {
namespace {

using testing::read_file;
using testing::TempDir;
using testing::write_file;

constexpr const char* kMark = "\xEF\xBB\xBF\n";

TEST(IniStore, LooksUpKeysOnlyInsideTheSelectedGroup) {
  TempDir dir;
  const std::string path = dir.file("a.ini");
  write_file(path, "top=1\n[G]\n;c\nk=2\nnum=\n[h]\nk=3\n[G]\nlater=4\n");
  IniStore ini;
  ASSERT_TRUE(ini.open(path));
  EXPECT_TRUE(ini.select_group(""));
  EXPECT_EQ(ini.read_integer("TOP", 9), 1);
  EXPECT_EQ(ini.read_integer("k", 9), 9);
  EXPECT_TRUE(ini.select_group("g"));
  EXPECT_EQ(ini.read_integer("K", 9), 2);
  EXPECT_EQ(ini.read_integer("num", 9), 0);  // present but without digits
  EXPECT_EQ(ini.read_integer("later", 9), 9);  // only the first group of a name counts
  EXPECT_TRUE(ini.select_group("H"));
  EXPECT_EQ(ini.read_text("k", "x"), "3");
  EXPECT_FALSE(ini.select_group("Missing"));
  EXPECT_EQ(ini.read_text("k", "fallback"), "fallback");
  EXPECT_FALSE(ini.select_group("\u00C4"));  // only ASCII letters fold
  EXPECT_FALSE(ini.select_group("G "));
}

TEST(IniStore, WritesFollowTheInsertionRules) {
  TempDir dir;
  const std::string path = dir.file("a.ini");
  write_file(path, "[one]\nA=1\n;tail\n[two]\nB=2\n");
  {
    IniStore ini;
    ASSERT_TRUE(ini.open(path));
    ini.select_group("ONE");
    ini.write_integer("a", -5);      // found: value and spelling replaced
    ini.write_text("New", "v");      // not found: before the next group
    ini.select_group("Three");
    ini.write_integer("C", 3);       // missing group: appended at the end
    ini.write_integer("D", 4);
    ini.select_group("");
    ini.write_text("Top", "t");      // no group: before the first group
    ini.close();
  }
  EXPECT_EQ(read_file(path), std::string(kMark) +
                                 "Top = t\n[one]\na = -5\n;tail\nNew = v\n[two]\nB=2\n"
                                 "[Three]\nC = 3\nD = 4\n");
}

TEST(IniStore, WritesBackOnlyAfterAChange) {
  TempDir dir;
  const std::string path = dir.file("a.ini");
  write_file(path, "[G]\r\nk=1\r\n");
  {
    IniStore ini;
    ASSERT_TRUE(ini.open(path));
    ini.select_group("G");
    EXPECT_EQ(ini.read_integer("k", 0), 1);
  }
  EXPECT_EQ(read_file(path), "[G]\r\nk=1\r\n");
  // A created file is written even when nothing was put into it.
  const std::string created = dir.file("new.ini");
  {
    IniStore ini;
    ASSERT_TRUE(ini.create(created));
    ASSERT_TRUE(ini.open(path));  // opening another closes the first
    EXPECT_EQ(read_file(created), kMark);
  }
}

TEST(IniStore, RefusesWhatIsNotAReadableFile) {
  TempDir dir;
  IniStore ini;
  EXPECT_FALSE(ini.open(dir.file("missing.ini")));
  EXPECT_FALSE(ini.open(dir.path()));
  EXPECT_FALSE(ini.create(dir.path()));
  const std::string fifo = dir.file("fifo.ini");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  EXPECT_FALSE(ini.open(fifo));  // must not hang waiting for a writer
}

TEST(IniStore, TextReadsAreTrimmedValidUtf8) {
  TempDir dir;
  const std::string path = dir.file("a.ini");
  write_file(path, "\xEF\xBB\xBFk=\t a\xFF b \t\n");
  IniStore ini;
  ASSERT_TRUE(ini.open(path));
  EXPECT_EQ(ini.read_text("k", ""), "a\uFFFD b");
}

}  // namespace
}  // namespace zorvin::settings
