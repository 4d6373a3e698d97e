#include <gtest/gtest.h>
#include <sys/inotify.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <termios.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <thread>

#include "emu/clock.h"
#include "emu/port_discovery.h"
#include "emu/serial_ports.h"
#include "emu_test_pty.h"

namespace zorvin::emu {
namespace {

using testing::TestPty;

std::span<const unsigned char> as_bytes(const std::string& text) {
  return {reinterpret_cast<const unsigned char*>(text.data()), text.size()};
}

TEST(SerialPorts, BadParametersFailWithoutTouchingTheDevice) {
  TestPty pty;
  // The line is in canonical mode with echo and has unread input: a real
  // open would flush the input and switch the line to raw.
  termios before{};
  ASSERT_EQ(tcgetattr(pty.own_slave(), &before), 0);
  ASSERT_NE(before.c_lflag & ICANON, 0u);
  pty.send("pending\n");
  while (pty.waiting_at_host() == 0) delay_ms(1);

  struct Case {
    const char* what;
    SerialParams params;
  };
  const Case cases[] = {
      {"134 baud", {.baud = 134}},
      {"200 baud", {.baud = 200}},
      {"above 115200", {.baud = 230400}},
      {"9 data bits", {.data_bits = 9}},
      {"4 data bits", {.data_bits = 4}},
      {"handshake 4", {.handshake = 4}},
  };
  SerialPorts ports;
  for (const Case& c : cases) {
    EXPECT_EQ(ports.open(0, pty.slave_name(), c.params), 0) << c.what;
    EXPECT_FALSE(ports.is_open(0)) << c.what;
  }
  EXPECT_EQ(ports.open(0, nullptr, SerialParams{}), 0);

  termios after{};
  ASSERT_EQ(tcgetattr(pty.own_slave(), &after), 0);
  EXPECT_EQ(after.c_lflag, before.c_lflag);
  EXPECT_EQ(pty.waiting_at_host(), 8);

  // Parity codes outside 1..4 mean none and are no reason to fail.
  EXPECT_NE(ports.open(0, pty.slave_name(), {.parity = 7}), 0);
}

TEST(SerialPorts, OpenMakesTheLineRawAndDiscardsUnreadInput) {
  TestPty pty;
  pty.send("stale\n");
  while (pty.waiting_at_host() == 0) delay_ms(1);
  pty.received();  // the cooked line echoed it

  SerialPorts ports;
  ASSERT_NE(ports.open(0, pty.slave_name(), SerialParams{}), 0);
  EXPECT_EQ(ports.available(0), 0u);

  termios tio{};
  ASSERT_EQ(tcgetattr(pty.own_slave(), &tio), 0);
  EXPECT_EQ(tio.c_iflag, static_cast<tcflag_t>(IGNPAR));
  EXPECT_EQ(tio.c_oflag, 0u);
  EXPECT_EQ(tio.c_lflag, 0u);
  EXPECT_EQ(tio.c_cflag & (CSIZE | CREAD | CLOCAL | PARENB | CSTOPB | CRTSCTS),
            static_cast<tcflag_t>(CS8 | CREAD | CLOCAL));
  EXPECT_EQ(cfgetospeed(&tio), static_cast<speed_t>(B115200));
  EXPECT_EQ(tio.c_cc[VMIN], 1);
  EXPECT_EQ(tio.c_cc[VTIME], 0);

  // No output processing: a line feed goes out alone, bytes come in unchanged.
  EXPECT_EQ(ports.write_text(0, ":EMUOFF\n", 1000), 8u);
  EXPECT_EQ(pty.received(), ":EMUOFF\n");
  pty.send("OK\r\n\xE4");
  while (ports.available(0) < 5) delay_ms(1);
  std::array<unsigned char, 16> buffer{};
  ASSERT_EQ(ports.read(0, buffer), 5u);
  EXPECT_EQ(std::string(buffer.begin(), buffer.begin() + 5), "OK\r\n\xE4");
}

TEST(SerialPorts, TextIsSentAsLatin1) {
  TestPty pty;
  SerialPorts ports;
  ASSERT_NE(ports.open(0, pty.slave_name(), SerialParams{}), 0);
  EXPECT_EQ(ports.write_text(0, "\u00E4\u20AC!", 1000), 2u);  // the euro sign has no byte
  EXPECT_EQ(pty.received(), "\xE4!");
}

TEST(SerialPorts, ARegularFileOpensThoughItIsNoTerminal) {
  const auto path = std::filesystem::temp_directory_path() / "zorvin_emu_not_a_tty.bin";
  std::ofstream(path).close();
  SerialPorts ports;
  ASSERT_NE(ports.open(0, path.string(), SerialParams{}), 0);
  EXPECT_EQ(ports.write_text(0, "abc", 1000), 3u);
  ports.close(0);
  EXPECT_EQ(std::filesystem::file_size(path), 3u);
  std::filesystem::remove(path);
}

TEST(SerialPorts, ReopenClosesTheOldDeviceOnlyAfterTheNewOneOpened) {
  TestPty first(false);
  TestPty second(false);
  SerialPorts ports;
  ASSERT_NE(ports.open(0, first.slave_name(), SerialParams{}), 0);
  EXPECT_FALSE(first.slave_closed());

  // A failed open keeps the earlier device under the number.
  EXPECT_EQ(ports.open(0, "/nonexistent/ttyUSB0", SerialParams{}), 0);
  EXPECT_EQ(ports.last_open_errno(), ENOENT);
  EXPECT_FALSE(first.slave_closed());
  EXPECT_EQ(ports.write_text(0, "still", 1000), 5u);
  EXPECT_EQ(first.received(), "still");

  ASSERT_NE(ports.open(0, second.slave_name(), SerialParams{}), 0);
  EXPECT_TRUE(first.slave_closed());
  EXPECT_EQ(ports.write_text(0, "new", 1000), 3u);
  EXPECT_EQ(second.received(), "new");
}

// The errno of a plain open of `device` by an unprivileged user (root is
// not stopped by TIOCEXCL), 0 when it opened.
int unprivileged_open_errno(const std::string& device) {
  const pid_t child = ::fork();
  if (child == 0) {
    if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0)) ::_exit(255);
    const int fd = ::open(device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    ::_exit(fd >= 0 ? 0 : errno);
  }
  int status = 0;
  ::waitpid(child, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : 255;
}

TEST(SerialPorts, AnExclusiveOpenKeepsEveryOtherOpenOutUntilItCloses) {
  TestPty pty;
  ASSERT_EQ(::chmod(pty.slave_name().c_str(), 0666), 0);
  SerialPorts holder;
  SerialPorts second;
  ASSERT_NE(holder.open(0, pty.slave_name(), {.exclusive = true}), 0);
  EXPECT_EQ(second.open(0, pty.slave_name(), {.exclusive = true}), 0);  // the lock holds against root too
  EXPECT_EQ(second.last_open_errno(), EBUSY);
  EXPECT_EQ(unprivileged_open_errno(pty.slave_name()), EBUSY);  // TIOCEXCL: also programs that take no lock

  holder.close(0);
  EXPECT_EQ(unprivileged_open_errno(pty.slave_name()), 0);
  EXPECT_NE(second.open(0, pty.slave_name(), {.exclusive = true}), 0);
}

TEST(SerialPorts, PortsNotOpenDoNothingAndMinusOneClosesAll) {
  TestPty a(false);
  TestPty b(false);
  SerialPorts ports;
  std::array<unsigned char, 8> buffer{};
  EXPECT_EQ(ports.available(0), 0u);
  EXPECT_EQ(ports.read(0, buffer), 0u);
  EXPECT_EQ(ports.write_text(0, "x", 100), 0u);
  EXPECT_EQ(ports.read(-5, buffer), 0u);
  ports.close(7);

  ASSERT_NE(ports.open(0, a.slave_name(), SerialParams{}), 0);
  ASSERT_NE(ports.open(3, b.slave_name(), SerialParams{}), 0);
  EXPECT_FALSE(ports.is_open(1));
  ports.close(-1);
  EXPECT_FALSE(ports.is_open(0));
  EXPECT_FALSE(ports.is_open(3));
  EXPECT_TRUE(a.slave_closed());
  EXPECT_TRUE(b.slave_closed());
}

double thread_cpu_ms() {
  rusage usage{};
  getrusage(RUSAGE_THREAD, &usage);
  return (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1000.0 +
         (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1000.0;
}

TEST(SerialPorts, APartialWriteIsCompletedAsTheDeviceTakesMore) {
  TestPty pty;
  SerialPorts ports;
  ASSERT_NE(ports.open(0, pty.slave_name(), SerialParams{}), 0);
  // Far more than the line buffers, so the write must wait several times.
  std::string data(256 * 1024, '\0');
  for (std::size_t i = 0; i < data.size(); ++i) data[i] = static_cast<char>(i * 7 + i / 251);

  std::string arrived;
  std::thread device([&] {
    char chunk[1024];
    while (arrived.size() < data.size()) {
      pollfd ready{pty.master(), POLLIN, 0};
      if (::poll(&ready, 1, 2000) <= 0) break;
      const ssize_t n = ::read(pty.master(), chunk, sizeof chunk);
      if (n > 0) arrived.append(chunk, static_cast<std::size_t>(n));
      delay_ms(1);  // a slow reader
    }
  });
  EXPECT_EQ(ports.write_bytes(0, as_bytes(data), 10000), data.size());
  device.join();
  EXPECT_TRUE(arrived == data);
}

TEST(SerialPorts, AWriteTheDeviceDoesNotTakeEndsAfterTheTimeoutWithoutSpinning) {
  TestPty pty;
  SerialPorts ports;
  ASSERT_NE(ports.open(0, pty.slave_name(), SerialParams{}), 0);
  const std::string data(1024 * 1024, 'x');  // nobody reads: the buffers fill up

  const std::int64_t start = elapsed_ms();
  const double cpu_start = thread_cpu_ms();
  const std::size_t written = ports.write_bytes(0, as_bytes(data), 300);
  const std::int64_t took = elapsed_ms() - start;
  EXPECT_GT(written, 0u);
  EXPECT_LT(written, data.size());
  EXPECT_GE(took, 290);
  EXPECT_LT(took, 2000);
  EXPECT_LT(thread_cpu_ms() - cpu_start, 0.3 * static_cast<double>(took));
}

TEST(SerialPorts, AWriteToAnUnpluggedDeviceFails) {
  TestPty pty;
  SerialPorts ports;
  ASSERT_NE(ports.open(0, pty.slave_name(), SerialParams{}), 0);
  pty.unplug();
  const std::int64_t start = elapsed_ms();
  EXPECT_EQ(ports.write_text(0, ":EMUOFF\n", 3000), 0u);
  EXPECT_LT(elapsed_ms() - start, 1000);  // an error, not a timeout
}

// Opening a port raises DTR, which resets the emulator and stops the board,
// so looking for adapters must not open any.
TEST(PortDiscovery, ListsCharacterDevicesUnderThePrefixWithoutOpeningThem) {
  namespace fs = std::filesystem;
  const fs::path dir = fs::temp_directory_path() / ("zorvin_discovery_" + std::to_string(::getpid()));
  fs::create_directories(dir);
  TestPty first, second;
  fs::create_symlink(first.slave_name(), dir / "ttyS0");
  fs::create_symlink(second.slave_name(), dir / "ttyS3");
  std::ofstream(dir / "ttyS1") << "a file, no adapter";
  ASSERT_EQ(::mkfifo((dir / "ttyS2").c_str(), 0600), 0);

  const int watch = inotify_init1(IN_NONBLOCK);
  ASSERT_GE(watch, 0);
  ASSERT_GE(inotify_add_watch(watch, first.slave_name().c_str(), IN_OPEN), 0);
  ASSERT_GE(inotify_add_watch(watch, second.slave_name().c_str(), IN_OPEN), 0);
  const auto opens = [watch] {
    char events[4096];
    const ssize_t n = ::read(watch, events, sizeof events);
    return n > 0 ? static_cast<std::size_t>(n) / sizeof(inotify_event) : 0;
  };

  settings::Settings settings;
  settings.port_prefix = (dir / "ttyS").string();
  settings.port_name = (dir / "ttyS3").string();
  PortList list = discover_ports(settings);
  EXPECT_EQ(list.names, (std::vector<std::string>{(dir / "ttyS0").string(), (dir / "ttyS3").string()}));
  EXPECT_EQ(list.selected, 1);
  settings.port_name = "COM4";
  EXPECT_EQ(discover_ports(settings).selected, 0);
  settings.port_prefix = (dir / "ttyACM").string();
  list = discover_ports(settings);
  EXPECT_TRUE(list.names.empty());
  EXPECT_EQ(list.selected, -1);
  EXPECT_EQ(opens(), 0u);

  SerialPorts ports;  // the watch does see an open
  ASSERT_NE(ports.open(0, dir / "ttyS0", {}), 0);
  EXPECT_EQ(opens(), 1u);
  ::close(watch);
  fs::remove_all(dir);
}

TEST(Clock, DelayWaitsAtLeastTheTimeAsked) {
  const std::int64_t start = elapsed_ms();
  delay_ms(30);
  const std::int64_t took = elapsed_ms() - start;
  EXPECT_GE(took, 30);
  EXPECT_LT(took, 500);
  delay_ms(0);
  delay_ms(-5);
}

}  // namespace
}  // namespace zorvin::emu
