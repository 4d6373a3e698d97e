#include <gtest/gtest.h>
#include <grp.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <filesystem>
#include <fstream>
#include <random>

#include "emu/clock.h"
#include "emu/emulator_transfer.h"
#include "emu/reply_wait.h"
#include "emu_test_pty.h"

namespace zorvin::emu {
namespace {

namespace fs = std::filesystem;
using testing::RecordingView;
using testing::TestPty;

// A device that never answers, with waits short enough for tests.
constexpr TransferTiming kQuick{.reply_timeout_ms = 20, .poll_interval_ms = 10,
                                .first_event_wait_ms = 7};

class Transfer : public ::testing::Test {
 protected:
  void SetUp() override {
    dir = fs::temp_directory_path() /
          ("zorvin_emu_transfer_" + std::to_string(::getpid()) + "_" +
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

  void run(const std::string& path, TransferTiming timing = kQuick) {
    emulator_transfer(path, settings, ports, view, timing);
  }

  fs::path dir;
  TestPty pty;
  SerialPorts ports;
  RecordingView view;
  settings::Settings settings;
};

TEST_F(Transfer, The200ByteExampleGoesOnTheWireExactlyWithEightWaits) {
  settings.spi_flag = 0;
  settings.auto_load = 1;
  const std::string image = random_bytes(200);
  run(image_file(image));

  const std::string expected = std::string(":EMUOFF\n:iniSPI0\n:iniAuto1\n") +
                               ":SBN\n:0\n:128\n" + image.substr(0, 128) +
                               ":SBN\n:128\n:128\n" + image.substr(128) +
                               std::string(56, '\0') + ":ini64\n:EMUON\n";
  EXPECT_TRUE(pty.received() == expected);
  EXPECT_EQ(view.scrolls, 8);
  EXPECT_EQ(view.event_waits, std::vector<int>{7});
  const std::string port = pty.slave_name();
  EXPECT_EQ(view.lines, (std::vector<std::string>{
                            port + " geöffnet, warte auf Eprom Emulator ...",
                            port + " geschlossen"}));
  EXPECT_FALSE(ports.is_open(kEmulatorPort));
}

TEST_F(Transfer, ImagesArePaddedToWholeBlocksOfOneHundredTwentyEight) {
  settings.spi_flag = 1;
  settings.eprom_code = "E256";
  for (const std::size_t size : {std::size_t{1}, std::size_t{128}, std::size_t{2048}}) {
    SCOPED_TRACE(size);
    view = RecordingView();
    const std::string image = random_bytes(size);
    run(image_file(image));

    std::string padded = image;
    padded.resize((size + 127) / 128 * 128, '\0');
    std::string blocks;
    for (std::size_t offset = 0; offset < padded.size(); offset += 128) {
      blocks += ":SBN\n:" + std::to_string(offset) + "\n:128\n" + padded.substr(offset, 128);
    }
    const std::string wire = pty.received();
    EXPECT_TRUE(wire == ":EMUOFF\n:iniSPI1\n:iniAuto0\n" + blocks + ":iniE256\n:EMUON\n");
    EXPECT_EQ(view.scrolls, 6 + static_cast<int>(padded.size() / 128));
  }
  EXPECT_EQ(view.scrolls, 22);  // 2048 bytes: 16 blocks, the last at 1920
}

TEST_F(Transfer, ImageProblemsAreReportedAndNoPortIsOpened) {
  const std::string too_big = image_file(std::string(2049, 'x'));
  run(too_big);
  const std::string empty = image_file("");
  run(empty);
  const std::string missing = (dir / "missing.bin").string();
  run(missing);
  run(dir.string());
  EXPECT_EQ(view.lines, (std::vector<std::string>{too_big + " - Datei zu groß",
                                                  empty + " - Datei leer",
                                                  missing + " - Datei nicht gefunden",
                                                  dir.string() + " - Datei nicht gefunden"}));
  EXPECT_EQ(pty.received(), "");
  EXPECT_TRUE(view.event_waits.empty());
}

TEST_F(Transfer, APortThatCannotBeOpenedIsReported) {
  const std::string image = image_file("x");
  settings.port_name = "COM4";
  run(image);
  settings.port_name = "";
  run(image);
  EXPECT_EQ(view.lines,
            (std::vector<std::string>{
                "Fehler beim Öffnen der seriellen Schnittstelle - COM4 nicht gefunden",
                "Fehler beim Öffnen der seriellen Schnittstelle -  nicht gefunden"}));
  EXPECT_EQ(view.scrolls, 2);
}

TEST_F(Transfer, ASilentDeviceStillGetsEverythingOneTimeoutPerStep) {
  EXPECT_EQ(TransferTiming{}.reply_timeout_ms, 3000);  // what users get
  const TransferTiming timing{.reply_timeout_ms = 120, .poll_interval_ms = 40,
                              .first_event_wait_ms = 0};
  const std::int64_t start = elapsed_ms();
  run(image_file("\x01\x02"), timing);
  const std::int64_t took = elapsed_ms() - start;

  EXPECT_EQ(view.scrolls, 7);  // first line, three settings, one block, EPROM code, on
  EXPECT_GE(took, 7 * 120);
  EXPECT_LT(took, 7 * (120 + 40) + 1000);
  EXPECT_EQ(view.lines.back(), pty.slave_name() + " geschlossen");
  EXPECT_TRUE(pty.received().ends_with(":ini64\n:EMUON\n"));
}

TEST_F(Transfer, RepliesAreShownInOrder) {
  // The device answers each step as soon as the host waits for it.
  const TransferTiming timing{.reply_timeout_ms = 500, .poll_interval_ms = 20,
                              .first_event_wait_ms = 0};
  int answered = 0;
  pty.send("sent before the open is flushed\r\n");
  view.on_event_wait = [&] { pty.send("banner\r\n"); };
  view.on_scroll = [&](int) { pty.send("reply " + std::to_string(++answered) + "\r\n"); };
  const std::string port = pty.slave_name();
  run(image_file("x"), timing);
  EXPECT_EQ(view.lines, (std::vector<std::string>{
                            port + " geöffnet, warte auf Eprom Emulator ...", "banner",
                            "reply 1", "reply 2", "reply 3", "reply 4", "reply 5", "reply 6",
                            port + " geschlossen"}));
}

TEST_F(Transfer, ADeviceThatDisappearsStopsTheTransferWithAMessage) {
  view.on_scroll = [&](int waits) {
    if (waits == 3) pty.unplug();  // pulled after the answer to ":iniSPI"
  };
  const std::string port = pty.slave_name();
  run(image_file(random_bytes(300)));
  EXPECT_EQ(view.scrolls, 4);  // three waits, then the error is scrolled into view
  EXPECT_EQ(view.lines, (std::vector<std::string>{
                            port + " geöffnet, warte auf Eprom Emulator ...",
                            "Fehler bei der Übertragung - " + port + " antwortet nicht",
                            port + " geschlossen"}));
  EXPECT_FALSE(ports.is_open(kEmulatorPort));
}

// Runs the transfer as an unprivileged user (the test usually runs as root,
// who may open anything) and returns the lines it showed.
std::vector<std::string> lines_as_unprivileged_user(const std::string& image,
                                                    const settings::Settings& settings) {
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
    const bool ok = ::write(pipe_fds[1], all.data(), all.size()) ==
                    static_cast<ssize_t>(all.size());
    ::_exit(ok ? 0 : 3);
  }
  ::close(pipe_fds[1]);
  std::string all;
  char buffer[512];
  for (ssize_t n; (n = ::read(pipe_fds[0], buffer, sizeof buffer)) > 0;) {
    all.append(buffer, static_cast<std::size_t>(n));
  }
  ::close(pipe_fds[0]);
  int status = 0;
  ::waitpid(child, &status, 0);
  std::vector<std::string> lines;
  for (std::size_t start = 0, end; (end = all.find('\n', start)) != std::string::npos;
       start = end + 1) {
    lines.push_back(all.substr(start, end - start));
  }
  return lines;
}

TEST_F(Transfer, APermissionProblemNamesTheGroupToJoin) {
  // A device only its owner and group may use, as /dev/ttyUSB0 is.
  const fs::path device = dir / "ttyUSB0";
  std::ofstream(device).close();
  const group* dialout = ::getgrnam("dialout");
  if (::geteuid() == 0 && dialout != nullptr) {
    ASSERT_EQ(::chown(device.c_str(), 0, dialout->gr_gid), 0);
  }
  ASSERT_EQ(::chmod(device.c_str(), 0660), 0);
  fs::permissions(dir, fs::perms::all);  // the unprivileged child must reach the files
  const std::string image = image_file("x");
  fs::permissions(image, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);

  struct stat info {};
  ASSERT_EQ(::stat(device.c_str(), &info), 0);
  const group* owner_group = ::getgrgid(info.st_gid);
  ASSERT_NE(owner_group, nullptr);
  const std::string expected_group = owner_group->gr_name;
  if (::geteuid() != 0 && ::getegid() == info.st_gid) {
    GTEST_SKIP() << "the test user is in the device's group and may open it";
  }

  settings.port_name = device.string();
  EXPECT_EQ(lines_as_unprivileged_user(image, settings),
            (std::vector<std::string>{
                "Fehler beim Öffnen der seriellen Schnittstelle - " + device.string() +
                    " nicht gefunden",
                "Keine Berechtigung für " + device.string() + " - Benutzer in die Gruppe '" +
                    expected_group + "' aufnehmen"}));
}

}  // namespace
}  // namespace zorvin::emu
