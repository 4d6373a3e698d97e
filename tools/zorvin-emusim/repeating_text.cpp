#include "repeating_text.h"

namespace zorvin::emusim {

std::string RepeatingText::take(Micros now) {
  std::string out;
  if (text_.empty()) return out;
  while (next_due() <= now) {
    out.push_back(text_[static_cast<std::size_t>(sent_) % text_.size()]);
    ++sent_;
  }
  return out;
}

std::string decode_escapes(std::string_view text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char next = i + 1 < text.size() ? text[i + 1] : '\0';
    if (text[i] == '\\' && (next == 'r' || next == 'n' || next == '\\')) {
      out.push_back(next == 'r' ? '\r' : next == 'n' ? '\n' : '\\');
      ++i;
    } else {
      out.push_back(text[i]);
    }
  }
  return out;
}

}  // namespace zorvin::emusim
