#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "asm/assembler.h"
#include "files/example_source.h"
#include "output/output_writer.h"
#include "files/source_file.h"

namespace zorvin::files {
namespace {

class SourceFile : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/zorvin-src-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    dir_ = pattern;
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }
  std::string path(const std::string& name) const { return dir_ + "/" + name; }
  void write(const std::string& name, const std::string& bytes) const {
    std::ofstream(path(name), std::ios::binary) << bytes;
  }
  std::string read(const std::string& name) const {
    std::ifstream in(path(name), std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
  }
  std::string dir_;
};

TEST_F(SourceFile, LoadKeepsLineEndsAndStopsAtZeroByte) {
  write("crlf.asm", std::string("nop\r\n\xE4\r\nx\0rest", 13));
  const LoadedSource loaded = read_source_file(path("crlf.asm"));
  ASSERT_TRUE(loaded.ok);
  EXPECT_EQ(loaded.text, "nop\r\n\u00E4\r\nx");
  EXPECT_EQ(loaded.size, 13u) << "the message states the whole size on disk";
  EXPECT_TRUE(loaded.cut_at_zero);
  EXPECT_EQ(loaded.bytes_not_loaded, 4u) << "the 00H byte and the three after it";
  write("empty.asm", "");
  const LoadedSource empty = read_source_file(path("empty.asm"));
  EXPECT_TRUE(empty.ok);
  EXPECT_EQ(empty.text, "");
  EXPECT_FALSE(empty.cut_at_zero);
}

TEST_F(SourceFile, LoadRefusesWhatIsNotARegularFile) {
  EXPECT_FALSE(read_source_file(path("missing.asm")).ok);
  EXPECT_FALSE(read_source_file(dir_).ok);
  ASSERT_EQ(mkfifo(path("fifo").c_str(), 0600), 0);
  const LoadedSource fifo = read_source_file(path("fifo"));  // must not block
  EXPECT_FALSE(fifo.ok);
  EXPECT_FALSE(fifo.error.empty());
}

// A file over the usual size is not refused for good: the load says it is
// large, and a load the user agreed to reads it whole.
TEST_F(SourceFile, LargeFileIsAskedAboutAndThenLoaded) {
  const struct {
    std::uintmax_t size;
    bool ok, large, ok_when_allowed;
  } cases[] = {
      {kMaxSourceBytes, true, false, true},
      {kMaxSourceBytes + 1, false, true, true},
      {6 * 1024 * 1024, false, true, true},
  };
  for (const auto& c : cases) {
    write("big.asm", std::string(c.size, 'x'));
    const LoadedSource usual = read_source_file(path("big.asm"));
    EXPECT_EQ(usual.ok, c.ok) << c.size;
    EXPECT_EQ(usual.large, c.large) << c.size;
    const LoadedSource agreed = read_source_file(path("big.asm"), true);
    EXPECT_EQ(agreed.ok, c.ok_when_allowed) << c.size;
    EXPECT_EQ(agreed.text.size(), c.size);
    EXPECT_FALSE(agreed.large);
  }
  // What the editor saves, it loads again.
  const std::string pasted(3 * 1024 * 1024 + 5, 'y');
  ASSERT_TRUE(write_source_file(path("pasted.asm"), pasted).ok);
  EXPECT_TRUE(read_source_file(path("pasted.asm")).large);
  EXPECT_EQ(read_source_file(path("pasted.asm"), true).text, pasted);
  EXPECT_FALSE(read_source_file(path("missing.asm")).large) << "only size makes a file large";
}

TEST_F(SourceFile, SaveWritesEightBitTextAndCountsWhatItDrops) {
  const SavedSource saved = write_source_file(path("a.asm"), "\u00E4 \u20AC\r\n");
  ASSERT_TRUE(saved.ok);
  EXPECT_EQ(read("a.asm"), "\xE4 \r\n");
  EXPECT_EQ(saved.size, 4u);
  EXPECT_EQ(saved.dropped, 1u);
  // UTF-8 bytes loaded as Latin-1 go back unchanged.
  write("utf8.asm", "\xC3\xA4\n");
  ASSERT_TRUE(write_source_file(path("utf8.asm"), read_source_file(path("utf8.asm")).text).ok);
  EXPECT_EQ(read("utf8.asm"), "\xC3\xA4\n");
  EXPECT_TRUE(write_source_file(path("empty"), "").ok);
  EXPECT_EQ(std::filesystem::file_size(path("empty")), 0u);
}

TEST_F(SourceFile, SaveKeepsPermissionsAndNeverHalfWrites) {
  write("keep.asm", "old content\n");
  ASSERT_EQ(chmod(path("keep.asm").c_str(), 0640), 0);
  ASSERT_TRUE(write_source_file(path("keep.asm"), "new\n").ok);
  struct stat info {};
  ASSERT_EQ(stat(path("keep.asm").c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0640u);

  // A full disk, simulated by a file size limit: the old text survives and
  // the save reports failure.
  signal(SIGXFSZ, SIG_IGN);
  rlimit old_limit{};
  getrlimit(RLIMIT_FSIZE, &old_limit);
  rlimit small = old_limit;
  small.rlim_cur = 8;
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  const SavedSource full = write_source_file(path("keep.asm"), std::string(100, 'x'));
  setrlimit(RLIMIT_FSIZE, &old_limit);
  EXPECT_FALSE(full.ok);
  EXPECT_FALSE(full.error.empty());
  EXPECT_EQ(read("keep.asm"), "new\n");
  for (const auto& entry : std::filesystem::directory_iterator(dir_))
    EXPECT_EQ(entry.path().filename().string().find("keep.asm."), std::string::npos) << "temporary file left";

  EXPECT_FALSE(write_source_file(path("no/such/dir.asm"), "x").ok);
}

// A full disk leaves a linked file whole, not cut at its first page, and no
// half-written new file.
TEST_F(SourceFile, LinkedSourcesStayWholeOnAFullDisk) {
  const std::string old_text(6000, 'o');
  write("real.asm", old_text);
  ASSERT_EQ(symlink("real.asm", path("sym.asm").c_str()), 0);
  ASSERT_EQ(link(path("real.asm").c_str(), path("hard.asm").c_str()), 0);
  signal(SIGXFSZ, SIG_IGN);
  rlimit old_limit{};
  getrlimit(RLIMIT_FSIZE, &old_limit);
  rlimit small = old_limit;
  small.rlim_cur = 8000;
  for (const char* name : {"sym.asm", "hard.asm", "new.asm"}) {
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    EXPECT_FALSE(write_source_file(path(name), std::string(10000, 'n')).ok) << name;
    setrlimit(RLIMIT_FSIZE, &old_limit);
    EXPECT_EQ(read("real.asm"), old_text) << name;
  }
  EXPECT_FALSE(std::filesystem::exists(path("new.asm")));
}

// UTF-8 after its byte-order mark: read as UTF-8 and written back so,
// byte for byte; without valid UTF-8 after the mark, 8-bit text as ever.
TEST_F(SourceFile, Utf8WithByteOrderMarkRoundTrips) {
  const struct {
    const char* name;
    std::string bytes;
    bool utf8;
    std::string text;
  } cases[] = {
      {"ascii", "\xEF\xBB\xBF nop\r\n", true, " nop\r\n"},
      {"umlaut and euro", "\xEF\xBB\xBF db '\xC3\xA4' ; \xE2\x82\xAC\n", true, " db '\u00E4' ; \u20AC\n"},
      {"mark alone", "\xEF\xBB\xBF", true, ""},
      {"not UTF-8 after the mark", "\xEF\xBB\xBF\xE4\n", false, "\u00EF\u00BB\u00BF\u00E4\n"},
      {"mark not at the start", " \xEF\xBB\xBF", false, " \u00EF\u00BB\u00BF"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    write("bom.asm", c.bytes);
    const LoadedSource loaded = read_source_file(path("bom.asm"));
    ASSERT_TRUE(loaded.ok);
    EXPECT_EQ(loaded.utf8_with_mark, c.utf8);
    EXPECT_EQ(loaded.text, c.text);
    EXPECT_EQ(loaded.size, c.bytes.size());
    ASSERT_TRUE(write_source_file(path("bom.asm"), loaded.text).ok);
    EXPECT_EQ(read("bom.asm"), c.bytes) << "saved over itself without a change";
  }
  // Saved under a new name, the caller says the form; nothing is dropped.
  const SavedSource saved = write_source_file(path("new.asm"), "\u20AC\n", true);
  ASSERT_TRUE(saved.ok);
  EXPECT_EQ(saved.dropped, 0u);
  EXPECT_EQ(read("new.asm"), "\xEF\xBB\xBF\xE2\x82\xAC\n");
}

TEST(ExampleSource, FortyTwoLinesThatAssembleToTheEighteenByteImage) {
  int calls = 0;
  const auto lines = example_source_lines([&] { return "0" + std::to_string(++calls) + ".12.2026"; }, "pi");
  ASSERT_EQ(lines.size(), 42u);
  EXPECT_EQ(lines[8], ";  erstellt am:     01.12.2026");
  EXPECT_EQ(lines[9], ";  geändert am:     02.12.2026") << "each line takes its own date";
  EXPECT_EQ(lines[10], ";  Autor:           pi");
  EXPECT_EQ(lines[0], ";" + std::string(60, '-'));
  EXPECT_EQ(lines[41], "END");
  std::string text;
  for (const auto& line : lines) text += (text.empty() ? "" : "\n") + line;
  asm48::Assembler assembler;
  ASSERT_TRUE(assembler.run(text).ok());
  const output::CodeImage image = output::build_image(assembler.table(), 0xFF);
  const std::vector<std::uint8_t> expected = {0x04, 0x0D, 0xFF, 0x04, 0x09, 0xFF, 0xFF, 0x04, 0x0B,
                                              0x00, 0x93, 0x00, 0x93, 0xC5, 0xE5, 0x00, 0x04, 0x0F};
  EXPECT_EQ(std::vector<std::uint8_t>(image.bytes.begin(), image.bytes.begin() + image.length), expected);
}

TEST(ExampleSource, DateTextHasTwoDigitDayAndMonth) {
  std::tm when{};
  when.tm_mday = 7;
  when.tm_mon = 11;
  when.tm_year = 126;
  EXPECT_EQ(date_text(when), "07.12.2026");
}

}  // namespace
}  // namespace zorvin::files
