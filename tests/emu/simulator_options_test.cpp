// zorvin-emusim's command line: wrong values named in German, and outputs
// that would overwrite its input or each other refused before anything runs.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "program_run.h"

namespace zorvin::emu {
namespace {

namespace fs = std::filesystem;
using testing::file_text;
using testing::ProgramRun;

class SimulatorOptions : public ::testing::Test {
 protected:
  void SetUp() override {
    dir = fs::temp_directory_path() / ("zorvin_emusim_options_" + std::to_string(::getpid()) + "_" +
                                       ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::create_directories(dir);
  }
  void TearDown() override { fs::remove_all(dir); }
  std::string path(const std::string& name) const { return (dir / name).string(); }
  ProgramRun emusim(std::vector<std::string> arguments) const {
    return testing::run_program(ZORVIN_EMUSIM, arguments, dir.string());
  }

  fs::path dir;
};

TEST_F(SimulatorOptions, AWrongValueIsNamedWithItsOption) {
  const std::string link = path("tty");
  struct Case {
    std::vector<std::string> arguments;
    std::string message;  // the first line on standard error
  };
  const std::vector<Case> cases = {
      {{"--link", link, "--spi", "2"}, "--spi erwartet 0 oder 1, nicht '2'"},
      {{"--link", link, "--auto", "ja"}, "--auto erwartet 0 oder 1, nicht 'ja'"},
      {{"--link", link, "--banner-delay", "-5"}, "--banner-delay erwartet Millisekunden (eine ganze Zahl ab 0), nicht '-5'"},
      {{"--link", link, "--latency", "16ms"}, "--latency erwartet Millisekunden (eine ganze Zahl ab 0), nicht '16ms'"},
      {{"--link", link, "--firmware", "new"}, "--firmware erwartet current oder old, nicht 'new'"},
      {{"--link", link, "--last-eprom", "2764"},
       "--last-eprom erwartet einen dieser Codes: 16, 32, 64, E64, 128, 256, E256, 512, nicht '2764'"},
      {{"--link", link, "--lose-byte", "0"}, "--lose-byte erwartet die Nummer eines Bytes (eine ganze Zahl ab 1), nicht '0'"},
      {{"--link", link, "--fast"}, "unbekannte Option '--fast'"},
      {{"--link", link, "extra"}, "unerwartetes Argument 'extra'"},
      {{"--link", link, "--dump"}, "--dump ohne Wert"},
      {{"--dump", path("dump.bin")}, "--link PFAD fehlt"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(c.arguments));
    const ProgramRun run = emusim(c.arguments);
    EXPECT_EQ(run.status, 2);
    EXPECT_TRUE(run.errors.starts_with("zorvin-emusim: " + c.message + "\nAufruf: zorvin-emusim --link PFAD"))
        << run.errors;
    EXPECT_FALSE(fs::exists(link));
  }
}

TEST_F(SimulatorOptions, OutputsNeverOverwriteTheBackupImageOrEachOther) {
  const std::string backup = path("backup.bin");
  const std::string content(300, '\x5A');
  std::ofstream(backup, std::ios::binary) << content;
  fs::create_hard_link(backup, path("hard.bin"));
  fs::create_symlink(backup, path("soft.bin"));
  const std::string link = path("tty");
  struct Case {
    std::vector<std::string> arguments;
    std::string message;
  };
  const std::string overwritten = " - sie würde überschrieben";
  const std::vector<Case> cases = {
      {{"--spi-image", backup, "--log", backup}, "--log " + backup + " ist dieselbe Datei wie --spi-image " + backup + overwritten},
      {{"--spi-image", backup, "--dump", path("hard.bin")},
       "--dump " + path("hard.bin") + " ist dieselbe Datei wie --spi-image " + backup + overwritten},
      {{"--spi-image", path("soft.bin"), "--log", backup},
       "--log " + backup + " ist dieselbe Datei wie --spi-image " + path("soft.bin") + overwritten},
      {{"--spi-image", backup, "--dump", path("sub/../backup.bin")},
       "--dump " + path("sub/../backup.bin") + " ist dieselbe Datei wie --spi-image " + backup + overwritten},
      {{"--log", path("out"), "--dump", path("./out")},
       "--log und --dump nennen dieselbe Datei (" + path("out") + ", " + path("./out") +
           ") - jede würde die andere überschreiben"},
      {{"--log", link}, "--log " + link + " ist derselbe Pfad wie --link " + link +
                            " - dort entsteht der Link zur Schnittstelle"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(c.arguments));
    std::vector<std::string> arguments = {"--link", link};
    arguments.insert(arguments.end(), c.arguments.begin(), c.arguments.end());
    const ProgramRun run = emusim(arguments);
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.errors, "zorvin-emusim: " + c.message + "\n");
    EXPECT_TRUE(file_text(backup) == content);
    EXPECT_FALSE(fs::exists(link));
    EXPECT_FALSE(fs::exists(path("out")));
  }
}

TEST_F(SimulatorOptions, FilesThatCannotBeReadOrWrittenAreNamedWithTheReason) {
  fs::create_directories(path("folder"));
  std::ofstream(path("big.bin"), std::ios::binary) << std::string(65537, '\0');
  struct Case {
    std::vector<std::string> arguments;
    std::string message;
  };
  const std::vector<Case> cases = {
      {{"--spi-image", path("none.bin")},
       "--spi-image " + path("none.bin") + " kann nicht gelesen werden: Datei oder Ordner nicht gefunden"},
      {{"--spi-image", path("folder")}, "--spi-image " + path("folder") + " kann nicht gelesen werden: ist ein Ordner"},
      {{"--spi-image", path("big.bin")}, "--spi-image " + path("big.bin") + " ist größer als der SPI-Speicher (64 KiB)"},
      {{"--log", path("missing/log")}, "--log " + path("missing/log") + " kann nicht geschrieben werden: Datei oder Ordner nicht gefunden"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(c.arguments));
    std::vector<std::string> arguments = {"--link", path("tty")};
    arguments.insert(arguments.end(), c.arguments.begin(), c.arguments.end());
    const ProgramRun run = emusim(arguments);
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(run.errors.starts_with("zorvin-emusim: " + c.message)) << run.errors;
    EXPECT_FALSE(fs::exists(path("tty")));
  }
  // A file where the link should go is left alone.
  std::ofstream(path("tty")) << "mine";
  const ProgramRun run = emusim({"--link", path("tty")});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.errors, "zorvin-emusim: --link " + path("tty") +
                            " gibt es schon, und es ist kein symbolischer Link - wird nicht ersetzt\n");
  EXPECT_EQ(file_text(path("tty")), "mine");
}

}  // namespace
}  // namespace zorvin::emu
