// The EPROM emulator's side of the serial protocol, without any I/O: bytes
// go in, reply lines come out. Times are passed in by the caller so the
// one-second give-up can be driven by tests.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace zorvin::emusim {

// What one call produced, in order.
struct DeviceOutput {
  std::vector<std::string> replies;  // lines to send, each to be ended by CR LF
  std::vector<std::string> errors;   // protocol errors, for the log
  bool emulation_started = false;    // ":EMUON" was received
};

class EmulatorDevice {
 public:
  static constexpr std::size_t kMemorySize = 64 * 1024;
  static constexpr std::int64_t kGiveUpMs = 1000;

  EmulatorDevice() : memory_(kMemorySize, 0) {}

  // The host opened the port, which resets the board: protocol state and
  // memory start afresh; the SPI and auto-load switches stay.
  void reset();

  // The lines the board prints after a reset.
  std::vector<std::string> banner() const;

  void receive(std::string_view bytes, std::int64_t now_ms, DeviceOutput& out);

  // When the device gives up waiting for an offset, length or data byte.
  std::optional<std::int64_t> deadline() const;
  // Call once deadline() has passed.
  void give_up_if_due(std::int64_t now_ms, DeviceOutput& out);

  // Memory from address 0 to the end of the highest block received.
  std::span<const unsigned char> loaded() const { return {memory_.data(), loaded_end_}; }

 private:
  enum class State { Command, Offset, Length, Data };

  void command_byte(char c, std::int64_t now_ms, DeviceOutput& out);
  void number_byte(char c, std::int64_t now_ms, DeviceOutput& out);
  void data_byte(unsigned char c, std::int64_t now_ms, DeviceOutput& out);
  void run_command(const std::string& line, std::int64_t now_ms, DeviceOutput& out);
  std::string version_line() const;

  std::vector<unsigned char> memory_;
  std::size_t loaded_end_ = 0;
  int spi_ = 0;
  int auto_load_ = 0;

  State state_ = State::Command;
  std::string line_;
  std::size_t offset_ = 0;
  std::size_t length_ = 0;
  std::size_t received_ = 0;
  std::int64_t last_byte_ms_ = 0;
};

// The number in a line: non-digits before it are skipped, the number ends at
// the first non-digit after it. Empty when there are no digits.
std::optional<std::size_t> parse_line_number(std::string_view line);

}  // namespace zorvin::emusim
