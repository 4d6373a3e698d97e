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

namespace {

// Position after the quoted text that starts at `pos`, escapes skipped.
std::size_t after_quote(std::string_view line, std::size_t pos) {
  const char quote = line[pos++];
  for (; pos < line.size(); ++pos) {
    if (line[pos] == '\\' && pos + 1 < line.size()) ++pos;
    else if (line[pos] == quote) return pos + 1;
  }
  return pos;
}

}  // namespace

bool put_in_text_defines(std::string_view line, const std::vector<TextDefine>& defines, std::string& out,
                         std::size_t limit) {
  out.clear();
  bool replaced = false;
  std::size_t i = 0;
  while (i < line.size()) {
    const char c = line[i];
    if (c == ';') {
      out.append(line.substr(i));
      break;
    }
    if (c == '\'' || c == '"') {
      const std::size_t end = after_quote(line, i);
      out.append(line.substr(i, end - i));
      i = end;
      continue;
    }
    if (!is_name_start(c) || (i > 0 && is_name_char(line[i - 1]))) {
      out.push_back(c);
      ++i;
      continue;
    }
    std::size_t end = i + 1;
    while (end < line.size() && is_name_char(line[end])) ++end;
    const std::string_view name = line.substr(i, end - i);
    const TextDefine* define = nullptr;
    // As with the C preprocessor, blanks may stand between name and "(".
    std::size_t open = end;
    while (open < line.size() && (line[open] == ' ' || line[open] == '\t')) ++open;
    if (open < line.size() && line[open] == '(') {
      const std::string folded = fold_case(name);
      for (const TextDefine& d : defines)
        if (d.name == folded) define = &d;
    }
    if (!define) {
      out.append(name);
      i = end;
      continue;
    }
    // The arguments up to the parenthesis that closes the one after the name.
    int depth = 0;
    std::size_t close = open;
    for (; close < line.size(); ++close) {
      if (line[close] == '\'' || line[close] == '"') {
        close = after_quote(line, close) - 1;
      } else if (line[close] == '(') {
        ++depth;
      } else if (line[close] == ')' && --depth == 0) {
        break;
      }
    }
    if (close >= line.size()) {  // not closed: left as written, the expression reports it
      out.append(line.substr(i));
      break;
    }
    const auto arguments = split_arguments(line.substr(open + 1, close - open - 1));
    std::vector<std::pair<std::string, std::string>> replacements;
    for (std::size_t k = 0; k < define->parameters.size(); ++k)
      replacements.emplace_back(define->parameters[k], k < arguments.size() ? std::string(arguments[k]) : "");
    std::string text;
    substitute_names(define->text, replacements, text, limit);
    out += text;
    replaced = true;
    if (out.size() > limit) return true;
    i = close + 1;
  }
  return replaced;
}

std::vector<std::string_view> split_statements(std::string_view body) {
  std::vector<std::string_view> pieces;
  std::size_t start = 0;
  for (std::size_t i = 0; i <= body.size(); ++i) {
    if (i < body.size() && (body[i] == '\'' || body[i] == '"')) {
      i = after_quote(body, i) - 1;
      continue;
    }
    if (i < body.size() && body[i] != '\\') continue;
    const std::string_view piece = trim_blanks(body.substr(start, i - start));
    if (!piece.empty()) pieces.push_back(piece);
    start = i + 1;
  }
  return pieces;
}

std::size_t code_end_of(std::string_view line) {
  for (std::size_t i = 0; i < line.size(); ++i) {
    if (line[i] == ';') return i;
    if (line[i] == '\'' || line[i] == '"') i = after_quote(line, i) - 1;
  }
  return line.size();
}

}  // namespace zorvin::asm48::ext
