// Output of a broken device for --stream: one text sent over and over at
// 115200 baud while the host has the port open.
#pragma once

#include <string>
#include <string_view>

#include "device_time.h"

namespace zorvin::emusim {

class RepeatingText {
 public:
  explicit RepeatingText(std::string text) : text_(std::move(text)) {}

  // The host opened the port: sending starts afresh.
  void start(Micros at) {
    start_ = at;
    sent_ = 0;
  }
  // The bytes that have left since the last call.
  std::string take(Micros now);
  Micros next_due() const { return byte_sent_at(start_, sent_); }

 private:
  std::string text_;
  Micros start_ = 0;
  std::int64_t sent_ = 0;
};

// Decodes \r, \n and \\ as in C; any other backslash stays as it is.
std::string decode_escapes(std::string_view text);

}  // namespace zorvin::emusim
