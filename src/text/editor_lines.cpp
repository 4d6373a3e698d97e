#include "text/editor_lines.h"

#include <cstring>

namespace zorvin {

namespace {

constexpr std::string_view kParagraphSeparator = "\xE2\x80\xA9";  // U+2029

// Position of the next line end from pos (text.size() when none) and its
// length. memchr finds each kind of line end; the earliest one counts.
std::size_t find_line_end(std::string_view text, std::size_t pos, std::size_t& end_length) {
  const char* const begin = text.data() + pos;
  const auto before = [begin](const void* found) { return static_cast<std::size_t>(static_cast<const char*>(found) - begin); };
  std::size_t limit = text.size() - pos;
  end_length = 0;
  if (const void* lf = std::memchr(begin, '\n', limit)) {
    limit = before(lf);
    end_length = 1;
  }
  if (const void* cr = std::memchr(begin, '\r', limit)) {
    limit = before(cr);
    end_length = (pos + limit + 1 < text.size() && begin[limit + 1] == '\n') ? 2 : 1;
  }
  for (const void* lead = std::memchr(begin, kParagraphSeparator[0], limit); lead != nullptr;
       lead = std::memchr(static_cast<const char*>(lead) + 1, kParagraphSeparator[0], limit - before(lead) - 1)) {
    if (text.substr(pos + before(lead)).starts_with(kParagraphSeparator)) {
      end_length = kParagraphSeparator.size();
      return pos + before(lead);
    }
  }
  return pos + limit;
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
  // One more line than line ends: every "\n", every "\r" not before a "\n",
  // every U+2029.
  const auto count = [text](char byte, auto&& counts) {
    std::size_t found = 0;
    for (std::size_t at = text.find(byte); at != std::string_view::npos; at = text.find(byte, at + 1))
      found += counts(at) ? 1 : 0;
    return found;
  };
  return 1 + count('\n', [](std::size_t) { return true; }) +
         count('\r', [text](std::size_t at) { return at + 1 == text.size() || text[at + 1] != '\n'; }) +
         count(kParagraphSeparator[0], [text](std::size_t at) { return text.substr(at).starts_with(kParagraphSeparator); });
}

EditorLineReader::EditorLineReader(std::string_view text)
    : text_(text),
      pos_(text.empty() ? 1 : 0),
      newlines_only_(text.find('\r') == std::string_view::npos &&
                     text.find(kParagraphSeparator[0]) == std::string_view::npos) {}

bool is_blank_text(std::string_view text) {
  // Bytes up to 20H are exactly the characters up to U+0020 in UTF-8.
  for (char c : text)
    if (static_cast<unsigned char>(c) > 0x20) return false;
  return true;
}

}  // namespace zorvin
