// The simulator's reset rule through a real pseudo-terminal: opening the
// port resets the board only when the host's last close dropped DTR.
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "simulator_process.h"

namespace zorvin::emu {
namespace {

// Opens the port raw; `hang_up` sets HUPCL, so closing it drops DTR.
int open_port(const std::string& path, bool hang_up) {
  const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
  termios tio{};
  if (fd >= 0 && ::tcgetattr(fd, &tio) == 0) {
    ::cfmakeraw(&tio);
    tio.c_cflag = (tio.c_cflag & ~HUPCL) | CLOCAL | (hang_up ? HUPCL : 0);
    ::tcsetattr(fd, TCSANOW, &tio);
  }
  return fd;
}

// Everything that arrives within `ms`.
std::string read_for(int fd, int ms) {
  std::string got;
  const std::int64_t end = elapsed_ms() + ms;
  for (std::int64_t left = ms; left > 0; left = end - elapsed_ms()) {
    pollfd in{fd, POLLIN, 0};
    if (::poll(&in, 1, static_cast<int>(left)) <= 0) continue;
    char buffer[512];
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n > 0) got.append(buffer, static_cast<std::size_t>(n));
  }
  return got;
}

TEST(SimulatorReset, OnlyAnOpenAfterACloseWithHupclResetsTheBoard) {
  const std::filesystem::path dir =
      std::filesystem::temp_directory_path() / ("zorvin_emusim_reset_" + std::to_string(::getpid()));
  std::filesystem::create_directories(dir);
  const std::string link = (dir / "ttyUSB0").string();
  {
    testing::SimulatorProcess sim(link, {"--banner-delay", "0"});
    ASSERT_TRUE(sim.ok());

    int fd = open_port(link, false);
    ASSERT_GE(fd, 0);
    EXPECT_NE(read_for(fd, 400).find("Emulator Started"), std::string::npos);  // the first open
    ::close(fd);
    delay_ms(150);

    fd = open_port(link, true);
    EXPECT_EQ(read_for(fd, 400), "");  // DTR stayed up: no reset, no banner
    ASSERT_EQ(::write(fd, ":>\n", 3), 3);
    EXPECT_EQ(read_for(fd, 200), "<\r\n");  // and the board is running
    ::close(fd);
    delay_ms(150);

    fd = open_port(link, false);
    EXPECT_NE(read_for(fd, 400).find("Emulator Started"), std::string::npos);
    ::close(fd);
  }
  std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace zorvin::emu
