// One direction of the serial line: bytes leave one after the other at
// 115200 baud, so text sent at once is spread over time as on the real line.
// It carries the board's output, and the host's bytes to the board.
#pragma once

#include <deque>
#include <optional>
#include <string>
#include <string_view>

#include "device_time.h"

namespace zorvin::emusim {

class Wire {
 public:
  // Queues `text`, printed at `at`, behind whatever is still going out.
  void send(Micros at, std::string_view text);
  // The bytes that have left by `now`, in order.
  std::string take(Micros now);
  std::optional<Micros> next_due() const;
  // When the last queued byte has left (or left already).
  Micros idle_at() const { return byte_sent_at(run_start_, run_bytes_ - 1); }
  // A reset: what the board had not sent yet is gone.
  void clear();

 private:
  struct Byte {
    Micros due;
    char value;
  };
  std::deque<Byte> queue_;
  // Bytes sent back to back since run_start_; a pause starts a new run.
  Micros run_start_ = 0;
  std::int64_t run_bytes_ = 0;
};

}  // namespace zorvin::emusim
