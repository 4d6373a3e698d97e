#include "asm/ext/macro_text.h"

#include "asm/ext/lexer.h"
#include "text/unicode_text.h"

namespace zorvin::asm48::ext {

std::vector<std::string_view> split_arguments(std::string_view text) {
  std::vector<std::string_view> pieces;
  if (trim_blanks(text).empty()) return pieces;
  int depth = 0;
  char quote = 0;
  std::size_t start = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (quote) {
      if (c == '\\' && i + 1 < text.size()) ++i;
      else if (c == quote) quote = 0;
    } else if (c == '\'' || c == '"') {
      quote = c;
    } else if (c == '(') {
      ++depth;
    } else if (c == ')') {
      if (depth > 0) --depth;
    } else if (c == ',' && depth == 0) {
      pieces.push_back(trim_blanks(text.substr(start, i - start)));
      start = i + 1;
    }
  }
  pieces.push_back(trim_blanks(text.substr(start)));
  return pieces;
}

std::vector<std::string> body_labels(const std::vector<std::string>& body) {
  std::vector<std::string> labels;
  for (const std::string& line : body) {
    const TokenLine tokens = tokenize(line);
    if (tokens.tokens.size() >= 2 && tokens.tokens[0].kind == TokenKind::Name &&
        tokens.tokens[1].kind == TokenKind::Operator && tokens.tokens[1].text == ":")
      labels.push_back(fold_case(tokens.tokens[0].text));
  }
  return labels;
}

bool substitute_names(std::string_view line, const std::vector<std::pair<std::string, std::string>>& replacements,
                      std::string& out, std::size_t limit) {
  out.clear();
  bool replaced = false;
  char quote = 0;
  std::size_t i = 0;
  while (i < line.size()) {
    const char c = line[i];
    if (quote) {
      out.push_back(c);
      if (c == '\\' && i + 1 < line.size()) out.push_back(line[++i]);
      else if (c == quote) quote = 0;
      ++i;
    } else if (c == ';') {
      out.append(line.substr(i));
      break;
    } else if (c == '\'' || c == '"') {
      quote = c;
      out.push_back(c);
      ++i;
    } else if (c == ']' && i + 1 < line.size() && line[i + 1] >= '0' && line[i + 1] <= '9') {
      // ]1 ... ]9: the numbered parameters of SB-Assembler's macros.
      const std::string_view name = line.substr(i, 2);
      const std::string* text = nullptr;
      for (const auto& [key, value] : replacements)
        if (key == name) text = &value;
      out.append(text ? std::string_view(*text) : name);
      replaced = replaced || text;
      if (out.size() > limit) return true;
      i += 2;
    } else if (is_name_start(c) && !(i > 0 && is_name_char(line[i - 1]))) {
      std::size_t end = i + 1;
      while (end < line.size() && is_name_char(line[end])) ++end;
      const std::string_view name = line.substr(i, end - i);
      const std::string folded = fold_case(name);
      const std::string* text = nullptr;
      for (const auto& [key, value] : replacements)
        if (key == folded) text = &value;
      out.append(text ? std::string_view(*text) : name);
      replaced = replaced || text;
      if (out.size() > limit) return true;
      i = end;
    } else {
      out.push_back(c);
      ++i;
    }
  }
  return replaced;
}

}  // namespace zorvin::asm48::ext
