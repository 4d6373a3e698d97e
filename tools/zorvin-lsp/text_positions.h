// Positions in a document's text. The server keeps texts as UTF-8 and
// columns as byte offsets; the protocol counts UTF-16 code units. Sources
// read from disk are 8-bit text and become UTF-8 before they get here.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace zorvin::lsp {

// The lines of a text without their ends ("\n", "\r\n" or "\r").
class LineIndex {
 public:
  LineIndex() = default;
  explicit LineIndex(std::string_view text);

  std::size_t line_count() const { return starts_.size(); }
  // The line's text, empty past the last line.
  std::string_view line(std::size_t number) const;

 private:
  std::string_view text_;
  std::vector<std::size_t> starts_;
  std::vector<std::size_t> ends_;
};

// UTF-16 code units of the line's first `byte_column` bytes.
std::size_t utf16_column(std::string_view line, std::size_t byte_column);

// The byte offset of a UTF-16 column: never inside a character, and the
// line's length for a column past its end.
std::size_t byte_column(std::string_view line, std::size_t utf16_column);

}  // namespace zorvin::lsp
