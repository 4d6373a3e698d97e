#include "number_reader.h"

namespace zorvin::emusim {

bool NumberReader::offer(unsigned char c) {
  const bool digit = c >= '0' && c <= '9';
  if (!started_) {
    if (!digit && c != '-') return true;  // skipped
    started_ = true;
    negative_ = c == '-';
  } else if (!digit) {
    done_ = true;
    return false;
  }
  if (digit) magnitude_ = static_cast<std::uint16_t>(magnitude_ * 10 + (c - '0'));
  return true;
}

}  // namespace zorvin::emusim
