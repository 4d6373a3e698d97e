#include "wire.h"

namespace zorvin::emusim {

void Wire::send(Micros at, std::string_view text) {
  for (const char c : text) {
    if (at >= idle_at()) {
      run_start_ = at;
      run_bytes_ = 0;
    }
    queue_.push_back({byte_sent_at(run_start_, run_bytes_), c});
    ++run_bytes_;
  }
}

std::string Wire::take(Micros now) {
  std::string out;
  while (!queue_.empty() && queue_.front().due <= now) {
    out.push_back(queue_.front().value);
    queue_.pop_front();
  }
  return out;
}

std::optional<Micros> Wire::next_due() const {
  if (queue_.empty()) return std::nullopt;
  return queue_.front().due;
}

void Wire::clear() {
  queue_.clear();
  run_start_ = 0;
  run_bytes_ = 0;
}

}  // namespace zorvin::emusim
