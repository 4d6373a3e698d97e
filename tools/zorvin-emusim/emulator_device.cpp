#include "emulator_device.h"

#include <algorithm>
#include <map>

namespace zorvin::emusim {
namespace {

constexpr std::size_t kMaxNumberDigits = 9;  // far beyond 64 Ki, and no overflow

const std::map<std::string, std::string, std::less<>>& bus_replies() {
  static const std::map<std::string, std::string, std::less<>> replies = {
      {":ini16", "-> Bus set to 2716 EPROM Memory"},
      {":ini32", "-> Bus set to 2732 EPROM Memory"},
      {":ini64", "-> Bus set to 2764 EPROM Memory"},
      {":ini128", "-> Bus set to 27128 EPROM Memory"},
      {":ini256", "-> Bus set to 27256 EPROM Memory"},
      {":ini512", "-> Bus set to 27512 EPROM Memory"},
      {":iniE64", "-> Bus set to 28C64 EPROM Memory"},
      {":iniE256", "-> Bus set to 28C256 EEPROM Memory"},
  };
  return replies;
}

}  // namespace

std::optional<std::size_t> parse_line_number(std::string_view line) {
  const auto is_digit = [](char c) { return c >= '0' && c <= '9'; };
  auto it = std::find_if(line.begin(), line.end(), is_digit);
  if (it == line.end()) return std::nullopt;
  std::size_t value = 0;
  for (std::size_t digits = 0; it != line.end() && is_digit(*it); ++it, ++digits) {
    if (digits == kMaxNumberDigits) return std::nullopt;
    value = value * 10 + static_cast<std::size_t>(*it - '0');
  }
  return value;
}

void EmulatorDevice::reset() {
  std::fill(memory_.begin(), memory_.end(), 0);
  loaded_end_ = 0;
  state_ = State::Command;
  line_.clear();
}

std::string EmulatorDevice::version_line() const {
  return "-> HW: 1.0, FW: 1.0 (zorvin-emusim), SPI: " + std::to_string(spi_) +
         ", Auto: " + std::to_string(auto_load_) + ", RAM: 64 KiB";
}

std::vector<std::string> EmulatorDevice::banner() const {
  return {"EPROM Emulator", version_line(), "-> Bus set to 27512 EPROM Memory", "-> Ready"};
}

std::optional<std::int64_t> EmulatorDevice::deadline() const {
  if (state_ == State::Command) return std::nullopt;
  return last_byte_ms_ + kGiveUpMs;
}

void EmulatorDevice::give_up_if_due(std::int64_t now_ms, DeviceOutput& out) {
  const auto due = deadline();
  if (!due || now_ms < *due) return;
  switch (state_) {
    case State::Offset: out.errors.push_back("no offset after :SBN within 1 s"); break;
    case State::Length: out.errors.push_back("no length after :SBN within 1 s"); break;
    case State::Data:
      out.errors.push_back("data byte " + std::to_string(received_) + " of " +
                           std::to_string(length_) + " missing after 1 s");
      break;
    case State::Command: break;
  }
  state_ = State::Command;
  line_.clear();
}

void EmulatorDevice::receive(std::string_view bytes, std::int64_t now_ms, DeviceOutput& out) {
  for (char c : bytes) {
    give_up_if_due(now_ms, out);
    switch (state_) {
      case State::Command: command_byte(c, now_ms, out); break;
      case State::Offset:
      case State::Length: number_byte(c, now_ms, out); break;
      case State::Data: data_byte(static_cast<unsigned char>(c), now_ms, out); break;
    }
    last_byte_ms_ = now_ms;
  }
}

void EmulatorDevice::command_byte(char c, std::int64_t now_ms, DeviceOutput& out) {
  if (c == '\r') return;
  if (c != '\n') {
    line_.push_back(c);
    return;
  }
  const std::string line = std::move(line_);
  line_.clear();
  run_command(line, now_ms, out);
}

void EmulatorDevice::run_command(const std::string& line, std::int64_t now_ms,
                                 DeviceOutput& out) {
  if (line == ":EMUOFF") {
    out.replies.push_back(version_line());
    out.replies.push_back("-> Bus set to 27512 EPROM Memory");
  } else if (line == ":EMUON") {
    out.replies.push_back("-> Emulator Running.");
    out.emulation_started = true;
  } else if (line == ":iniSPI0" || line == ":iniSPI1") {
    spi_ = line.back() - '0';
    out.replies.push_back(spi_ ? "-> SPI save ON" : "-> SPI save OFF");
  } else if (line == ":iniAuto0" || line == ":iniAuto1") {
    auto_load_ = line.back() - '0';
    out.replies.push_back(auto_load_ ? "-> Auto Load ON" : "-> Auto Load OFF");
  } else if (line == ":SBN") {
    out.replies.push_back("->in");
    state_ = State::Offset;
    last_byte_ms_ = now_ms;
  } else if (const auto bus = bus_replies().find(line); bus != bus_replies().end()) {
    out.replies.push_back(bus->second);
  }
  // Anything else gets no answer, like on the board.
}

void EmulatorDevice::number_byte(char c, std::int64_t now_ms, DeviceOutput& out) {
  if (c == '\r') return;
  if (c != '\n') {
    line_.push_back(c);
    return;
  }
  const std::optional<std::size_t> number = parse_line_number(line_);
  const bool is_offset = state_ == State::Offset;
  line_.clear();
  if (!number) {
    out.errors.push_back(std::string("no number in the ") + (is_offset ? "offset" : "length") +
                         " line after :SBN");
    state_ = State::Command;
    return;
  }
  if (is_offset) {
    offset_ = *number;
    state_ = State::Length;
    return;
  }
  length_ = *number;
  received_ = 0;
  state_ = State::Data;
  if (length_ == 0) data_byte(0, now_ms, out);  // nothing to wait for
}

void EmulatorDevice::data_byte(unsigned char c, std::int64_t /*now_ms*/, DeviceOutput& out) {
  if (length_ > 0) {
    const std::size_t address = offset_ + received_;
    if (address < kMemorySize) {
      memory_[address] = c;
      loaded_end_ = std::max(loaded_end_, address + 1);
    } else if (received_ == 0 || offset_ + received_ == kMemorySize) {
      out.errors.push_back("block at " + std::to_string(offset_) + " length " +
                           std::to_string(length_) + " runs past the 64 KiB memory");
    }
    ++received_;
  }
  if (received_ == length_) {
    out.replies.push_back("ACK");
    state_ = State::Command;
  }
}

}  // namespace zorvin::emusim
