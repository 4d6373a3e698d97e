#include "board/board_file_edit.h"

#include <algorithm>
#include <cctype>
#include <vector>

namespace zorvin::board {

namespace {

constexpr std::string_view kBom = "\xEF\xBB\xBF";

bool is_blank(char c) { return c == ' ' || c == '\t' || c == '\r'; }

std::string_view trimmed(std::string_view text) {
  while (!text.empty() && is_blank(text.front())) text.remove_prefix(1);
  while (!text.empty() && is_blank(text.back())) text.remove_suffix(1);
  return text;
}

bool same_name(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
         });
}

}  // namespace

std::string set_board_value(std::string_view text, std::string_view group, std::string_view key,
                            std::string_view value) {
  const std::string newline = text.find("\r\n") != std::string_view::npos ? "\r\n" : "\n";
  // The lines with their ends; the byte-order mark stays before the first.
  const bool bom = text.starts_with(kBom);
  if (bom) text.remove_prefix(kBom.size());
  std::vector<std::string> lines;
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    lines.emplace_back(text.substr(0, end == std::string_view::npos ? text.size() : end + 1));
    text.remove_prefix(lines.back().size());
  }
  const auto joined = [&] {
    std::string out = bom ? std::string(kBom) : std::string();
    for (const std::string& line : lines) out += line;
    return out;
  };
  const std::string entry = std::string(key) + " = " + std::string(value) + newline;
  bool inside = false;
  std::size_t after_group = lines.size();  // the line a new entry goes before
  bool group_found = false;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const std::string_view line = trimmed(std::string_view(lines[i]).substr(0, lines[i].find('\n')));
    if (line.starts_with('[')) {
      inside = line.ends_with(']') && same_name(trimmed(line.substr(1, line.size() - 2)), group);
      if (inside) group_found = true, after_group = i + 1;
      continue;
    }
    const std::size_t equals = line.find('=');
    if (!inside || line.empty() || line.front() == ';' || line.front() == '#' || equals == std::string_view::npos)
      continue;
    after_group = i + 1;
    if (!same_name(trimmed(line.substr(0, equals)), key)) continue;
    // The old value, from after "=" and its blanks to before a comment and
    // the blanks before it.
    std::string& text_line = lines[i];
    std::size_t start = text_line.find('=') + 1;
    while (start < text_line.size() && (text_line[start] == ' ' || text_line[start] == '\t')) ++start;
    std::size_t stop = std::min(text_line.find(';', start), text_line.find_first_of("\r\n", start));
    if (stop == std::string::npos) stop = text_line.size();
    while (stop > start && (text_line[stop - 1] == ' ' || text_line[stop - 1] == '\t')) --stop;
    text_line.replace(start, stop - start, value);
    return joined();
  }
  if (!lines.empty() && !lines.back().ends_with('\n')) lines.back() += newline;
  if (group_found) {
    lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(after_group), entry);
  } else {
    if (!lines.empty()) lines.push_back(newline);
    lines.push_back("[" + std::string(group) + "]" + newline);
    lines.push_back(entry);
  }
  return joined();
}

}  // namespace zorvin::board
