#include "emu/serial_ports.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <optional>

#include "emu/clock.h"
#include "text/text_codec.h"

namespace zorvin::emu {
namespace {

std::optional<speed_t> speed_constant(int baud) {
  switch (baud) {
    case 0: return B0;
    case 50: return B50;
    case 75: return B75;
    case 110: return B110;
    case 150: return B150;
    case 300: return B300;
    case 600: return B600;
    case 1200: return B1200;
    case 1800: return B1800;
    case 2400: return B2400;
    case 4800: return B4800;
    case 9600: return B9600;
    case 19200: return B19200;
    case 38400: return B38400;
    case 57600: return B57600;
    case 115200: return B115200;
    default: return std::nullopt;
  }
}

std::optional<tcflag_t> size_flag(int data_bits) {
  switch (data_bits) {
    case 5: return CS5;
    case 6: return CS6;
    case 7: return CS7;
    case 8: return CS8;
    default: return std::nullopt;
  }
}

tcflag_t parity_flags(int parity) {
  switch (parity) {
    case 1: return PARENB | PARODD;
    case 2: return PARENB;
    case 3: return CMSPAR | PARENB | PARODD;
    case 4: return CMSPAR | PARENB;
    default: return 0;
  }
}

// A termios filled from zero: raw, non-canonical, no echo, no output
// processing, so every byte passes unchanged both ways.
termios fresh_termios(speed_t speed, tcflag_t size, const SerialParams& params) {
  termios tio{};
  tio.c_iflag = IGNPAR;
  tio.c_cflag = size | parity_flags(params.parity) | CREAD | CLOCAL;
  if (params.stop_bits != 1.0) tio.c_cflag |= CSTOPB;
  if (params.handshake == 2) tio.c_cflag |= CRTSCTS;
  if (params.handshake == 3) {
    tio.c_iflag |= IXON | IXOFF;
    tio.c_cc[VSTART] = 0x11;
    tio.c_cc[VSTOP] = 0x13;
  }
  tio.c_cc[VMIN] = 1;
  tio.c_cc[VTIME] = 0;
  tio.c_cc[VEOF] = 4;
  cfsetispeed(&tio, speed);
  cfsetospeed(&tio, speed);
  return tio;
}

}  // namespace

int SerialPorts::open(int port, const char* device, const SerialParams& params) {
  const std::optional<speed_t> speed = speed_constant(params.baud);
  const std::optional<tcflag_t> size = size_flag(params.data_bits);
  if (port < 0 || device == nullptr || !speed || !size || params.handshake < 0 ||
      params.handshake > 3) {
    last_open_errno_ = EINVAL;
    return 0;
  }
  UniqueFd fd(::open(device, O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC));
  if (!fd) {
    last_open_errno_ = errno;
    return 0;
  }
  if (params.exclusive) {
    // The lock also holds against root, whom TIOCEXCL does not stop; both
    // come before the flush, which would take another user's input.
    // A device that takes no locks at all is used without one.
    if (::flock(fd.get(), LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK) {
      last_open_errno_ = EBUSY;
      return 0;
    }
    (void)::ioctl(fd.get(), TIOCEXCL);
  }
  const termios tio = fresh_termios(*speed, *size, params);
  (void)tcflush(fd.get(), TCIFLUSH);
  (void)tcsetattr(fd.get(), TCSANOW, &tio);

  release(port);  // the earlier device, if any
  ports_[port] = std::move(fd);
  exclusive_[port] = params.exclusive;
  last_open_errno_ = 0;
  return ports_[port].get();
}

int SerialPorts::fd_of(int port) const {
  const auto found = ports_.find(port);
  return found == ports_.end() ? -1 : found->second.get();
}

std::size_t SerialPorts::write_bytes(int port, std::span<const unsigned char> bytes,
                                     int timeout_ms) {
  const int fd = fd_of(port);
  if (fd < 0) return 0;
  const std::int64_t deadline = elapsed_ms() + timeout_ms;
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n > 0) {
      done += static_cast<std::size_t>(n);
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK) break;  // device gone
    // The output queue is full: sleep until the device takes more.
    const std::int64_t left = deadline - elapsed_ms();
    if (left <= 0) break;
    pollfd waiting{fd, POLLOUT, 0};
    const int ready = ::poll(&waiting, 1, static_cast<int>(left));
    if (ready < 0 && errno == EINTR) continue;
    if (ready <= 0 || (waiting.revents & POLLOUT) == 0) break;
  }
  return done;
}

std::size_t SerialPorts::write_text(int port, std::string_view utf8_text, int timeout_ms) {
  const std::string bytes = utf8_to_latin1(utf8_text).bytes;
  return write_bytes(
      port, {reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size()}, timeout_ms);
}

std::size_t SerialPorts::available(int port) const {
  const int fd = fd_of(port);
  int count = 0;
  if (fd < 0 || ::ioctl(fd, FIONREAD, &count) != 0 || count < 0) return 0;
  return static_cast<std::size_t>(count);
}

bool SerialPorts::wait_readable(int port, int timeout_ms) const {
  const int fd = fd_of(port);
  if (fd < 0) return false;
  pollfd waiting{fd, POLLIN, 0};
  const std::int64_t deadline = elapsed_ms() + timeout_ms;
  for (;;) {
    const int ready = ::poll(&waiting, 1, static_cast<int>(std::max<std::int64_t>(deadline - elapsed_ms(), 0)));
    if (ready > 0) return true;
    if (ready == 0 || errno != EINTR) return false;
  }
}

bool SerialPorts::is_terminal(int port) const {
  const int fd = fd_of(port);
  termios tio{};
  return fd >= 0 && ::tcgetattr(fd, &tio) == 0;
}

std::size_t SerialPorts::read(int port, std::span<unsigned char> buffer) {
  const int fd = fd_of(port);
  if (fd < 0 || buffer.empty()) return 0;
  const ssize_t n = ::read(fd, buffer.data(), buffer.size());
  return n > 0 ? static_cast<std::size_t>(n) : 0;
}

// TIOCEXCL stays with the device after the last close on some drivers:
// let the next open through.
void SerialPorts::release(int port) {
  const auto found = ports_.find(port);
  if (found == ports_.end()) return;
  if (exclusive_[port]) (void)::ioctl(found->second.get(), TIOCNXCL);
  ports_.erase(found);
  exclusive_.erase(port);
}

void SerialPorts::close(int port) {
  if (port != -1) {
    release(port);
    return;
  }
  while (!ports_.empty()) release(ports_.begin()->first);
}

}  // namespace zorvin::emu
