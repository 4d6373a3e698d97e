#include "asm/error_lines.h"

#include <algorithm>
#include <charconv>
#include <string>

namespace zorvin::asm48 {

std::optional<int> error_line_number(std::string_view message) {
  constexpr std::string_view kPrefix = "Zeile: ";
  constexpr std::string_view kArrow = " -> ";
  if (!message.starts_with(kPrefix)) return std::nullopt;
  const std::string_view rest = message.substr(kPrefix.size());
  int number = 0;
  const auto [end, error] = std::from_chars(rest.data(), rest.data() + rest.size(), number);
  if (error != std::errc() || end == rest.data() || number < 1) return std::nullopt;
  if (!std::string_view(end, rest.data() + rest.size() - end).starts_with(kArrow)) return std::nullopt;
  return number;
}

std::vector<int> distinct_error_lines(const std::vector<std::string>& messages) {
  std::vector<int> lines;
  for (const std::string& message : messages) {
    if (const auto line = error_line_number(message)) lines.push_back(*line);
  }
  std::sort(lines.begin(), lines.end());
  lines.erase(std::unique(lines.begin(), lines.end()), lines.end());
  return lines;
}

std::vector<int> distinct_error_lines(std::span<const Diagnostic> diagnostics) {
  std::vector<int> lines;
  for (const Diagnostic& diagnostic : diagnostics)
    if (diagnostic.line > 0) lines.push_back(diagnostic.line);
  std::sort(lines.begin(), lines.end());
  lines.erase(std::unique(lines.begin(), lines.end()), lines.end());
  return lines;
}

std::optional<int> next_error_line(const std::vector<int>& lines, int current, bool forward) {
  if (lines.empty()) return std::nullopt;
  if (forward) {
    const auto after = std::upper_bound(lines.begin(), lines.end(), current);
    return after == lines.end() ? lines.front() : *after;
  }
  const auto at_or_after = std::lower_bound(lines.begin(), lines.end(), current);
  return at_or_after == lines.begin() ? lines.back() : *(at_or_after - 1);
}

}  // namespace zorvin::asm48
