// Text work for macros: splitting a macro call's arguments, finding the
// labels a body defines, and putting arguments and expansion-local label
// names into a body line.
#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace zorvin::asm48::ext {

// Pieces between top-level commas (outside quotes and parentheses), trimmed.
// An empty text gives no piece.
std::vector<std::string_view> split_arguments(std::string_view text);

// Names the body defines as labels ("name:" first on a line); they become
// local to each expansion.
std::vector<std::string> body_labels(const std::vector<std::string>& body);

// Replaces every whole name (outside quotes) whose folded form is a key of
// `replacements` by its text. Returns false when nothing was replaced.
// Stops once `out` is longer than `limit`: the caller refuses such a line.
bool substitute_names(std::string_view line, const std::vector<std::pair<std::string, std::string>>& replacements,
                      std::string& out, std::size_t limit);

// A #DEFINE NAME(a,b) whose text is a piece of an expression, put in
// wherever NAME(...) stands in a line, as a C preprocessor does.
struct TextDefine {
  std::string name;                     // folded
  std::vector<std::string> parameters;  // folded
  std::string text;
};

// The line with every NAME(arguments) of a text define (outside quotes and
// the comment) replaced by its text, the arguments put in. Returns false
// when nothing was replaced; stops once `out` is longer than `limit`.
bool put_in_text_defines(std::string_view line, const std::vector<TextDefine>& defines, std::string& out,
                         std::size_t limit);

// The statements of a #DEFINE body: the pieces between the "\" that
// separate them (outside quotes), trimmed; empty pieces are left out.
std::vector<std::string_view> split_statements(std::string_view body);

// Where the code of a line ends: its ";" comment outside quotes, or its end.
std::size_t code_end_of(std::string_view line);

}  // namespace zorvin::asm48::ext
