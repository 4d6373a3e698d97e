#include "asm/editor_lines.h"

namespace zorvin::asm48 {

namespace {

constexpr std::string_view kParagraphSeparator = "\xE2\x80\xA9";  // U+2029

// Position of the next line end from pos (text.size() when none) and its length.
std::size_t find_line_end(std::string_view text, std::size_t pos, std::size_t& end_length) {
  for (; pos < text.size(); ++pos) {
    const char c = text[pos];
    // Most bytes are none of the three starts; test them cheaply first.
    if (c != '\n' && c != '\r' && c != '\xE2') continue;
    if (c == '\n') {
      end_length = 1;
      return pos;
    }
    if (c == '\r') {
      end_length = (pos + 1 < text.size() && text[pos + 1] == '\n') ? 2 : 1;
      return pos;
    }
    if (text.substr(pos).starts_with(kParagraphSeparator)) {
      end_length = kParagraphSeparator.size();
      return pos;
    }
  }
  end_length = 0;
  return text.size();
}

}  // namespace

bool next_editor_line(std::string_view text, std::size_t& pos, std::string_view& line) {
  // pos == text.size() + 1 marks the last line as taken.
  if (pos > text.size()) return false;
  std::size_t end_length = 0;
  const std::size_t end = find_line_end(text, pos, end_length);
  line = text.substr(pos, end - pos);
  pos = end_length == 0 ? text.size() + 1 : end + end_length;
  return true;
}

std::vector<std::string_view> editor_lines(std::string_view text) {
  std::vector<std::string_view> lines;
  if (text.empty()) return lines;
  std::size_t pos = 0;
  std::string_view line;
  while (next_editor_line(text, pos, line)) lines.push_back(line);
  return lines;
}

std::size_t editor_line_count(std::string_view text) {
  if (text.empty()) return 0;
  std::size_t count = 0;
  std::size_t pos = 0;
  std::string_view line;
  while (next_editor_line(text, pos, line)) ++count;
  return count;
}

bool is_blank_text(std::string_view text) {
  // Bytes up to 20H are exactly the characters up to U+0020 in UTF-8.
  for (char c : text)
    if (static_cast<unsigned char>(c) > 0x20) return false;
  return true;
}

}  // namespace zorvin::asm48
