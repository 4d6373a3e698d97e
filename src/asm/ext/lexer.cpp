#include "asm/ext/lexer.h"

#include "asm/dialect/dialects.h"
#include "text/unicode_text.h"

namespace zorvin::asm48::ext {

namespace {

bool is_digit(char c) { return c >= '0' && c <= '9'; }

int digit_value(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return 99;
}

bool read_digits(std::string_view digits, int base, std::int32_t& value, bool& too_wide) {
  if (digits.empty()) return false;
  std::uint64_t v = 0;
  for (char c : digits) {
    const int d = digit_value(c);
    if (d >= base) return false;
    v = v * static_cast<unsigned>(base) + static_cast<unsigned>(d);
    // Past 32 bits the value is wrong; going on only keeps v from wrapping.
    if (v > 0xFFFFFFFFu) {
      too_wide = true;
      v &= 0xFFFFFFFFu;
    }
  }
  value = static_cast<std::int32_t>(static_cast<std::uint32_t>(v & 0xFFFFFFFFu));
  return true;
}

char lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

// One character of a quoted text with the backslash escapes applied ("\x41"
// where the convention has it); the position moves past it.
char32_t quoted_char(std::string_view line, std::size_t& pos, bool hex_escapes) {
  if (line[pos] == '\\' && pos + 1 < line.size()) {
    const char c = line[pos + 1];
    if (hex_escapes && (c == 'x' || c == 'X') && pos + 3 < line.size() && digit_value(line[pos + 2]) < 16 &&
        digit_value(line[pos + 3]) < 16) {
      const int value = digit_value(line[pos + 2]) * 16 + digit_value(line[pos + 3]);
      pos += 4;
      return static_cast<char32_t>(value);
    }
    pos += 2;
    switch (c) {
      case 'n': return U'\n';
      case 'r': return U'\r';
      case 't': return U'\t';
      case '0': return U'\0';
      case 'x': {  // \x41: one or two hex digits give the byte
        char32_t value = 0;
        int digits = 0;
        for (; digits < 2 && pos < line.size() && digit_value(line[pos]) < 16; ++digits, ++pos)
          value = value * 16 + static_cast<char32_t>(digit_value(line[pos]));
        return digits > 0 ? value : U'x';
      }
      default: return static_cast<unsigned char>(c);  // \' \" \\ and any other
    }
  }
  // Whole UTF-8 sequence: the character's code point.
  std::size_t length = 1;
  const auto lead = static_cast<unsigned char>(line[pos]);
  if (lead >= 0xF0) length = 4;
  else if (lead >= 0xE0) length = 3;
  else if (lead >= 0xC0) length = 2;
  if (pos + length > line.size()) length = line.size() - pos;
  const std::u32string decoded = decode_utf8(line.substr(pos, length));
  pos += length;
  return decoded.empty() ? U'\uFFFD' : decoded.front();
}

constexpr std::string_view kTwoCharOperators[] = {"<<", ">>", "<=", ">=", "<>", "!=", "==", "&&", "||"};
constexpr std::string_view kLogicalPairs[] = {"~~", "!!", "><"};

// Binary digits with dots between them (%1010.0101) where the convention allows them.
bool read_binary(std::string_view digits, bool dotted, std::int32_t& value, bool& too_wide) {
  if (!dotted || digits.find('.') == std::string_view::npos) return read_digits(digits, 2, value, too_wide);
  if (digits.front() == '.' || digits.back() == '.') return false;
  std::string plain;
  for (char c : digits)
    if (c != '.') plain += c;
  return read_digits(plain, 2, value, too_wide);
}

bool read_number_digits(std::string_view text, std::int32_t& value, bool& too_wide) {
  if (text.empty()) return false;
  if (text.front() == '%') return read_digits(text.substr(1), 16, value, too_wide);
  if (!is_digit(text.front())) return false;
  const char last = lower(text.back());
  if (text.size() > 2 && text[0] == '0' && lower(text[1]) == 'x') return read_digits(text.substr(2), 16, value, too_wide);
  if (last == 'h') return read_digits(text.substr(0, text.size() - 1), 16, value, too_wide);
  if (last == 'b') return read_digits(text.substr(0, text.size() - 1), 2, value, too_wide);
  if (last == 'q' || last == 'o') return read_digits(text.substr(0, text.size() - 1), 8, value, too_wide);
  if (last == 'd') return read_digits(text.substr(0, text.size() - 1), 10, value, too_wide);
  return read_digits(text, 10, value, too_wide);
}

// The forms only some conventions have; false when the text has none of them.
bool read_convention_number(std::string_view text, const Convention& rules, std::int32_t& value, bool& too_wide) {
  if (text.size() < 2) return false;
  const char first = text.front();
  if (first == '$' && rules.dollar_hex) return read_digits(text.substr(1), 16, value, too_wide);
  if (first == '%' && rules.percent_binary) return read_binary(text.substr(1), rules.dotted_binary, value, too_wide);
  if (first == '%') return read_digits(text.substr(1), 16, value, too_wide);
  if (first == '@' && rules.at_octal) return read_digits(text.substr(1), 8, value, too_wide);
  if (rules.zero_b_binary && first == '0' && text.size() > 2 && lower(text[1]) == 'b')
    return read_digits(text.substr(2), 2, value, too_wide);
  if (rules.prefix_radix && first == '0' && text.size() > 2) {
    switch (lower(text[1])) {
      case 'b': return read_digits(text.substr(2), 2, value, too_wide);
      case 'o':
      case 'q': return read_digits(text.substr(2), 8, value, too_wide);
      case 'd': return read_digits(text.substr(2), 10, value, too_wide);
      case 'h': return read_digits(text.substr(2), 16, value, too_wide);
      default: break;
    }
  }
  return false;
}

// The base of an IBM-style number (x'1F', h'1F', o'17', b'0101') that
// starts at `pos`, or 0 when none does: a letter, a quote and a closing
// quote on the line.
int quoted_radix_base(std::string_view line, std::size_t pos) {
  if (pos + 2 >= line.size() || line[pos + 1] != '\'' || line.find('\'', pos + 2) == std::string_view::npos) return 0;
  if (pos > 0 && is_name_char(line[pos - 1])) return 0;  // the end of a longer name
  switch (lower(line[pos])) {
    case 'x':
    case 'h': return 16;
    case 'o': return 8;
    case 'b': return 2;
    default: return 0;
  }
}

// Where fields end at blanks: the start of an item of .AS, .AT or .AZ,
// whose strings stand between any two equal characters (/Test/, \Te st\).
bool delimited_item(const TokenLine& out, int fields_left, std::size_t word_at) {
  // LABEL: .AS: the colon belongs to the label field.
  if (word_at < out.tokens.size() && out.tokens[word_at].kind == TokenKind::Operator && out.tokens[word_at].text == ":")
    ++word_at;
  if (fields_left != 0 || out.tokens.size() <= word_at) return false;
  const Token& word = out.tokens[word_at];
  const Token& last = out.tokens.back();
  const bool item_start = &last == &word || (last.kind == TokenKind::Operator && last.text == ",");
  return item_start && word.kind == TokenKind::Name && word.text.size() == 3 && word.text[0] == '.' &&
         (equals_folded(word.text, ".as") || equals_folded(word.text, ".at") || equals_folded(word.text, ".az"));
}

// A string from the delimiter at `pos` to the next one, taken as written.
std::size_t read_delimited(std::string_view line, std::size_t pos, TokenLine& out, char32_t bits) {
  Token& token = out.tokens.emplace_back();
  token.start = static_cast<std::uint32_t>(pos);
  const char delimiter = line[pos];
  std::size_t end = pos + 1;
  token.chars_at = static_cast<std::uint32_t>(out.characters.size());
  while (end < line.size() && line[end] != delimiter) out.characters.push_back(static_cast<unsigned char>(line[end++]) | bits);
  token.chars_size = static_cast<std::uint32_t>(out.characters.size() - token.chars_at);
  const bool closed = end < line.size() && token.chars_size > 0;
  if (token.chars_size > 0) token.value = static_cast<std::int32_t>(out.characters[token.chars_at]);
  if (end < line.size()) ++end;
  token.kind = closed ? TokenKind::String : TokenKind::Bad;
  out.has_bad = out.has_bad || !closed;
  token.text = line.substr(pos, end - pos);
  return end;
}

}  // namespace

const Convention& default_convention() { return macro_convention(); }

bool read_number_in(std::string_view text, const Convention& rules, std::int32_t& value, bool* too_wide) {
  bool wide = false;
  // 017 (C): octal where a number of digits alone starts with 0.
  if (rules.leading_zero_octal && text.size() > 1 && text.front() == '0' &&
      text.find_first_not_of("0123456789") == std::string_view::npos) {
    const bool ok = read_digits(text.substr(1), 8, value, wide);
    if (too_wide) *too_wide = ok && wide;
    return ok;
  }
  // The suffixed forms first: 0BFh is hexadecimal, not 0b followed by "Fh".
  bool ok = (text.empty() || text.front() != '%') && read_number_digits(text, value, wide);
  if (!ok) {
    wide = false;
    ok = read_convention_number(text, rules, value, wide);
  }
  if (too_wide) *too_wide = ok && wide;
  return ok;
}

bool read_number(std::string_view text, std::int32_t& value, bool* too_wide) {
  bool wide = false;
  const bool ok = read_number_digits(text, value, wide);
  if (too_wide) *too_wide = ok && wide;
  return ok;
}

TokenLine tokenize(std::string_view line, const Convention& rules) {
  TokenLine out;
  tokenize_into(line, out, 0, rules);
  return out;
}

void tokenize_into(std::string_view line, TokenLine& out, std::size_t from, const Convention& rules) {
  out.tokens.clear();
  out.characters.clear();
  out.has_bad = false;
  out.high_bit_text = false;
  const std::size_t size = line.size();
  // Views of the line without substr's range check: every end is checked here.
  const auto piece = [&line](std::size_t from, std::size_t to) { return std::string_view(line.data() + from, to - from); };
  std::size_t pos = from;
  if (from == 0 && size > 0 && line[0] == '*' && rules.comment_after_operands) {  // "*" in column 1: a comment line
    out.code_end = 0;
    return;
  }
  // Where fields end at blanks: the label (a name in column 1), the word
  // and the operand field; what follows them is a comment.
  int fields_left = !rules.comment_after_operands ? -1 : (size > 0 && !has_class(line[0], kBlankClass) ? 3 : 2);
  const std::size_t word_at = fields_left == 3 ? 1 : 0;  // after the label, if any
  while (true) {
    const std::size_t blanks_from = pos;
    pos = skip_blanks(line, pos);
    if (pos >= size) break;
    char c = line[pos];
    if (c == ';') break;
    // A blank after a comma stays in the operand field (mov a, #1).
    const bool after_comma = !out.tokens.empty() && out.tokens.back().kind == TokenKind::Operator &&
                             out.tokens.back().text == ",";
    if (fields_left >= 0 && (out.tokens.empty() || pos != blanks_from) && !after_comma && fields_left-- == 0) break;
    if (fields_left >= 0 && delimited_item(out, fields_left, word_at)) {
      // "-" before the first item: "negative" text, every byte of the line
      // with bit 7 set, values included (-/Te/,#$0D).
      if (c == '-' && pos + 1 < size && out.tokens.back().kind == TokenKind::Name) {
        out.high_bit_text = true;
        c = line[++pos];
      }
      if (c != '#') {
        // -/Test/ before a later item: that text alone
        const bool negative = c == '-' && pos + 2 < size && line[pos + 1] != '#';
        pos = read_delimited(line, negative ? pos + 1 : pos, out, negative || out.high_bit_text ? 0x80 : 0);
        continue;
      }
      if (++pos >= size || has_class(line[pos], kBlankClass)) break;  // #expression: the value follows
      c = line[pos];
    }
    // Filled in place: a token built aside and copied in costs a stall.
    Token& token = out.tokens.emplace_back();
    token.start = static_cast<std::uint32_t>(pos);
    std::size_t end = pos + 1;
    const int next_digit = end < size ? digit_value(line[end]) : 99;
    const bool prefixed = (c == '%' && next_digit < (rules.percent_binary ? 2 : 16)) ||
                          (c == '$' && rules.dollar_hex && next_digit < 16) ||
                          (c == '@' && rules.at_octal && next_digit < 8);
    // "#define" and "$include" at the start of a line are words of their own.
    const bool line_word = out.tokens.size() == 1 && end < size && is_name_start(line[end]) &&
                           ((c == '#' && rules.hash_words) || (c == '$' && rules.dollar_controls));
    if (is_digit(c) || prefixed) {
      while (end < size && has_class(line[end], kAsciiNameClass)) ++end;
      if (rules.local_dollar && is_digit(c) && end < size && line[end] == '$' &&
          piece(pos, end).find_first_not_of("0123456789") == std::string_view::npos) {
        token.kind = TokenKind::Name;  // 1$: a local label
        token.text = piece(pos, end + 1);
        token.lower = true;
        pos = end + 1;
        continue;
      }
      token.kind = TokenKind::Number;
      token.text = piece(pos, end);
      token.malformed = !read_number_in(token.text, rules, token.value, &token.too_wide);
    } else if (line_word) {
      while (end < size && is_name_char(line[end])) ++end;
      token.kind = TokenKind::Name;
      token.text = piece(pos, end);
    } else if (c == '\'' && rules.quote_once_char && end < size && (end + 1 >= size || line[end + 1] != '\'')) {
      // 'c: one character, no closing quote
      token.chars_at = static_cast<std::uint32_t>(out.characters.size());
      out.characters.push_back(quoted_char(line, end, rules.hex_escapes));
      token.chars_size = 1;
      token.value = static_cast<std::int32_t>(out.characters[token.chars_at]);
      token.kind = TokenKind::String;
      token.text = piece(pos, end);
    } else if (c == '"' && rules.double_quote_high && end < size &&
               (end + 1 >= size || line[end + 1] == '"' || !is_name_char(line[end + 1]))) {
      // "c" or "c: one character with bit 7 set
      token.chars_at = static_cast<std::uint32_t>(out.characters.size());
      out.characters.push_back(quoted_char(line, end, false) | 0x80u);
      if (end < size && line[end] == '"') ++end;
      token.chars_size = 1;
      token.value = static_cast<std::int32_t>(out.characters[token.chars_at]);
      token.kind = TokenKind::String;
      token.text = piece(pos, end);
    } else if (const int base = rules.quoted_radix ? quoted_radix_base(line, pos) : 0; base != 0) {
      // x'1F': the digits between the quotes in the base the letter names.
      const std::size_t close = line.find('\'', pos + 2);
      token.kind = TokenKind::Number;
      token.text = piece(pos, close + 1);
      bool wide = false;
      token.malformed = !read_digits(piece(pos + 2, close), base, token.value, wide);
      token.too_wide = !token.malformed && wide;
      end = close + 1;
    } else if (is_name_start(c)) {
      std::uint8_t seen = kCharClasses[static_cast<unsigned char>(c)];  // the classes of all its bytes
      for (; end < size; ++end) {
        const std::uint8_t classes = kCharClasses[static_cast<unsigned char>(line[end])];
        if ((classes & kNameClass) == 0) break;
        seen |= classes;
      }
      // GLOBAL:local (SB) is one name where a value stands.
      if (rules.local_dot && pos > 0 && end + 1 < size && line[end] == ':' &&
          (kCharClasses[static_cast<unsigned char>(line[end + 1])] & kNameClass) != 0) {
        for (++end; end < size && (kCharClasses[static_cast<unsigned char>(line[end])] & kNameClass) != 0; ++end)
          seen |= kCharClasses[static_cast<unsigned char>(line[end])];
      }
      token.lower = (seen & kFoldClass) == 0;
      token.kind = TokenKind::Name;
      token.text = piece(pos, end);
    } else if (c == '\'' || c == '"') {
      bool closed = false;
      token.chars_at = static_cast<std::uint32_t>(out.characters.size());
      while (end < size) {
        if (line[end] == c && rules.doubled_quotes && end + 1 < size && line[end + 1] == c) {
          out.characters.push_back(static_cast<unsigned char>(c));
          end += 2;
          continue;
        }
        if (line[end] == c) {
          closed = true;
          ++end;
          break;
        }
        out.characters.push_back(quoted_char(line, end, rules.hex_escapes));
      }
      token.chars_size = static_cast<std::uint32_t>(out.characters.size() - token.chars_at);
      if (token.chars_size > 0) token.value = static_cast<std::int32_t>(out.characters[token.chars_at]);
      token.kind = closed ? TokenKind::String : TokenKind::Bad;
      out.has_bad = out.has_bad || !closed;
      token.text = line.substr(pos, end - pos);
    } else {
      const bool may_pair = c == '<' || c == '>' || c == '!' || c == '=' || c == '&' || c == '|' || c == '~';
      if (may_pair && end < size) {
        for (std::string_view op : kTwoCharOperators)
          if (line.substr(pos, 2) == op) end = pos + 2;
        if (rules.logical_pairs)
          for (std::string_view op : kLogicalPairs)
            if (line.substr(pos, 2) == op) end = pos + 2;
      }
      token.kind = TokenKind::Operator;
      token.text = piece(pos, end);
    }
    pos = end;
  }
  out.code_end = pos;
}

}  // namespace zorvin::asm48::ext
