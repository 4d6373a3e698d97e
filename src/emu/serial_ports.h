// The serial port layer: open terminal devices addressed by a small port
// number chosen by the caller. The program uses port 0 only and never keeps
// a port open between two commands.
#pragma once

#include <cstddef>
#include <span>
#include <string>
#include <string_view>
#include <map>

#include "emu/unique_fd.h"

namespace zorvin::emu {

struct SerialParams {
  int baud = 115200;   // 0, 50, 75, ... 57600, 115200; 134, 200 and above 115200 fail
  int parity = 0;      // 1 odd, 2 even, 3 mark, 4 space, anything else none
  int data_bits = 8;   // 5 to 8
  double stop_bits = 1.0;  // exactly 1 means one stop bit, else two
  int handshake = 0;   // 0, 1 none; 2 RTS/CTS; 3 XON/XOFF
  int input_buffer = 2048;   // accepted, not used
  int output_buffer = 2048;  // accepted, not used
  // Taken for this process alone (flock and TIOCEXCL) before the line is
  // touched; a device another holds so fails with EBUSY.
  bool exclusive = false;
};

class SerialPorts {
 public:
  // Checks the parameters first (a failed check touches nothing), then opens
  // `device` with O_RDWR|O_NOCTTY|O_NONBLOCK, applies a fresh raw termios
  // (unread input discarded first; results of both calls ignored, so a
  // device that is no terminal still opens) and enters it under `port`.
  // An earlier device under `port` is closed only once the new one is open.
  // Returns the descriptor, or 0 on failure (then last_open_errno() says why;
  // EINVAL for a failed parameter check).
  int open(int port, const char* device, const SerialParams& params);
  int open(int port, const std::string& device, const SerialParams& params) {
    return open(port, device.c_str(), params);
  }
  int last_open_errno() const { return last_open_errno_; }

  // Writes all bytes, waiting for the device to take more when a
  // non-blocking write took only part of them, at most `timeout_ms` in all.
  // Returns the number written; less than bytes.size() means the device
  // stopped taking data (gone, or stuck past the timeout). 0 when not open.
  std::size_t write_bytes(int port, std::span<const unsigned char> bytes, int timeout_ms);

  // Sends text one byte per character (ISO 8859-1); characters above U+00FF
  // are dropped. Returns the number of bytes written, as write_bytes.
  std::size_t write_text(int port, std::string_view utf8_text, int timeout_ms);

  // Received bytes waiting (FIONREAD); 0 when not open or on error.
  std::size_t available(int port) const;

  // Waits at most `timeout_ms` until input is waiting; true then, and also
  // when the device hung up or failed (a read then finds nothing).
  bool wait_readable(int port, int timeout_ms) const;

  // Whether the device takes line settings (tcgetattr works): false for
  // /dev/null and every other device that is no terminal.
  bool is_terminal(int port) const;

  // One non-blocking read of at most `buffer.size()` bytes; 0 when nothing
  // was there, on error, or when not open.
  std::size_t read(int port, std::span<unsigned char> buffer);

  // Closes the device under `port`; -1 closes every port. A number that is
  // not open is ignored. The termios settings are not restored; an
  // exclusive hold ends.
  void close(int port);

  bool is_open(int port) const { return fd_of(port) >= 0; }

 private:
  int fd_of(int port) const;

  void release(int port);

  std::map<int, UniqueFd> ports_;  // port number -> open device
  std::map<int, bool> exclusive_;  // port number -> held with TIOCEXCL
  int last_open_errno_ = 0;
};

}  // namespace zorvin::emu
