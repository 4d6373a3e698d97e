#include "asm/ext/dialect_switch.h"

#include <cstring>

#include "asm/ext/lexer.h"
#include "files/unicode_text.h"

namespace zorvin::asm48::ext {

namespace {

// Most sources hold no "cpu" at all, in any case; a plain run should not pay
// for looking at their lines. The library's memchr finds each "u" or "U"
// many bytes at a time; only there are the two letters before it compared.
bool mentions_cpu(std::string_view text) {
  for (const char u : {'u', 'U'}) {
    const char* at = text.data();
    const char* const end = text.data() + text.size();
    while ((at = static_cast<const char*>(std::memchr(at, u, static_cast<std::size_t>(end - at)))) != nullptr) {
      if (at - text.data() >= 2 && (at[-1] | 0x20) == 'p' && (at[-2] | 0x20) == 'c') return true;
      ++at;
    }
  }
  return false;
}

}  // namespace

std::optional<std::string> cpu_statement(std::string_view editor_text) {
  if (!mentions_cpu(editor_text)) return std::nullopt;
  std::size_t start = 0;
  while (start <= editor_text.size()) {
    std::size_t end = editor_text.find_first_of("\r\n", start);
    if (end == std::string_view::npos) end = editor_text.size();
    const std::string_view raw = editor_text.substr(start, end - start);
    start = end + 1;
    // The plain split: comment from the first ";", label up to the first
    // ":", then the mnemonic up to the first blank.
    std::string_view line = trim_blanks(raw.substr(0, raw.find(';')));
    if (word_equals(line, "end") || word_equals(line, ".end")) return std::nullopt;
    const auto colon = line.find(':');
    if (colon != std::string_view::npos && colon > 0) line = trim_blanks(line.substr(colon + 1));
    const auto blank = line.find_first_of(" \t");
    if (!word_equals(line.substr(0, blank), "cpu")) continue;
    const std::string_view operands = blank == std::string_view::npos ? std::string_view{} : trim_blanks(line.substr(blank));
    // "cpu equ 5" is a plain symbol definition, not a cpu statement.
    if (operands.find(',') == std::string_view::npos && word_equals(operands.substr(0, 3), "equ")) continue;
    return std::string(operands);
  }
  return std::nullopt;
}

}  // namespace zorvin::asm48::ext
