// Command frames and the :SBN block transfer of the firmware.
#include <algorithm>
#include <utility>

#include "emulator_device.h"

namespace zorvin::emusim {
namespace {

// No command is longer; a longer frame is unknown whatever follows.
constexpr std::size_t kLongestFrame = 16;

}  // namespace

void EmulatorDevice::reply(std::string_view text) {
  wire_.send(clock_ + config_.reply_delay, std::string(text) + "\r\n");
}

void EmulatorDevice::frame_byte(unsigned char c) {
  if (c == '\r') return;
  if (c != '\n') {
    if (frame_.size() <= kLongestFrame) frame_.push_back(static_cast<char>(c));
    return;
  }
  const std::string frame = std::exchange(frame_, {});
  run_command(frame);
}

void EmulatorDevice::run_command(std::string_view frame) {
  const Firmware firmware = config_.firmware;
  const bool current = firmware == Firmware::Current;
  if (current && frame.empty()) {
    reply(">");
  } else if (current && frame == ":>") {
    reply("<");
  } else if (frame == sync_command(firmware)) {
    device_holds_bus_ = true;  // the target is held in reset
    reply(version_line(firmware, settings_));
    reply(eprom_27512().bus_line);
  } else if (frame == ":EMUON") {
    device_holds_bus_ = false;
    reply(running_reply(firmware));
    emulation_start_.emplace(loaded().begin(), loaded().end());
  } else if (frame == ":iniSPI0" || frame == ":iniSPI1") {
    settings_.spi_save = frame.back() == '1';
    reply(settings_.spi_save ? "-> SPI save ON" : "-> SPI save OFF");
  } else if (frame == ":iniAuto0" || frame == ":iniAuto1") {
    settings_.auto_load = frame.back() == '1';
    reply(settings_.auto_load ? "-> Auto Load ON" : "-> Auto Load OFF");
  } else if (current && (frame == ":help" || frame == "help" || frame == "?")) {
    reply(help_text());
  } else if (frame == ":SPICLR") {
    std::fill(backup_.begin(), backup_.end(), 0xFF);
    reply("->ERASED SPI EEPROM");
  } else if (frame == ":SBN") {
    reply("->in");
    reading_ = Reading::Offset;
    number_.restart();
  } else if (frame.starts_with(":ini")) {
    const EpromType* type = find_eprom(frame.substr(4));
    if (type == nullptr || (type->needs_current_firmware && !current)) return;
    if (settings_.spi_save) settings_.last_eprom = type;
    reply(type->bus_line);
  }
  // Anything else gets no answer, as on the board.
}

void EmulatorDevice::number_read() {
  if (reading_ == Reading::Offset) {
    offset_ = number_.value();
    reading_ = Reading::Count;
    number_.restart();
    return;
  }
  count_ = number_.value();
  received_ = 0;
  reading_ = Reading::Data;
  if (count_ > kMaxBlock) {
    notes_.push_back("Protokollfehler: Block von " + std::to_string(count_) + " Bytes an " +
                     std::to_string(offset_) + " abgewiesen, das Gerät fasst höchstens " +
                     std::to_string(kMaxBlock) + "; seine Bytes werden gelesen und verworfen");
  }
}

// The firmware reads the line feed after the count and then the data, all
// into one buffer; only the data goes to memory.
void EmulatorDevice::data_byte(unsigned char c) {
  if (count_ <= kMaxBlock) block_[received_] = c;
  ++received_;
  if (received_ == std::size_t{count_} + 1) block_done(false);
}

void EmulatorDevice::block_done(bool stalled) {
  reading_ = Reading::Frame;
  if (count_ > kMaxBlock) return;  // refused: nothing stored, no ACK
  if (stalled) {
    const std::size_t data = received_ > 0 ? received_ - 1 : 0;
    notes_.push_back("Block an " + std::to_string(offset_) + " blieb nach " + std::to_string(data) + " von " +
                     std::to_string(count_) + " Datenbytes stecken; mit alten Bytes gespeichert und bestätigt");
  }
  for (std::size_t i = 0; i < count_; ++i) {
    const auto address = static_cast<std::uint16_t>(offset_ + i);  // wraps at 64 KiB
    if (device_holds_bus_) {
      sram_[address] = block_[i + 1];
      written_end_ = std::max(written_end_, std::size_t{address} + 1);
    }
    if (settings_.spi_save) backup_[address] = block_[i + 1];
  }
  if (settings_.spi_save) {
    const Micros pages = (count_ + 127) / 128;
    busy_until_ = clock_ + pages * kBackupWritePerPage;
    clock_ = busy_until_;
  }
  reply("ACK");
}

}  // namespace zorvin::emusim
