#include "asm/editor_lines.h"

namespace zorvin::asm48 {

namespace {

constexpr std::string_view kParagraphSeparator = "\xE2\x80\xA9";  // U+2029

// Length of the line end starting at pos, 0 when there is none.
std::size_t line_end_length(std::string_view text, std::size_t pos) {
  if (text[pos] == '\n') return 1;
  if (text[pos] == '\r') return (pos + 1 < text.size() && text[pos + 1] == '\n') ? 2 : 1;
  if (text.substr(pos).starts_with(kParagraphSeparator)) return kParagraphSeparator.size();
  return 0;
}

}  // namespace

std::vector<std::string_view> editor_lines(std::string_view text) {
  std::vector<std::string_view> lines;
  if (text.empty()) return lines;
  std::size_t start = 0;
  for (std::size_t pos = 0; pos < text.size();) {
    const std::size_t end_length = line_end_length(text, pos);
    if (end_length == 0) {
      ++pos;
      continue;
    }
    lines.push_back(text.substr(start, pos - start));
    pos += end_length;
    start = pos;
  }
  lines.push_back(text.substr(start));
  return lines;
}

bool is_blank_text(std::string_view text) {
  // Bytes up to 20H are exactly the characters up to U+0020 in UTF-8.
  for (char c : text)
    if (static_cast<unsigned char>(c) > 0x20) return false;
  return true;
}

}  // namespace zorvin::asm48
