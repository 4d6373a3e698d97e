// The files zorvin-sim writes (--trace, --vcd, --serial-out): never a file
// the run reads or another output of the same run; written beside and put
// in place at the end, so that a failed write leaves the old file as it
// was; a failure says why and fails the run with one exit status.
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>

#include "files/streamed_file.h"
#include "sim_cli.h"

namespace zorvin::sim::test {
namespace {

namespace fs = std::filesystem;

constexpr const char* kLoop = "loop:   cpl a\n        outl p1,a\n        jmp loop\n";

// Files in the folder besides the test's own.
std::vector<std::string> leftovers(const fs::path& dir, std::initializer_list<const char*> known) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(dir)) {
    const std::string name = entry.path().filename().string();
    if (name == "stderr.txt" || std::find(known.begin(), known.end(), name) != known.end()) continue;
    names.push_back(name);
  }
  return names;
}

class Outputs : public SimCliTest {};

TEST_F(Outputs, NeverReplaceAFileTheRunReads) {
  write("prog.asm", kLoop);
  write("main.asm", " cpu 8048\n include \"defs.inc\"\nloop: jmp loop\n");
  write("defs.inc", "VALUE equ 5\n");
  write("prog.bin", std::string("\x04\x00", 2));
  write("stim.txt", "10 T0 0\n");
  ASSERT_EQ(symlink("prog.asm", (dir_ / "link.asm").c_str()), 0);
  ASSERT_EQ(link((dir_ / "stim.txt").c_str(), (dir_ / "hard.txt").c_str()), 0);
  const struct {
    const char* arguments;
    const char* error;
  } cases[] = {
      {"prog.asm --trace prog.asm", "--trace prog.asm würde das Programm überschreiben"},
      {"prog.asm --vcd link.asm", "--vcd link.asm würde das Programm überschreiben"},
      {"prog.bin --steps 5 --trace ./prog.bin", "--trace ./prog.bin würde das Programm überschreiben"},
      {"prog.asm --stim stim.txt --vcd stim.txt", "--vcd stim.txt würde die gelesene Datei stim.txt überschreiben"},
      {"prog.asm --stim stim.txt --trace hard.txt", "--trace hard.txt würde die gelesene Datei stim.txt überschreiben"},
      {"main.asm --serial TX=P1.0,RX=T0 --serial-out defs.inc", "--serial-out defs.inc würde die gelesene Datei"},
      {"prog.asm --profile link.asm", "--profile link.asm würde das Programm überschreiben"},
      {"main.asm --profile defs.inc", "--profile defs.inc würde die gelesene Datei"},
  };
  for (const auto& c : cases) {
    const Outcome run = sim(c.arguments);
    EXPECT_EQ(run.status, 2) << c.arguments;
    EXPECT_NE(run.err.find(std::string("zorvin-sim: ") + c.error), std::string::npos) << c.arguments << "\n" << run.err;
  }
  EXPECT_EQ(read("prog.asm"), kLoop);
  EXPECT_EQ(read("stim.txt"), "10 T0 0\n");
  EXPECT_EQ(read("defs.inc"), "VALUE equ 5\n");
  EXPECT_EQ(read("prog.bin"), std::string("\x04\x00", 2));
}

TEST_F(Outputs, TwoOutputsOnOneFileAreRefused) {
  write("prog.asm", kLoop);
  ASSERT_EQ(symlink("later.txt", (dir_ / "dangling.txt").c_str()), 0);
  const struct {
    const char* arguments;
    const char* error;
  } cases[] = {
      {"--vcd x --trace x", "--trace x und --vcd x wären dieselbe Datei"},
      {"--trace out.txt --serial TX=P1.0,RX=T0 --serial-out ./out.txt",
       "--trace out.txt und --serial-out ./out.txt wären dieselbe Datei"},
      {"--trace out.txt --profile ./out.txt", "--trace out.txt und --profile ./out.txt wären dieselbe Datei"},
      {"--vcd dangling.txt --trace later.txt", "--trace later.txt und --vcd dangling.txt wären dieselbe Datei"},
  };
  for (const auto& c : cases) {
    const Outcome run = sim(std::string("prog.asm --steps 10 ") + c.arguments);
    EXPECT_EQ(run.status, 2) << c.arguments;
    EXPECT_NE(run.err.find(std::string("zorvin-sim: ") + c.error), std::string::npos) << c.arguments << "\n" << run.err;
  }
  EXPECT_EQ(leftovers(dir_, {"prog.asm", "dangling.txt"}), std::vector<std::string>{});
  // Different files are fine.
  EXPECT_EQ(sim("prog.asm --steps 10 --vcd x.vcd --trace x.txt").status, 0);
}

