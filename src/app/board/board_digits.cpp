#include "app/board/board_digits.h"

namespace zorvin::app {

void MultiplexedDigits::pins(std::uint64_t cycle, std::uint8_t selected, std::uint8_t segments) {
  const std::uint64_t stretch = cycle > since_ ? cycle - since_ : 0;
  for (std::size_t k = 0; k < kMaxDigits; ++k) {
    if (((selected_ >> k) & 1) == 0 || stretch <= longest_[k]) continue;
    longest_[k] = stretch;
    longest_segments_[k] = segments_;
  }
  since_ = cycle;
  selected_ = selected;
  segments_ = segments;
}

void MultiplexedDigits::settle(std::uint64_t cycle) {
  pins(cycle, selected_, segments_);
  for (std::size_t k = 0; k < kMaxDigits; ++k) {
    if (longest_[k] > 0) shown_[k] = longest_segments_[k];
    longest_[k] = 0;
  }
}

}  // namespace zorvin::app
