#include "emu/reply_reader.h"

#include <algorithm>
#include <array>
#include <span>

#include "emu/clock.h"
#include "text/text_codec.h"

namespace zorvin::emu {

bool ReplyReader::poll(std::int64_t deadline_ms) {
  const std::int64_t left = deadline_ms - elapsed_ms();
  const auto idle = [&] {
    delay_ms(static_cast<int>(std::min<std::int64_t>(idle_wait_ms_, deadline_ms - elapsed_ms())));
  };
  if (left > 0 && !ports_.wait_readable(kEmulatorPort, static_cast<int>(left))) {
    idle();  // only when the wait failed before its time: a port not open is not polled busily
    return false;
  }
  std::array<unsigned char, 2048> buffer{};
  bool any = false;
  // Everything waiting, also when more than one buffer full is there.
  for (std::size_t waiting; (waiting = std::min(ports_.available(kEmulatorPort), buffer.size())) > 0;) {
    const std::size_t got = ports_.read(kEmulatorPort, std::span(buffer.data(), waiting));
    if (got == 0) break;
    add(buffer.data(), got);
    any = true;
  }
  if (any) {
    last_data_ms_ = elapsed_ms();
  } else if (left > 0) {
    idle();  // reported readable, yet nothing there: the device hung up or failed
  }
  return any;
}

void ReplyReader::add(const unsigned char* bytes, std::size_t count) {
  for (std::size_t i = 0; i < count; ++i) {
    const unsigned char byte = bytes[i];
    if (byte == '\n') {
      if (!partial_.empty() && partial_.back() == '\r') partial_.pop_back();
      lines_.push_back(std::move(partial_));
      partial_.clear();
      continue;
    }
    if (byte == 0) continue;  // line noise, never part of a reply
    partial_ += latin1_to_utf8(std::string(1, static_cast<char>(byte)));
    if (partial_.size() >= kMaxLineLength) {
      lines_.push_back(std::move(partial_));
      partial_.clear();
    }
  }
}

std::vector<std::string> ReplyReader::take_lines() {
  std::vector<std::string> taken;
  taken.swap(lines_);
  return taken;
}

std::optional<std::string> ReplyReader::next_line(std::int64_t deadline_ms) {
  while (lines_.empty()) {
    if (elapsed_ms() >= deadline_ms) return std::nullopt;
    poll(deadline_ms);
  }
  std::string line = std::move(lines_.front());
  lines_.erase(lines_.begin());
  return line;
}

std::optional<std::string> ReplyReader::next_line_while_talking(int quiet_ms, std::int64_t deadline_ms) {
  while (lines_.empty()) {
    const std::int64_t quiet_at = last_data_ms_.value_or(elapsed_ms()) + quiet_ms;
    const std::int64_t until = std::min(quiet_at, deadline_ms);
    if (elapsed_ms() >= until) return std::nullopt;
    poll(until);
  }
  return next_line(deadline_ms);
}

std::string joined(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += line;
  return text;
}

}  // namespace zorvin::emu