TEST_F(Outputs, AnOutputThatCannotBeWrittenSaysWhyAndFailsWith1) {
  write("prog.asm", kLoop);
  fs::create_directory(dir_ / "folder");
  ASSERT_EQ(mkfifo((dir_ / "pipe").c_str(), 0600), 0);
  const struct {
    const char* arguments;
    const char* error;
  } cases[] = {
      {"--vcd missing/w.vcd", "zorvin-sim: missing/w.vcd kann nicht geschrieben werden: Datei oder Ordner nicht gefunden"},
      {"--trace folder", "zorvin-sim: folder kann nicht geschrieben werden: "},
      {"--trace pipe", "zorvin-sim: pipe kann nicht geschrieben werden: keine normale Datei"},
  };
  for (const auto& c : cases) {
    const Outcome run = sim(std::string("prog.asm --steps 10 ") + c.arguments);
    EXPECT_EQ(run.status, 1) << c.arguments;
    EXPECT_TRUE(run.err.starts_with(c.error)) << c.arguments << "\n" << run.err;
    EXPECT_EQ(run.out, "") << "the run does not start: " << c.arguments;
  }
  EXPECT_TRUE(fs::is_fifo(dir_ / "pipe"));
}

TEST_F(Outputs, AFailedWriteLeavesTheOldFileAsItWas) {
  // A file size limit stands in for a full disk: the trace of 5000 steps
  // does not fit into 16 KiB.
  write("prog.asm", kLoop);
  write("trace.txt", "the old trace\n");
  const Outcome run = sim("prog.asm --steps 5000 --trace trace.txt", "trap '' XFSZ; ulimit -f 16;");
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.err.find("zorvin-sim: trace.txt kann nicht geschrieben werden: Datei zu groß"), std::string::npos)
      << run.err;
  EXPECT_EQ(read("trace.txt"), "the old trace\n");
  EXPECT_EQ(leftovers(dir_, {"prog.asm", "trace.txt"}), std::vector<std::string>{});
  // The same run without the limit replaces it.
  ASSERT_EQ(sim("prog.asm --steps 5000 --trace trace.txt").status, 0);
  EXPECT_TRUE(read("trace.txt").starts_with("         0 000 37")) << read("trace.txt").substr(0, 80);
}

class StreamedFileTest : public SimCliTest {
 protected:
  std::string path(const char* name) const { return (dir_ / name).string(); }
};

TEST_F(StreamedFileTest, TheOldFileStaysUntilTheCommit) {
  write("out.txt", "old");
  ASSERT_EQ(chmod(path("out.txt").c_str(), 0640), 0);
  files::StreamedFile file;
  ASSERT_TRUE(file.open(path("out.txt"))) << file.error();
  std::fputs("new text", file.file());
  std::fflush(file.file());
  EXPECT_EQ(read("out.txt"), "old");
  ASSERT_TRUE(file.commit()) << file.error();
  EXPECT_EQ(read("out.txt"), "new text");
  struct stat info {};
  ASSERT_EQ(stat(path("out.txt").c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 07777, 0640u);
  EXPECT_EQ(leftovers(dir_, {"out.txt"}), std::vector<std::string>{});
}

TEST_F(StreamedFileTest, LinksStayWhatTheyAre) {
  write("real.txt", "old");
  ASSERT_EQ(symlink("real.txt", path("soft.txt").c_str()), 0);
  ASSERT_EQ(link(path("real.txt").c_str(), path("hard.txt").c_str()), 0);
  for (const char* name : {"soft.txt", "hard.txt"}) {
    files::StreamedFile file;
    ASSERT_TRUE(file.open(path(name))) << name << ": " << file.error();
    std::fprintf(file.file(), "via %s", name);
    ASSERT_TRUE(file.commit()) << name << ": " << file.error();
    // Every name of the file sees the new text.
    EXPECT_EQ(read("real.txt"), std::string("via ") + name);
    EXPECT_EQ(read("soft.txt"), std::string("via ") + name);
    EXPECT_EQ(read("hard.txt"), std::string("via ") + name);
  }
  EXPECT_TRUE(fs::is_symlink(dir_ / "soft.txt"));
}

}  // namespace
}  // namespace zorvin::sim::test
