#include "text_positions.h"

namespace zorvin::lsp {

namespace {

// Bytes of the UTF-8 sequence a lead byte starts; 1 for a byte that
// starts none (a malformed one counts as one character, as decoding does).
std::size_t sequence_length(unsigned char lead) {
  if (lead < 0xC0) return 1;
  if (lead < 0xE0) return 2;
  if (lead < 0xF0) return 3;
  if (lead < 0xF8) return 4;
  return 1;
}

// One character at `at`: its byte length (cut at the line's end) and its
// UTF-16 units (two for characters beyond U+FFFF).
struct Character {
  std::size_t bytes;
  std::size_t units;
};

Character character_at(std::string_view line, std::size_t at) {
  const std::size_t wanted = sequence_length(static_cast<unsigned char>(line[at]));
  std::size_t length = 1;
  while (length < wanted && at + length < line.size() &&
         (static_cast<unsigned char>(line[at + length]) & 0xC0) == 0x80)
    ++length;
  if (length < wanted) return {1, 1};  // a broken sequence: its lead byte alone, as U+FFFD
  return {length, length == 4 ? std::size_t{2} : std::size_t{1}};
}

}  // namespace

LineIndex::LineIndex(std::string_view text) : text_(text) {
  std::size_t start = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\n' && text[i] != '\r') continue;
    starts_.push_back(start);
    ends_.push_back(i);
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    start = i + 1;
  }
  starts_.push_back(start);
  ends_.push_back(text.size());
}

std::string_view LineIndex::line(std::size_t number) const {
  if (number >= starts_.size()) return {};
  return text_.substr(starts_[number], ends_[number] - starts_[number]);
}

std::size_t utf16_column(std::string_view line, std::size_t byte_column) {
  std::size_t units = 0;
  for (std::size_t at = 0; at < line.size() && at < byte_column;) {
    const Character c = character_at(line, at);
    at += c.bytes;
    units += c.units;
  }
  return units;
}

std::size_t byte_column(std::string_view line, std::size_t utf16_column) {
  std::size_t units = 0;
  std::size_t at = 0;
  while (at < line.size()) {
    const Character c = character_at(line, at);
    if (units + c.units > utf16_column) break;
    units += c.units;
    at += c.bytes;
  }
  return at;
}

}  // namespace zorvin::lsp
