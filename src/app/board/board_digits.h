// Multiplexed 7-segment digits: the program lights one digit after the
// other through select pins, each for a moment. The eye sees on each digit
// what it was lit with for the longest stretch since the last look.
#pragma once

#include <array>
#include <cstdint>

namespace zorvin::app {

class MultiplexedDigits {
 public:
  static constexpr int kMaxDigits = 4;

  // From `cycle` on, the digits in `selected` (bit k: digit k) light `segments`.
  void pins(std::uint64_t cycle, std::uint8_t selected, std::uint8_t segments);
  // A look at `cycle`: a digit selected since the last look shows what it
  // was lit with longest; one that was not keeps what it showed.
  void settle(std::uint64_t cycle);
  std::uint8_t shown(int digit) const { return shown_[static_cast<std::size_t>(digit)]; }
  void clear() { *this = MultiplexedDigits(); }

 private:
  std::uint64_t since_ = 0;
  std::uint8_t selected_ = 0;
  std::uint8_t segments_ = 0;
  std::array<std::uint64_t, kMaxDigits> longest_{};
  std::array<std::uint8_t, kMaxDigits> longest_segments_{};
  std::array<std::uint8_t, kMaxDigits> shown_{};
};

}  // namespace zorvin::app
