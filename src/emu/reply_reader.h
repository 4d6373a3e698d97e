// Reading the EPROM emulator's reply lines. The device ends every line with
// CR LF; a reply may arrive in pieces over several polls, and several lines
// may arrive in one.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "emu/serial_ports.h"

namespace zorvin::emu {

// The port the emulator link uses.
inline constexpr int kEmulatorPort = 0;

class ReplyReader {
 public:
  // A line that never ends is cut into pieces of this many characters, so a
  // device that sends without line ends still yields something to judge.
  static constexpr std::size_t kMaxLineLength = 512;

  ReplyReader(SerialPorts& ports, int poll_interval_ms) : ports_(ports), poll_interval_ms_(poll_interval_ms) {}

  // Sleeps one poll interval, then reads what is waiting on the emulator port.
  // Returns whether any byte came.
  bool poll();

  // The lines completed so far (without their line ends), oldest first.
  std::vector<std::string> take_lines();

  // The next complete line, polling until `deadline_ms` (on the elapsed_ms
  // clock) has passed; nothing when no line was complete by then.
  std::optional<std::string> next_line(std::int64_t deadline_ms);

  // Drops the start of a line that never ended, before a new command goes out.
  void discard_partial() { partial_.clear(); }

 private:
  void add(const unsigned char* bytes, std::size_t count);

  SerialPorts& ports_;
  int poll_interval_ms_;
  std::string partial_;             // UTF-8, the line being received
  std::vector<std::string> lines_;  // complete lines not yet taken
};

// The lines of one reply as the message pane shows them: joined, without line ends.
std::string joined(const std::vector<std::string>& lines);

}  // namespace zorvin::emu
