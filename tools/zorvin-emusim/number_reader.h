// How the firmware reads a number from the serial line (Arduino's
// Stream::parseInt): everything that is neither a digit nor '-' is skipped,
// then an optional '-' and a run of digits make the number. The first other
// byte ends it and stays unread. A wait that runs out ends the number too;
// before any digit that makes it 0. The value is kept modulo 65536, which
// is all the 16-bit addresses and counts of the device use.
#pragma once

#include <cstdint>

namespace zorvin::emusim {

class NumberReader {
 public:
  void restart() { *this = NumberReader(); }

  // Offers the next byte. False when the byte ends the number: it is not
  // taken and belongs to whatever the firmware reads next.
  bool offer(unsigned char c);
  // The wait for the next byte ran out: the number is what was read so far.
  void time_out() { done_ = true; }

  bool done() const { return done_; }
  std::uint16_t value() const {
    return negative_ ? static_cast<std::uint16_t>(-magnitude_) : magnitude_;
  }

 private:
  bool started_ = false;  // '-' or a digit seen
  bool negative_ = false;
  bool done_ = false;
  std::uint16_t magnitude_ = 0;
};

}  // namespace zorvin::emusim
