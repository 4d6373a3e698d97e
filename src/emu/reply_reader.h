// Reading the EPROM emulator's reply lines. The device ends every line with
// CR LF; a reply may arrive in pieces over several reads, and several lines
// may arrive in one. Every wait ends as soon as the bytes it waits for are
// there, so the transfer goes at the pace of the device's replies.
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

  // `idle_wait_ms`: how long to sleep when the port reports input that is
  // not there (a device that hung up), so such a port is not polled busily.
  ReplyReader(SerialPorts& ports, int idle_wait_ms) : ports_(ports), idle_wait_ms_(idle_wait_ms) {}

  // Waits until bytes arrive or `deadline_ms` (on the elapsed_ms clock) has
  // passed, then reads all that is waiting. Returns whether any byte came.
  bool poll(std::int64_t deadline_ms);

  // The lines completed so far (without their line ends), oldest first.
  std::vector<std::string> take_lines();

  // The next complete line, waiting until `deadline_ms` at the latest;
  // nothing when no line was complete by then.
  std::optional<std::string> next_line(std::int64_t deadline_ms);

  // The next complete line while the device keeps sending: nothing once no
  // byte has come for `quiet_ms`, or at `deadline_ms`.
  std::optional<std::string> next_line_while_talking(int quiet_ms, std::int64_t deadline_ms);

  // When the last byte came (elapsed_ms clock); nothing before the first.
  std::optional<std::int64_t> last_data_ms() const { return last_data_ms_; }

  // Drops the start of a line that never ended, before a new command goes out.
  void discard_partial() { partial_.clear(); }

 private:
  void add(const unsigned char* bytes, std::size_t count);

  SerialPorts& ports_;
  int idle_wait_ms_;
  std::optional<std::int64_t> last_data_ms_;
  std::string partial_;             // UTF-8, the line being received
  std::vector<std::string> lines_;  // complete lines not yet taken
};

// The lines of one reply as the message pane shows them: joined, without line ends.
std::string joined(const std::vector<std::string>& lines);

}  // namespace zorvin::emu
