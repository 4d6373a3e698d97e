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

}  // namespace zorvin::asm48::ext
