#include "emulator_device.h"

#include <algorithm>

namespace zorvin::emusim {

EmulatorDevice::EmulatorDevice(DeviceConfig config, StoredSettings settings,
                               std::vector<unsigned char> backup)
    : config_(std::move(config)),
      settings_(settings),
      sram_(kMemorySize, 0),
      backup_(std::move(backup)) {
  backup_.resize(kMemorySize, 0xFF);
}

void EmulatorDevice::reset(Micros now) {
  powered_ = true;
  started_ = false;
  boot_end_ = now + config_.boot_pause;
  clock_ = now;
  busy_until_ = now;
  receive_buffer_.clear();
  wire_.clear();
  reading_ = Reading::Frame;
  frame_.clear();
  block_.fill(0);  // the firmware's buffers start zeroed
}

void EmulatorDevice::receive(std::string_view bytes, Micros now) {
  for (const char c : bytes) {
    advance(now);
    const std::uint64_t number = ++host_bytes_;
    if (config_.lost_on_line.contains(number)) {
      lose(number, "auf der Leitung (--lose-byte)");
    } else if (!started_) {
      lose(number, "in der Bootpause");
    } else if (receive_buffer_.size() >= kReceiveBuffer) {
      lose(number, "an den vollen Empfangspuffer (64 Bytes), während das Gerät beschäftigt war");
    } else {
      receive_buffer_.push_back({static_cast<unsigned char>(c), now});
    }
  }
  advance(now);
  lose(0, "");  // notes the last run of lost bytes
}

void EmulatorDevice::lose(std::uint64_t number, const char* why) {
  if (number != 0 && loss_note_ == why && number == loss_last_ + 1) {
    loss_last_ = number;
    return;
  }
  if (!loss_note_.empty()) {
    const std::string which = loss_first_ == loss_last_
                                  ? "Byte " + std::to_string(loss_first_)
                                  : "Bytes " + std::to_string(loss_first_) + "-" +
                                        std::to_string(loss_last_);
    notes_.push_back(which + " vom Host verloren " + loss_note_);
  }
  loss_note_ = why;
  loss_first_ = loss_last_ = number;
}

void EmulatorDevice::advance(Micros now) {
  if (powered_ && !started_ && boot_end_ <= now) {
    started_ = true;
    clock_ = boot_end_;
    busy_until_ = start_up(boot_end_);
  }
  if (!started_) return;
  for (;;) {
    const Micros ready = std::max(clock_, busy_until_);
    if (ready > now) return;
    const std::optional<Micros> give_up = give_up_at();
    if (!receive_buffer_.empty()) {
      const Micros at = std::max(ready, receive_buffer_.front().arrived);
      if (give_up && at > *give_up) {
        clock_ = *give_up;
        time_out();
        continue;
      }
      clock_ = at;
      if (take_byte(receive_buffer_.front().value)) receive_buffer_.pop_front();
      continue;
    }
    if (!give_up || *give_up > now) return;
    clock_ = *give_up;
    time_out();
  }
}

std::optional<Micros> EmulatorDevice::next_deadline() const {
  std::optional<Micros> next = wire_.next_due();
  const auto consider = [&next](Micros at) { next = next ? std::min(*next, at) : at; };
  if (powered_ && !started_) {
    consider(boot_end_);
  } else if (started_ && !receive_buffer_.empty()) {
    consider(std::max(clock_, busy_until_));
  } else if (const std::optional<Micros> give_up = give_up_at()) {
    consider(*give_up);
  }
  return next;
}

// While a :SBN block is read, every byte is waited for at most a second.
std::optional<Micros> EmulatorDevice::give_up_at() const {
  if (!started_ || reading_ == Reading::Frame) return std::nullopt;
  return std::max(clock_, busy_until_) + kReadTimeout;
}

bool EmulatorDevice::take_byte(unsigned char c) {
  switch (reading_) {
    case Reading::Frame: frame_byte(c); return true;
    case Reading::Offset:
    case Reading::Count:
      if (number_.offer(c)) return true;
      number_read();
      return false;  // the byte that ended the number is read next
    case Reading::Data: data_byte(c); return true;
  }
  return true;
}

void EmulatorDevice::time_out() {
  if (reading_ == Reading::Data) {
    block_done(true);
  } else {
    number_.time_out();
    number_read();
  }
}

}  // namespace zorvin::emusim
