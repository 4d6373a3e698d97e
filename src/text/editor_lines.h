// Splits editor text into lines the way the text view counts them.
#pragma once

#include <cstddef>
#include <string_view>
#include <vector>

namespace zorvin {

// A line ends at "\n", "\r\n", "\r" or U+2029. Empty text has no lines; text
// ending in a line end has one more, empty, last line.
std::vector<std::string_view> editor_lines(std::string_view text);

// The same lines one at a time: from `pos` (0 to start), stores the next line
// and moves `pos` past its line end. False when no line is left; call it
// only on text that is not empty.
bool next_editor_line(std::string_view text, std::size_t& pos, std::string_view& line);

// The same lines one at a time. A text without "\r" and U+2029, the usual
// case, is split at "\n" alone, which finds each line with one search.
class EditorLineReader {
 public:
  explicit EditorLineReader(std::string_view text);
  // Stores the next line; false when no line is left. Inline: it runs once
  // for every line of every source.
  bool next(std::string_view& line) {
    if (!newlines_only_) return next_editor_line(text_, pos_, line);
    if (pos_ > text_.size()) return false;
    const std::size_t end = text_.find('\n', pos_);
    line = text_.substr(pos_, end - pos_);
    pos_ = end == std::string_view::npos ? text_.size() + 1 : end + 1;
    return true;
  }
  // True once every line was taken (at once for an empty text).
  bool at_end() const { return pos_ > text_.size(); }

 private:
  std::string_view text_;
  std::size_t pos_ = 0;  // text_.size() + 1 once the last line is taken
  bool newlines_only_ = true;
};

// Number of lines editor_lines would give.
std::size_t editor_line_count(std::string_view text);

// True when the text holds nothing but characters up to U+0020 (blanks,
// tabs, line ends): there is nothing to assemble.
bool is_blank_text(std::string_view text);

}  // namespace zorvin
