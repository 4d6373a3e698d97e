// The transfer against the simulated board, in each of the ways the board
// (or something that is not the board) behaves.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>

#include "emu/emulator_transfer.h"
#include "emu_test_pty.h"
#include "program_run.h"
#include "simulator_process.h"

namespace zorvin::emu {
namespace {

namespace fs = std::filesystem;
using testing::RecordingView;
using testing::SimulatorProcess;

const std::string kVersion = "-> HW: v2.1, FW: 2.0rc12, SPI: 0, Auto: 0, Last EPROM: 27512, zorvin-emusim";

class Simulator : public ::testing::Test {
 protected:
  void SetUp() override {
    dir = fs::temp_directory_path() / ("zorvin_emusim_" + std::to_string(::getpid()) + "_" +
                                       ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::create_directories(dir);
    settings.port_name = path("ttyUSB0");
    settings.eprom_code = "64";
  }
  void TearDown() override { fs::remove_all(dir); }

  std::string path(const std::string& name) const { return (dir / name).string(); }

  std::string image_file(std::size_t size) {
    std::mt19937 random(static_cast<unsigned>(size) + 1);
    std::string bytes(size, '\0');
    for (char& b : bytes) b = static_cast<char>(random() & 0xFF);
    std::ofstream(path("image.bin"), std::ios::binary) << bytes;
    return bytes;
  }

  static std::string read_file(const std::string& file) { return testing::file_text(file); }

 protected:
  bool transfer(TransferTiming timing = {}) {
    view = RecordingView();
    return emulator_transfer(path("image.bin"), settings, ports, view, timing);
  }

  // The error line and the verdict of a failed transfer.
  std::vector<std::string> failure_lines() const {
    return view.lines.size() < 3 ? view.lines
                                 : std::vector<std::string>{view.lines[view.lines.size() - 3], view.lines.back()};
  }

  fs::path dir;
  SerialPorts ports;
  RecordingView view;
  settings::Settings settings;
};

TEST_F(Simulator, TheImageArrivesAfterTheBannerAndASecondTransferNeedsNoReset) {
  SimulatorProcess sim(path("ttyUSB0"), {"--banner-delay", "0", "--dump", path("dump.bin"), "--log", path("log.txt")});
  ASSERT_TRUE(sim.ok());
  settings.auto_load = 1;
  settings.spi_flag = 1;
  const std::string image = image_file(200);
  EXPECT_TRUE(transfer());
  const std::vector<std::string> banner = {"-> Bus set to 27512 EPROM Memory",
                                           "Config: Last EPROM used is 27512",
                                           "Option: Save to SPI EEPROM set to disable",
                                           "Option: Auto load from SPI EEPROM set to disable",
                                           "",
                                           "Emulator Started, waiting for computer contol",
                                           kVersion};
  std::vector<std::string> expected = {path("ttyUSB0") + " geöffnet, warte auf Eprom Emulator ..."};
  expected.insert(expected.end(), banner.begin(), banner.end());
  expected.insert(expected.end(), {kVersion + "-> Bus set to 27512 EPROM Memory", "-> SPI save ON", "-> Auto Load ON",
                                   "->inACK", "->inACK", "-> Bus set to 2764 EPROM Memory", "-> Emulator Running.",
                                   path("ttyUSB0") + " geschlossen",
                                   "Übertragung erfolgreich: 200 Byte in 2 Blöcke als 2764 geladen, Emulator läuft"});
  EXPECT_EQ(view.lines, expected);
  EXPECT_TRUE(read_file(path("dump.bin")) == image + std::string(56, '\0'));

  // The port was closed without dropping DTR: no reset, no banner, and the
  // board now holds the settings sent before.
  const std::string second = image_file(2048);
  EXPECT_TRUE(transfer());
  EXPECT_EQ(view.lines[1], "-> HW: v2.1, FW: 2.0rc12, SPI: 1, Auto: 1, Last EPROM: 2764, zorvin-emusim"
                           "-> Bus set to 27512 EPROM Memory");
  EXPECT_EQ(std::count(view.lines.begin(), view.lines.end(), "->inACK"), 16);
  EXPECT_TRUE(read_file(path("dump.bin")) == second);

  EXPECT_EQ(sim.stop(), 0);
  const std::string log = read_file(path("log.txt"));
  EXPECT_EQ(log.find("Protokollfehler"), std::string::npos) << log;
}

// An adapter whose driver drops DTR at every close resets the board at every
// open; others only at the first. Either way every transfer ends exact.
TEST_F(Simulator, EveryTransferArrivesExactWhetherOrNotEachOpenResetsTheBoard) {
  struct Case {
    std::vector<std::string> options;
    bool reset_on_later_opens;
  };
  const std::vector<Case> cases = {
      {{}, false},
      {{"--reset-on-open"}, true},
      {{"--reset-on-open", "--auto", "1", "--last-eprom", "16"}, true},  // an auto-load at every open
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(c.options));
    std::vector<std::string> options = {"--banner-delay", "300", "--dump", path("dump.bin"), "--log", path("log.txt")};
    options.insert(options.end(), c.options.begin(), c.options.end());
    SimulatorProcess sim(path("ttyUSB0"), options);
    ASSERT_TRUE(sim.ok());
    for (int round = 0; round < 3; ++round) {
      SCOPED_TRACE(round);
      delay_ms(100);  // the simulator sees a close only when the next open is not at once
      const std::string image = image_file(700 + 600 * static_cast<std::size_t>(round));
      EXPECT_TRUE(transfer()) << ::testing::PrintToString(view.lines);
      const bool banner = std::find(view.lines.begin(), view.lines.end(),
                                    "Emulator Started, waiting for computer contol") != view.lines.end();
      EXPECT_EQ(banner, round == 0 || c.reset_on_later_opens);
      const std::string dumped = read_file(path("dump.bin"));
      EXPECT_TRUE(dumped.substr(0, image.size()) == image);
    }
    EXPECT_EQ(sim.stop(), 0);
    const std::string log = read_file(path("log.txt"));
    EXPECT_EQ(log.find("Protokollfehler"), std::string::npos) << log;
    EXPECT_EQ(log.find("vollen Empfangspuffer"), std::string::npos) << log;
  }
}

TEST_F(Simulator, AnAutoLoadAfterTheResetIsWaitedForBeforeAnyBlockGoesOut) {
  // A real boot pause, then the 512 pages of a 27512 from an empty backup.
  SimulatorProcess sim(path("ttyUSB0"), {"--banner-delay", "1000", "--auto", "1", "--dump", path("dump.bin"), "--once"});
  ASSERT_TRUE(sim.ok());
  const std::string image = image_file(1000);
  EXPECT_TRUE(transfer()) << ::testing::PrintToString(view.lines);
  EXPECT_EQ(std::count(view.lines.begin(), view.lines.end(), std::string(64, '.')), 8);
  EXPECT_NE(std::find(view.lines.begin(), view.lines.end(), "Done loading from SPI EEPROM to SRAM"), view.lines.end());
  EXPECT_TRUE(read_file(path("dump.bin")) == image + std::string(24, '\0'));
  EXPECT_EQ(sim.wait_for_exit(3000), 0);
}

TEST_F(Simulator, DevicesThatAreNotTheCurrentBoardEndTheTransferBeforeAnyBlock) {
  const TransferTiming quick{.reply_timeout_ms = 600, .settle_limit_ms = 1500};
  image_file(300);
  struct Case {
    std::vector<std::string> options;
    std::string error;
    std::string where;  // in the verdict
  };
  const std::string port = path("ttyUSB0");
  const std::string no_reply =
      "Fehler bei der Übertragung - keine Antwort auf :EMUOFF - falsche Schnittstelle, Gerät nicht bereit oder eine "
      "ältere Firmware ohne :EMUOFF";
  const std::string never_quiet = "Fehler bei der Übertragung - " + port +
                                  " sendet ununterbrochen - das Gerät wird nicht bereit; ist " + port +
                                  " der Eprom Emulator?";
  const std::vector<Case> cases = {
      {{"--firmware", "old"},
       no_reply + " (das Gerät meldet „-> HW: v1.9c @ 115200, FW: 2.0rc4, SPI: 0, Auto: 0, Last EPROM: 27512, "
                  "zorvin-emusim“)",
       "bei :EMUOFF"},
      {{"--silent"}, no_reply, "bei :EMUOFF"},
      // Never ready: the sync is never sent, and the verdict says so.
      {{"--stream", "."}, never_quiet, "beim Warten auf den Eprom Emulator"},
      {{"--stream", "xyz\\r\\n"}, never_quiet, "beim Warten auf den Eprom Emulator"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.options.back());
    std::vector<std::string> options = {"--banner-delay", "0", "--log", path("log.txt")};
    options.insert(options.end(), c.options.begin(), c.options.end());
    SimulatorProcess sim(port, options);
    ASSERT_TRUE(sim.ok());
    EXPECT_FALSE(transfer(quick));
    EXPECT_EQ(failure_lines(),
              (std::vector<std::string>{c.error, "Übertragung fehlgeschlagen " + c.where + " - nichts weiter gesendet"}));
    EXPECT_EQ(sim.stop(), 0);
    const std::string log = read_file(path("log.txt"));
    EXPECT_EQ(log.find(":SBN"), std::string::npos);
    if (c.where != "bei :EMUOFF") {
      EXPECT_EQ(log.find("RX"), std::string::npos) << log;
    }
  }
}

TEST_F(Simulator, ABlockThatLostAByteOnTheLineIsNotTakenForLoaded) {
  // Bytes 1 to 8 are the sync lost in the boot pause, 9 to 191 the sync
  // again, both flags, the first block and the second one's header; byte
  // 200 lies in the second block's data.
  SimulatorProcess sim(path("ttyUSB0"), {"--banner-delay", "0", "--lose-byte", "200"});
  ASSERT_TRUE(sim.ok());
  image_file(256);
  EXPECT_FALSE(transfer());
  EXPECT_EQ(failure_lines(),
            (std::vector<std::string>{"Fehler bei der Übertragung - Block 2 von 2 (Adresse 128) kam nicht vollständig "
                                      "an (ACK erst nach der Wartezeit des Geräts)",
                                      "Übertragung fehlgeschlagen bei Block 2 von 2 (Adresse 128) - nichts weiter "
                                      "gesendet"}));
}

// zorvin-load as a script sees it: its exit status and what it printed.
testing::ProgramRun run_load(const std::vector<std::string>& arguments, const std::string& dir) {
  return testing::run_program(ZORVIN_LOAD, arguments, dir);
}

TEST_F(Simulator, ZorvinLoadSucceedsOnlyWhenTheBoardConfirmedEveryStep) {
  SimulatorProcess sim(path("ttyUSB0"), {"--banner-delay", "0", "--dump", path("dump.bin")});
  ASSERT_TRUE(sim.ok());
  const std::string image = image_file(18);
  testing::ProgramRun loaded = run_load({"--port", path("ttyUSB0"), "--eprom", "E256", "--spi", "0", path("image.bin")}, dir);
  EXPECT_EQ(loaded.status, 0) << loaded.output;
  EXPECT_TRUE(loaded.output.ends_with(
      "Übertragung erfolgreich: 18 Byte in 1 Block als 28C256 geladen, Emulator läuft\n"))
      << loaded.output;
  EXPECT_TRUE(read_file(path("dump.bin")).starts_with(image));

  SimulatorProcess silent(path("ttyUSB1"), {"--banner-delay", "0", "--silent"});
  ASSERT_TRUE(silent.ok());
  EXPECT_EQ(run_load({"--port", path("ttyUSB1"), "--eprom", "64", path("image.bin")}, dir).status, 1);
  EXPECT_EQ(run_load({"--port", path("ttyUSB0"), "--eprom", "64", path("missing.bin")}, dir).status, 1);
  EXPECT_EQ(run_load({"--port", path("image.bin"), "--eprom", "64", path("image.bin")}, dir).status, 1);
  for (const std::vector<std::string>& wrong : std::vector<std::vector<std::string>>{
           {},
           {"--port", path("ttyUSB0"), "--eprom", "2764", path("image.bin")},
           {"--port", path("ttyUSB0"), "--eprom", "64", "--spi", "2", path("image.bin")},
           {"--port", path("ttyUSB0"), "--eprom", "64", "--fast", path("image.bin")},
           {"--port", path("ttyUSB0"), path("image.bin")},  // no zorvin.ini here, so no EPROM type
       }) {
    EXPECT_EQ(run_load(wrong, dir).status, 2) << ::testing::PrintToString(wrong);
  }
}

// What zorvin-load refuses sends nothing: the simulator never sees a byte.
TEST_F(Simulator, ZorvinLoadRefusesWrongEpromValuesNonTerminalsAndImagesTooLargeForThePart) {
  SimulatorProcess sim(path("ttyUSB0"), {"--banner-delay", "0", "--log", path("log.txt")});
  ASSERT_TRUE(sim.ok());
  image_file(3000);
  const std::string codes = "16, 32, 64, E64, 128, 256, E256, 512";
  struct Case {
    std::string stored_eprom;  // in zorvin.ini; "-" for no file
    std::vector<std::string> options;
    int status;
    std::string message;  // in what it printed, on either stream
  };
  const std::vector<Case> cases = {
      {"77", {}, 2, "EPROM = 77 in zorvin.ini ist ungültig - gültig sind " + codes},
      {"E99", {}, 2, "EPROM = E99 in zorvin.ini ist ungültig - gültig sind " + codes},
      {"", {}, 2, "EPROM in zorvin.ini ist leer - gültig sind " + codes},
      {"2716", {}, 2, "EPROM = 2716 in zorvin.ini ist ungültig - gültig sind " + codes},
      {"-", {"--eprom", "2716"}, 2, "unbekannter EPROM-Code '2716' - gültig sind " + codes},
      {"64", {"--port", "/dev/null"}, 1, "/dev/null ist keine serielle Schnittstelle (kein Terminal)"},
      {"16", {}, 1, "Abbild (3000 Byte) passt nicht in den 2716 (2048 Byte) - größeren EPROM-Typ wählen"},
      {"77", {"--eprom", "16"}, 1, "passt nicht in den 2716"},  // the option replaces the stored value
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.stored_eprom + " " + ::testing::PrintToString(c.options));
    fs::remove(path("zorvin.ini"));
    if (c.stored_eprom != "-") {
      std::ofstream(path("zorvin.ini")) << "[Emulator]\nCOM = " << path("ttyUSB0") << "\nEPROM = " << c.stored_eprom
                                        << "\n";
    }
    std::vector<std::string> arguments = c.options;
    arguments.push_back(path("image.bin"));
    const testing::ProgramRun run = run_load(arguments, dir.string());
    EXPECT_EQ(run.status, c.status);
    EXPECT_NE((run.output + run.errors).find(c.message), std::string::npos) << run.output << run.errors;
  }
  EXPECT_EQ(sim.stop(), 0);
  EXPECT_EQ(read_file(path("log.txt")).find("RX"), std::string::npos);
}

}  // namespace
}  // namespace zorvin::emu
