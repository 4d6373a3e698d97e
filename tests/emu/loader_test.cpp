// zorvin-load against the simulated board: what it takes for an image, and
// how it holds the port.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "emu/clock.h"
#include "program_run.h"
#include "simulator_process.h"

namespace zorvin::emu {
namespace {

namespace fs = std::filesystem;
using testing::file_text;
using testing::ProgramRun;
using testing::RunningProgram;
using testing::SimulatorProcess;

class Loader : public ::testing::Test {
 protected:
  void SetUp() override {
    dir = fs::temp_directory_path() / ("zorvin_loader_" + std::to_string(::getpid()) + "_" +
                                       ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::create_directories(dir);
  }
  void TearDown() override { fs::remove_all(dir); }

  std::string path(const std::string& name) const { return (dir / name).string(); }
  void write(const std::string& name, const std::string& bytes) const {
    std::ofstream(path(name), std::ios::binary) << bytes;
  }
  ProgramRun load(std::vector<std::string> arguments) const {
    return testing::run_program(ZORVIN_LOAD, arguments, dir.string());
  }

  fs::path dir;
};

// Three bytes at 0010H and the end record, as EPROM programmers read them.
const std::string kHex = ":0300100012345651\r\n:00000001FF\r\n";

TEST_F(Loader, IntelHexIsLoadedAtItsAddressesAndTextsAreNeverSentAsCode) {
  // Unused program memory is FFH here; the image below the first record gets it.
  write("zorvin.ini", "[Emulator]\nCOM = " + path("ttyUSB0") + "\nEPROM = 16\n[Speicher]\nWert = 255\n");
  write("rom.hex", kHex);
  write("rom.IHX", kHex);
  write("rom.txt", kHex);  // HEX under another name is still HEX
  write("raw.bin", "raw\nbytes\n");  // what F5 wrote is raw, whatever it holds
  write("blink.asm", "\x04\x00\x01\x02");
  write("blink.src", "\torg 0\n\tnop\n\tjmp 0 ; Schleife\n");
  write("bad.hex", ":0300100012345651\r\n:0300130012345652\r\n:00000001FF\r\n");
  write("cut.hex", ":0300100012345651\r\n");

  const std::string at_0010 = std::string(16, '\xFF') + "\x12\x34\x56" + std::string(109, '\0');
  struct Case {
    std::string image;
    int status;
    std::string dump_or_message;  // the board's memory after a load, else the last line
  };
  const std::string not_an_image =
      " - Text, kein Abbild - eine Quelle erst assemblieren (F5 oder zorvin-asm) und die .bin- oder .hex-Datei laden";
  const std::vector<Case> cases = {
      {"rom.hex", 0, at_0010},
      {"rom.IHX", 0, at_0010},
      {"rom.txt", 0, at_0010},
      {"raw.bin", 0, "raw\nbytes\n" + std::string(118, '\0')},
      {"blink.asm", 1, path("blink.asm") + not_an_image},
      {"blink.src", 1, path("blink.src") + not_an_image},
      {"bad.hex", 1, path("bad.hex") + " - Intel-HEX-Zeile 2: Prüfsumme falsch"},
      {"cut.hex", 1, path("cut.hex") + " - Intel-HEX-Zeile 1: Endesatz fehlt"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.image);
    SimulatorProcess sim(path("ttyUSB0"), {"--banner-delay", "0", "--dump", path("dump.bin"), "--log", path("log")});
    ASSERT_TRUE(sim.ok());
    fs::remove(path("dump.bin"));
    const ProgramRun run = load({path(c.image)});
    EXPECT_EQ(run.status, c.status) << run.output << run.errors;
    EXPECT_EQ(sim.stop(), 0);
    if (c.status == 0) {
      EXPECT_TRUE(file_text(path("dump.bin")) == c.dump_or_message);
      EXPECT_NE(run.output.find("Übertragung erfolgreich"), std::string::npos) << run.output;
    } else {
      EXPECT_EQ(run.output, c.dump_or_message + "\n");
      EXPECT_EQ(file_text(path("log")).find("RX"), std::string::npos);  // not a byte sent
    }
  }
}

TEST_F(Loader, ASecondLoaderOnTheSamePortIsRefusedWhileTheFirstOneRuns) {
  // The first open resets the board: a boot pause of 1.5 s keeps the first
  // loader busy while the second one tries, even on a slow machine.
  SimulatorProcess sim(path("ttyUSB0"), {"--banner-delay", "1500", "--dump", path("dump.bin"), "--log", path("log")});
  ASSERT_TRUE(sim.ok());
  const std::string first(300, 'A'), second(300, 'B');
  write("first.bin", first);
  write("second.bin", second);
  const std::vector<std::string> options = {"--port", path("ttyUSB0"), "--eprom", "64"};
  auto with = [&](const std::string& image) {
    std::vector<std::string> arguments = options;
    arguments.push_back(path(image));
    return arguments;
  };
  RunningProgram running(ZORVIN_LOAD, with("first.bin"), dir.string(), "first");
  for (int waited = 0; waited < 5000 && file_text(path("log")).find("vom Host geöffnet") == std::string::npos; waited += 10)
    delay_ms(10);
  const ProgramRun refused = testing::run_program(ZORVIN_LOAD, with("second.bin"), dir.string());
  const ProgramRun loaded = running.wait();
  EXPECT_EQ(refused.status, 1);
  EXPECT_EQ(refused.output, "Fehler beim Öffnen der seriellen Schnittstelle - " + path("ttyUSB0") +
                                ": Schnittstelle wird schon benutzt\n");
  EXPECT_EQ(loaded.status, 0) << loaded.output;
  EXPECT_TRUE(file_text(path("dump.bin")) == first + std::string(84, '\0'));

  // Once the first has closed the port, it is free again.
  EXPECT_EQ(testing::run_program(ZORVIN_LOAD, with("second.bin"), dir.string()).status, 0);
  EXPECT_TRUE(file_text(path("dump.bin")) == second + std::string(84, '\0'));
  EXPECT_EQ(sim.stop(), 0);
}

TEST_F(Loader, EachRefusalSaysWhatIsWrong) {
  write("image.bin", std::string(10, '\x04'));
  struct Case {
    std::vector<std::string> arguments;
    bool with_ini;
    int status;
    std::string message;  // on standard output or error
  };
  const std::string codes = "16, 32, 64, E64, 128, 256, E256, 512";
  const std::vector<Case> cases = {
      {{path("image.bin")}, false, 2, "keine zorvin.ini im Arbeitsverzeichnis - --port und --eprom angeben"},
      {{"--port", path("tty"), path("image.bin")}, false, 2,
       "keine zorvin.ini im Arbeitsverzeichnis - --eprom angeben (EPROM-Codes: " + codes + ")"},
      {{"--port", path("tty"), path("image.bin")}, true, 2,
       "kein EPROM-Typ in zorvin.ini (Gruppe [Emulator], EPROM) - --eprom angeben"},
      {{"--port", path("tty"), "--eprom", "64", path("image.bin")}, false, 1,
       "Fehler beim Öffnen der seriellen Schnittstelle - " + path("tty") + " nicht gefunden"},
      {{"--port", path("tty"), "--eprom", "64", path("none.bin")}, false, 1,
       path("none.bin") + " - Datei nicht gefunden"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(c.arguments));
    fs::remove(path("zorvin.ini"));
    if (c.with_ini) write("zorvin.ini", "[Fenster]\nF0X = 0\n");
    const ProgramRun run = load(c.arguments);
    EXPECT_EQ(run.status, c.status);
    EXPECT_NE((run.output + run.errors).find(c.message), std::string::npos) << run.output << run.errors;
  }
}

}  // namespace
}  // namespace zorvin::emu
