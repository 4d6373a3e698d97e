#include <gtest/gtest.h>
#include <grp.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <filesystem>
#include <fstream>
#include <random>

#include "emu/clock.h"
#include "emu/emulator_transfer.h"
#include "emu/reply_reader.h"
#include "emu/transfer_steps.h"
#include "emu_test_pty.h"

namespace zorvin::emu {
namespace {

namespace fs = std::filesystem;
using testing::RecordingView;
using testing::ScriptedDevice;
using testing::TestPty;

// Waits short enough for tests; the device answers within a few milliseconds.
constexpr TransferTiming kQuick{.reply_timeout_ms = 400, .idle_wait_ms = 10, .first_event_wait_ms = 7,
                                .ready_quiet_ms = 20, .quiet_ms = 60, .settle_limit_ms = 400,
                                .stalled_block_ms = 250};

const std::string kVersion = "-> HW: v2.1, FW: 2.0rc12, SPI: 0, Auto: 0, Last EPROM: 27512";
const std::string kSyncReply = kVersion + "\r\n-> Bus set to 27512 EPROM Memory\r\n";

class Transfer : public ::testing::Test {
 protected:
  void SetUp() override {
    dir = fs::temp_directory_path() / ("zorvin_emu_transfer_" + std::to_string(::getpid()) + "_" +
                                       ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::create_directories(dir);
    settings.port_name = pty.slave_name();
    settings.eprom_code = "64";
  }
  void TearDown() override { fs::remove_all(dir); }

  std::string image_file(const std::string& bytes) {
    const fs::path path = dir / "image.bin";
    std::ofstream(path, std::ios::binary) << bytes;
    return path.string();
  }

  static std::string random_bytes(std::size_t size) {
    std::mt19937 random(static_cast<unsigned>(size));
    std::string bytes(size, '\0');
    for (char& b : bytes) b = static_cast<char>(random() & 0xFF);
    return bytes;
  }

  // What a well-behaved device is sent for `image` and what it answers.
  std::vector<ScriptedDevice::Entry> device_script(const std::string& image) const {
    const auto flag = [](int on) { return std::string(on ? "ON" : "OFF"); };
    std::vector<ScriptedDevice::Entry> script = {
        {":EMUOFF\n", kSyncReply},
        {":iniSPI" + std::to_string(settings.spi_flag) + "\n", "-> SPI save " + flag(settings.spi_flag) + "\r\n"},
        {":iniAuto" + std::to_string(settings.auto_load) + "\n", "-> Auto Load " + flag(settings.auto_load) + "\r\n"}};
    std::string padded = image;
    padded.resize((image.size() + 127) / 128 * 128, '\0');
    for (std::size_t offset = 0; offset < padded.size(); offset += 128) {
      script.push_back({":SBN\n:" + std::to_string(offset) + "\n:128\n" + padded.substr(offset, 128), "->in\r\nACK\r\n"});
    }
    script.push_back({":ini" + settings.eprom_code + "\n", "-> Bus set to 2764 EPROM Memory\r\n"});
    script.push_back({":EMUON\n", "-> Emulator Running.\r\n"});
    return script;
  }

  static std::string wire(const std::vector<ScriptedDevice::Entry>& script) {
    std::string bytes;
    for (const auto& entry : script) bytes += entry.expect;
    return bytes;
  }

  // Runs the transfer with `device` answering from the moment of the open.
  bool run_with(ScriptedDevice& device, const std::string& image_path, TransferTiming timing = kQuick) {
    view.on_event_wait = [&] { device.start(); };
    const bool ok = emulator_transfer(image_path, settings, ports, view, timing);
    device.stop();
    return ok;
  }

  fs::path dir;
  TestPty pty;
  SerialPorts ports;
  RecordingView view;
  settings::Settings settings;
};

TEST_F(Transfer, EveryImageSizeGoesOnTheWireExactlyAndEndsWithTheVerdict) {
  settings.auto_load = 1;
  settings.spi_flag = 1;
  for (const std::size_t size : {std::size_t{200}, std::size_t{1}, std::size_t{128}, std::size_t{2048}}) {
    SCOPED_TRACE(size);
    view = RecordingView();
    const std::string image = random_bytes(size);
    const auto script = device_script(image);
    ScriptedDevice device(pty, script);
    EXPECT_TRUE(run_with(device, image_file(image)));
    EXPECT_TRUE(device.received() == wire(script));
    const std::size_t blocks = (size + 127) / 128;
    const std::string port = pty.slave_name();
    ASSERT_EQ(view.lines.size(), 8 + blocks);
    EXPECT_EQ(view.lines[0], port + " geöffnet, warte auf Eprom Emulator ...");
    EXPECT_EQ(view.lines[1], kVersion + "-> Bus set to 27512 EPROM Memory");
    EXPECT_EQ(view.lines[4], "->inACK");
    EXPECT_EQ(view.lines[blocks + 5], "-> Emulator Running.");
    EXPECT_EQ(view.lines[blocks + 6], port + " geschlossen");
    EXPECT_EQ(view.lines.back(), "Übertragung erfolgreich: " + std::to_string(size) + " Byte in " +
                                     std::to_string(blocks) + (blocks == 1 ? " Block" : " Blöcke") +
                                     " als 2764 geladen, Emulator läuft");
    EXPECT_FALSE(ports.is_open(kEmulatorPort));
  }
}

TEST_F(Transfer, TheFirstMissingOrWrongReplyStopsEverythingAfterIt) {
  const std::string image = random_bytes(300);
  const auto script = device_script(image);
  const std::string port = pty.slave_name();
  struct Case {
    std::vector<ScriptedDevice::Entry> answered;  // the device's script
    std::size_t sent_steps;                        // steps of the script that reach the wire
    std::string error;
    std::string step;
  };
  auto wrong_at = [&](std::size_t step, std::string reply) {
    auto changed = script;
    changed[step].reply = std::move(reply);
    changed.resize(step + 1);
    return changed;
  };
  const std::vector<Case> cases = {
      {{}, 1, "keine Antwort auf :EMUOFF - falsche Schnittstelle, Gerät nicht bereit oder eine ältere Firmware ohne :EMUOFF",
       ":EMUOFF"},
      {wrong_at(1, "-> SPI save ON\r\n"), 2, "unerwartete Antwort auf :iniSPI0: „-> SPI save ON“", ":iniSPI0"},
      {wrong_at(4, "->in\r\n"), 5, "keine Antwort auf Block 2 von 3 (Adresse 128)", "Block 2 von 3 (Adresse 128)"},
      {wrong_at(5, "->in\r\nERR\r\n"), 6, "unerwartete Antwort auf Block 3 von 3 (Adresse 256): „ERR“",
       "Block 3 von 3 (Adresse 256)"},
      {wrong_at(6, "\r\n"), 7, "unerwartete Antwort auf :ini64: „“", ":ini64"},
      {wrong_at(7, ""), 8, "keine Antwort auf :EMUON", ":EMUON"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.step);
    view = RecordingView();
    ScriptedDevice device(pty, c.answered);
    EXPECT_FALSE(run_with(device, image_file(image)));
    EXPECT_TRUE(device.received() == wire({script.begin(), script.begin() + static_cast<long>(c.sent_steps)}));
    ASSERT_GE(view.lines.size(), 3u);
    EXPECT_EQ(view.lines[view.lines.size() - 3], "Fehler bei der Übertragung - " + c.error);
    EXPECT_EQ(view.lines[view.lines.size() - 2], port + " geschlossen");
    EXPECT_EQ(view.lines.back(), "Übertragung fehlgeschlagen bei " + c.step + " - nichts weiter gesendet");
  }
}

TEST_F(Transfer, StartUpOutputIsWaitedForAndASyncLostInAResetIsRepeated) {
  const std::string image = random_bytes(10);
  auto script = device_script(image);
  // The first ":EMUOFF" went into the boot pause: the banner comes instead,
  // with rows of auto-load dots, and only a second ":EMUOFF" is answered.
  const std::string dots(64, '.');
  script.insert(script.begin(),
                {":EMUOFF\n", "-> Bus set to 27512 EPROM Memory\r\nConfig: Last EPROM used is 27512\r\n" + dots + "\r\n"});
  script.insert(script.begin() + 1, {"", dots + "\r\n", 30});
  script.insert(script.begin() + 2, {"", "Done loading from SPI EEPROM to SRAM\r\n" + kVersion + "\r\n", 30});
  ScriptedDevice device(pty, script);
  EXPECT_TRUE(run_with(device, image_file(image)));
  EXPECT_TRUE(device.received() == wire(script));  // ":EMUOFF" twice
  EXPECT_EQ(std::count(view.lines.begin(), view.lines.end(), dots), 2);
  EXPECT_TRUE(view.lines.back().starts_with("Übertragung erfolgreich"));
}

TEST_F(Transfer, DevicesThatNeverSettleOrSayOtherThingsAreNotTakenForTheEmulator) {
  const std::string image = image_file("x");
  // A line that never ends, sent faster than the device may go quiet.
  std::atomic<bool> streaming = true;
  std::thread chatter([&] {
    while (streaming) {
      pty.send(std::string(20, '~'));
      delay_ms(5);
    }
  });
  // A slow redraw after the open: what came meanwhile is judged first.
  view.on_event_wait = [] { delay_ms(kQuick.ready_quiet_ms * 3); };
  EXPECT_FALSE(emulator_transfer(image, settings, ports, view, kQuick));
  view.on_event_wait = nullptr;
  streaming = false;
  chatter.join();
  EXPECT_EQ(pty.received().find(":EMUOFF"), std::string::npos);
  EXPECT_EQ(view.lines[view.lines.size() - 3], "Fehler bei der Übertragung - " + pty.slave_name() +
                                                    " sendet ununterbrochen - das Gerät wird nicht bereit; ist " +
                                                    pty.slave_name() + " der Eprom Emulator?");
  EXPECT_EQ(view.lines.back(), "Übertragung fehlgeschlagen beim Warten auf den Eprom Emulator - nichts weiter gesendet");

  // Something that answers every ":EMUOFF" with other words.
  view = RecordingView();
  ScriptedDevice other(pty, {{":EMUOFF\n", "OK\r\n"}, {":EMUOFF\n", "OK\r\n"}, {":EMUOFF\n", "OK\r\n"}});
  EXPECT_FALSE(run_with(other, image));
  EXPECT_EQ(other.received(), ":EMUOFF\n:EMUOFF\n:EMUOFF\n");
  EXPECT_EQ(view.lines[view.lines.size() - 3], "Fehler bei der Übertragung - unerwartete Antwort auf :EMUOFF: „OK“ - ist " +
                                                    pty.slave_name() + " der Eprom Emulator?");
}

TEST_F(Transfer, ALateAckMeansTheDeviceStoredPartOfTheBlockFromItsOldBuffer) {
  const std::string image = random_bytes(256);
  auto script = device_script(image);
  script[4].delay_ms = kQuick.stalled_block_ms + 50;  // the second block
  script.resize(5);
  ScriptedDevice device(pty, script);
  EXPECT_FALSE(run_with(device, image_file(image)));
  EXPECT_TRUE(device.received() == wire(script));
  EXPECT_EQ(view.lines[view.lines.size() - 3],
            "Fehler bei der Übertragung - Block 2 von 2 (Adresse 128) kam nicht vollständig an (ACK erst nach der "
            "Wartezeit des Geräts)");
}

TEST_F(Transfer, NothingIsSentForBadImagesSettingsOrPortsThatAreNoDevices) {
  const std::string missing = (dir / "missing.bin").string();
  const std::string file = (dir / "ttyUSB0").string();
  std::ofstream(file) << "keep";
  const std::string fifo = (dir / "ttyUSB1").string();
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  const std::string open_failed = "Fehler beim Öffnen der seriellen Schnittstelle - ";
  struct Case {
    std::size_t image_size;  // a file of that many bytes, or none at all for SIZE_MAX
    std::string eprom;
    int spi;
    std::string port;
    std::string line;  // "@" stands for the image's path
  };
  const std::size_t none = SIZE_MAX;
  const std::vector<Case> cases = {
      {4097, "512", 0, "", "@ - Datei zu groß"},
      {0, "64", 0, "", "@ - Datei leer"},
      {none, "64", 0, "", missing + " - Datei nicht gefunden"},
      {2049, "16", 0, "", "@ - Abbild (2049 Byte) passt nicht in den 2716 (2048 Byte) - größeren EPROM-Typ wählen"},
      {1, "64", 2, "", "Fehler bei der Übertragung - SPI = 2 in zorvin.ini ist ungültig (0 oder 1)"},
      {1, "", 0, "",
       "Fehler bei der Übertragung - EPROM-Typ '' ist unbekannt - gültig sind 16, 32, 64, E64, 128, 256, E256, 512; "
       "unter Einstellungen -> EPROM Emulator wählen"},
      {1, "64", 0, file, open_failed + file + " ist keine serielle Schnittstelle (kein Gerät)"},
      {1, "64", 0, fifo, open_failed + fifo + " ist keine serielle Schnittstelle (kein Gerät)"},
      {1, "64", 0, "/dev/null", open_failed + "/dev/null ist keine serielle Schnittstelle (kein Terminal)"},
      {1, "64", 0, "COM4", open_failed + "COM4 nicht gefunden"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    view = RecordingView();
    const std::string image = c.image_size == none ? missing : image_file(std::string(c.image_size, 'x'));
    settings.eprom_code = c.eprom;
    settings.spi_flag = c.spi;
    settings.port_name = c.port.empty() ? pty.slave_name() : c.port;
    EXPECT_FALSE(emulator_transfer(image, settings, ports, view, kQuick));
    std::string line = c.line;
    if (line.starts_with("@")) line.replace(0, 1, image);
    EXPECT_EQ(view.lines, std::vector<std::string>{line});
    EXPECT_FALSE(ports.is_open(kEmulatorPort));
  }
  // 4096 bytes, both banks, fit every part from the 2732 up.
  EXPECT_EQ(capacity_problem(4096, "32"), std::nullopt);
  EXPECT_EQ(fs::file_size(file), 4u);
  EXPECT_EQ(pty.received(), "");
}

// F6 and zorvin-load both go through here: a port another transfer holds
// is refused before a byte is sent or its input touched.
TEST_F(Transfer, APortAnotherTransferHoldsIsRefusedUntouched) {
  SerialPorts other;
  ASSERT_NE(other.open(kEmulatorPort, pty.slave_name(), {.exclusive = true}), 0);
  pty.send("->in\r\n");  // a reply the other transfer has yet to read
  delay_ms(20);
  EXPECT_FALSE(emulator_transfer(image_file("x"), settings, ports, view, kQuick));
  EXPECT_EQ(view.lines, std::vector<std::string>{"Fehler beim Öffnen der seriellen Schnittstelle - " +
                                                 pty.slave_name() + ": Schnittstelle wird schon benutzt"});
  EXPECT_EQ(other.available(kEmulatorPort), 6u);
  EXPECT_EQ(pty.received(), "");
  other.close(kEmulatorPort);
  EXPECT_NE(ports.open(kEmulatorPort, pty.slave_name(), {.exclusive = true}), 0);
}

TEST(StoredEprom, OnlyAKnownCodeOrNoValueAtAllMaySend) {
  const fs::path ini = fs::temp_directory_path() / ("zorvin_stored_eprom_" + std::to_string(::getpid()) + ".ini");
  const std::string valid = " - gültig sind 16, 32, 64, E64, 128, 256, E256, 512";
  struct Case {
    std::string file;
    std::optional<std::string> problem;
  };
  const std::vector<Case> cases = {
      {"[Emulator]\nEPROM = 77\n", "EPROM = 77 in zorvin.ini ist ungültig" + valid},
      {"[Emulator]\nEPROM = E99\n", "EPROM = E99 in zorvin.ini ist ungültig" + valid},
      {"[Emulator]\nEPROM = \n", "EPROM in zorvin.ini ist leer" + valid},
      {"[Emulator]\nEPROM = 2716\n", "EPROM = 2716 in zorvin.ini ist ungültig" + valid},
      {"[Emulator]\nEPROM = e64\n", "EPROM = e64 in zorvin.ini ist ungültig" + valid},
      {"[Emulator]\nEPROM = E64\n", std::nullopt},
      {"[Emulator]\nepron = 77\n[Other]\nEPROM = 77\n", std::nullopt},  // no EPROM key in the group
      {"[Speicher]\nWert = 0\n", std::nullopt},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    std::ofstream(ini) << c.file;
    EXPECT_EQ(stored_eprom_problem(ini.string()), c.problem);
  }
  fs::remove(ini);
  EXPECT_EQ(stored_eprom_problem(ini.string()), std::nullopt);  // no file: the record counts
}

TEST_F(Transfer, ADeviceThatDisappearsStopsTheTransferWithAMessage) {
  auto script = device_script(random_bytes(300));
  script.resize(2);
  ScriptedDevice device(pty, script);
  view.on_scroll = [&](int scrolls) {
    if (scrolls == 2) {  // pulled after the answer to ":iniSPI"
      device.stop();
      pty.unplug();
    }
  };
  const std::string port = pty.slave_name();
  EXPECT_FALSE(run_with(device, image_file(random_bytes(300))));
  EXPECT_EQ(view.lines[view.lines.size() - 3], "Fehler bei der Übertragung - " + port + " antwortet nicht");
  EXPECT_EQ(view.lines.back(), "Übertragung fehlgeschlagen bei :iniAuto0 - nichts weiter gesendet");
  EXPECT_FALSE(ports.is_open(kEmulatorPort));
}

TEST(ReplyReader, LinesAreCollectedAcrossPollsWithoutLineEndsNoiseOrEndlessRuns) {
  TestPty pty;
  SerialPorts ports;
  ASSERT_NE(ports.open(kEmulatorPort, pty.slave_name(), {}), 0);
  ReplyReader reader(ports, 5);
  pty.send("HEL");
  EXPECT_TRUE(reader.poll(elapsed_ms() + 1000));
  static const char kReplies[] = "LO\r\n->in\r\nACK\r\nGr\xF6\xDF\0e\r\n\r\n";
  pty.send(std::string(kReplies, sizeof kReplies - 1) + std::string(600, '~'));
  delay_ms(20);
  reader.poll(elapsed_ms() + 1000);
  const std::vector<std::string> lines = reader.take_lines();
  EXPECT_EQ(lines, (std::vector<std::string>{"HELLO", "->in", "ACK", "Gr\u00F6\u00DFe", "",
                                             std::string(ReplyReader::kMaxLineLength, '~')}));
  reader.discard_partial();
  const std::int64_t start = elapsed_ms();
  EXPECT_EQ(reader.next_line(start + 50), std::nullopt);
  EXPECT_GE(elapsed_ms() - start, 50);
  EXPECT_EQ(joined({"->in", "ACK"}), "->inACK");
}

// Runs the transfer as an unprivileged user (the test usually runs as root,
// who may open anything) and returns the lines it showed.
std::vector<std::string> lines_as_unprivileged_user(const std::string& image, const settings::Settings& settings) {
  int pipe_fds[2];
  if (::pipe(pipe_fds) != 0) return {};
  const pid_t child = ::fork();
  if (child == 0) {
    ::close(pipe_fds[0]);
    if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0)) ::_exit(2);
    SerialPorts ports;
    RecordingView view;
    emulator_transfer(image, settings, ports, view, kQuick);
    std::string all;
    for (const std::string& line : view.lines) all += line + '\n';
    const bool ok = ::write(pipe_fds[1], all.data(), all.size()) == static_cast<ssize_t>(all.size());
    ::_exit(ok ? 0 : 3);
  }
  ::close(pipe_fds[1]);
  std::string all;
  char buffer[512];
  for (ssize_t n; (n = ::read(pipe_fds[0], buffer, sizeof buffer)) > 0;) all.append(buffer, static_cast<std::size_t>(n));
  ::close(pipe_fds[0]);
  int status = 0;
  ::waitpid(child, &status, 0);
  std::vector<std::string> lines;
  for (std::size_t start = 0, end; (end = all.find('\n', start)) != std::string::npos; start = end + 1) {
    lines.push_back(all.substr(start, end - start));
  }
  return lines;
}

TEST_F(Transfer, APermissionProblemNamesAGroupOnlyWhenThatGroupMayUseTheDevice) {
  if (::geteuid() != 0) GTEST_SKIP() << "needs root to hand the device to another user";
  // The pseudo-terminal's device node stands in for /dev/ttyUSB0.
  const std::string device = pty.slave_name();
  const group* dialout = ::getgrnam("dialout");
  const gid_t gid = dialout != nullptr ? dialout->gr_gid : 20;
  ASSERT_EQ(::chown(device.c_str(), 0, gid), 0);
  fs::permissions(dir, fs::perms::all);  // the unprivileged child must reach the image
  const std::string image = image_file("x");
  fs::permissions(image, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
  const group* owner_group = ::getgrgid(gid);
  ASSERT_NE(owner_group, nullptr);
  // The device is there: the line says it may not be opened, not that it is missing.
  const std::string refused =
      "Fehler beim Öffnen der seriellen Schnittstelle - " + device + " kann nicht geöffnet werden: Zugriff verweigert";

  ASSERT_EQ(::chmod(device.c_str(), 0660), 0);
  EXPECT_EQ(lines_as_unprivileged_user(image, settings),
            (std::vector<std::string>{refused, "Keine Berechtigung für " + device + " - Benutzer in die Gruppe '" +
                                                     owner_group->gr_name + "' aufnehmen"}));
  ASSERT_EQ(::chmod(device.c_str(), 0600), 0);
  EXPECT_EQ(lines_as_unprivileged_user(image, settings),
            (std::vector<std::string>{refused, "Keine Berechtigung für " + device + " - die Gruppe '" +
                                                     owner_group->gr_name +
                                                     "' darf es nicht lesen und schreiben; Rechte des Geräts "
                                                     "freigeben (z. B. mit einer udev-Regel)"}));
  // An image the user may not read is no missing image either.
  fs::permissions(image, fs::perms::owner_read);
  EXPECT_EQ(lines_as_unprivileged_user(image, settings),
            (std::vector<std::string>{image + " - Keine Leseberechtigung"}));
}

}  // namespace
}  // namespace zorvin::emu
