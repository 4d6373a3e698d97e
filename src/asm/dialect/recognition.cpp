#include "asm/dialect/recognition.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdint>

#include "asm/dialect/dialects.h"
#include "text/editor_lines.h"
#include "text/unicode_text.h"

namespace zorvin::asm48 {

namespace {

using namespace std::string_view_literals;

struct Mark {
  std::string_view word;  // folded
  const Convention& (*convention)();
  bool marker;            // the convention's own marker line
  bool weak = false;      // decides only where no other mark stands in the whole source
};

// A word of up to 8 bytes as one number (by shifts, so the same on every
// processor): every line of every source is looked at, and comparing
// numbers keeps that cheap. 0 for a longer word, which is no mark.
constexpr std::uint64_t packed(std::string_view word) {
  if (word.empty() || word.size() > 8) return 0;
  std::uint64_t key = 0;
  for (std::size_t i = 0; i < word.size(); ++i) key |= std::uint64_t{static_cast<unsigned char>(word[i])} << (8 * i);
  return key;
}

// Words that say which convention a source follows; none of them is a
// statement of the plain dialect.
const std::array<Mark, 52> kMarks = {{
    {"cpu", macro_convention, true},       {".cr", sbasm_convention, true},      {".8048", asxxxx_convention, true},
    {"ifdef", macro_convention, false},    {"ifndef", macro_convention, false},  {"macro", macro_convention, false},
    {"endm", macro_convention, false},     {"rept", macro_convention, false},    {"fatal", macro_convention, false},
    {"message", macro_convention, false},  {"relaxed", macro_convention, false}, {"include", macro_convention, false},
    {"#define", tasm_convention, false},   {"#include", tasm_convention, false}, {"#if", tasm_convention, false},
    {"#ifdef", tasm_convention, false},    {"#ifndef", tasm_convention, false},  {".echo", tasm_convention, false},
    {".text", tasm_convention, false},     {".block", tasm_convention, false},   {".msfirst", tasm_convention, false},
    {".lsfirst", tasm_convention, false},  {".eq", sbasm_convention, false},     {".or", sbasm_convention, false},
    {".da", sbasm_convention, false},      {".az", sbasm_convention, false},     {".as", sbasm_convention, false},
    {".bs", sbasm_convention, false},      {".ma", sbasm_convention, false},     {".tf", sbasm_convention, false},
    {".do", sbasm_convention, false},      {".fi", sbasm_convention, false},     {".no", sbasm_convention, false},
    {".area", asxxxx_convention, false},   {".module", asxxxx_convention, false}, {".globl", asxxxx_convention, false},
    {".ascii", asxxxx_convention, false},  {".asciz", asxxxx_convention, false}, {".blkb", asxxxx_convention, false},
    {".fcb", asxxxx_convention, false},    {".fdb", asxxxx_convention, false},   {".ifdef", asxxxx_convention, false},
    {".if", asxxxx_convention, false},     {".byte", asxxxx_convention, false},  {".word", asxxxx_convention, false},
    {".include", asxxxx_convention, false}, {"$include", intel_convention, false},
    {".dbr", asxxxx_convention, false},    {".exit", asxxxx_convention, false},
    {".define", asxxxx_convention, false},
    // .dw and .ds are TASM's words as well, which reads them alike: alone
    // they say only that the source is not the plain dialect's.
    {".dw", asxxxx_convention, false, true}, {".ds", asxxxx_convention, false, true},
}};

// The word in lower case (ASCII) in a small buffer; empty when it is too
// long to be a mark. Every line is looked at: no allocation per word.
struct SmallFold {
  char text[16];
  std::size_t size = 0;
  explicit SmallFold(std::string_view word) {
    if (word.size() >= sizeof text) return;
    for (char c : word) text[size++] = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
  }
  std::string_view view() const { return {text, size}; }
};

// The marks' keys in ascending order, each with its mark's place: a word
// of every line is looked up, by binary search rather than one compare per
// mark.
struct MarkKey {
  std::uint64_t key;
  std::size_t mark;
  bool operator<(const MarkKey& other) const { return key < other.key; }
};
const auto kMarkKeys = [] {
  std::array<MarkKey, kMarks.size()> keys{};
  for (std::size_t i = 0; i < kMarks.size(); ++i) keys[i] = {packed(kMarks[i].word), i};
  std::sort(keys.begin(), keys.end());
  return keys;
}();

const Mark* mark_with_key(std::uint64_t key) {
  if (key == 0) return nullptr;
  const auto found = std::lower_bound(kMarkKeys.begin(), kMarkKeys.end(), MarkKey{key, 0});
  return found != kMarkKeys.end() && found->key == key ? &kMarks[found->mark] : nullptr;
}

bool is_blank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\f' || c == '\v'; }

// The first words of a line, up to three, split at blanks and commas; the
// comment (from ";") is not read.
std::array<std::string_view, 3> first_words(std::string_view code) {
  std::array<std::string_view, 3> words{};
  std::size_t pos = 0;
  for (auto& word : words) {
    while (pos < code.size() && (is_blank(code[pos]) || code[pos] == ',')) ++pos;
    const std::size_t start = pos;
    while (pos < code.size() && !is_blank(code[pos]) && code[pos] != ',' && code[pos] != '(' && code[pos] != ';') ++pos;
    word = code.substr(start, pos - start);
    if (pos < code.size() && code[pos] == ';') break;
  }
  return words;
}

std::string_view code_of(std::string_view line) {
  const auto semicolon = line.find(';');
  return semicolon == std::string_view::npos ? line : line.substr(0, semicolon);
}

// The mark a line holds, if any; `word` gets the word as written.
const Mark* mark_of(std::string_view code, const std::array<std::string_view, 3>& words, std::string_view& word) {
  if (words[0].empty()) return nullptr;
  // Intel's control lines start in column 1 with "$".
  if (code.front() == '$' && words[0].size() > 1) {
    if (SmallFold(words[0]).view().starts_with("$mod")) {
      static constexpr Mark kModLine{"$mod", intel_convention, true};
      word = words[0];
      return &kModLine;
    }
  }
  std::size_t at = words[0].back() == ':' ? 1 : 0;  // after a label
  for (; at < words.size() && !words[at].empty(); ++at) {
    const SmallFold small(words[at]);
    const std::string_view folded = small.view();
    if (folded.empty()) break;
    // "label .EQU value" is TASM's; ".equ name, value" the asm48
    // convention's; .set the same.
    if (folded == ".equ"sv || folded == ".set"sv) {
      static constexpr Mark kTasmEqu{".equ", tasm_convention, false};
      static constexpr Mark kAsxxxxEqu{".equ", asxxxx_convention, false};
      word = words[at];
      return at == 0 ? &kAsxxxxEqu : &kTasmEqu;
    }
    // ".set name, value" and ".define name, value" in column 1 are asm48's;
    // "label .SET value" is no mark (TASM and the macro assembler write it).
    if (at == 0 && code.front() == '.' && (folded == ".set"sv || folded == ".define"sv)) {
      static constexpr Mark kAsxxxxSet{".set", asxxxx_convention, false};
      word = words[at];
      return &kAsxxxxSet;
    }
    // After a name without colon only a definition counts ("LIMIT .EQ 5").
    if (at == 1 && words[0].back() != ':' && folded != ".eq"sv && folded != ".se"sv && folded != ".set"sv) break;
    if (const Mark* mark = mark_with_key(packed(folded))) {
      // "cpu equ 5" is a symbol named cpu.
      const std::string_view next = at + 1 < words.size() ? words[at + 1] : std::string_view{};
      if (mark->word == "cpu"sv && (next.empty() || SmallFold(next).view() == "equ"sv)) return nullptr;
      // The macro assembler names the file in quotes; INCLUDE(file) and
      // INCLUDE file are Intel's spelling.
      std::size_t after = static_cast<std::size_t>(words[at].data() - code.data()) + words[at].size();
      while (after < code.size() && is_blank(code[after])) ++after;
      if (mark->word == "include"sv && after < code.size() && code[after] != '"' && code[after] != '\'') {
        static constexpr Mark kIntelInclude{"include", intel_convention, false};
        word = words[at];
        return &kIntelInclude;
      }
      word = words[at];
      return mark;
    }
    // Only the statement word, or the word after a name without colon.
    if (at >= 1) break;
  }
  return nullptr;
}

// Whether the line is "end" or ".end" alone (before any comment); `first`
// is its first word.
bool is_plain_end(std::string_view line, std::string_view first) {
  if (first.size() != 3 && first.size() != 4) return false;
  const SmallFold folded(first);
  if (folded.view() != "end"sv && folded.view() != ".end"sv) return false;
  const auto start = static_cast<std::size_t>(first.data() - line.data());
  for (std::size_t i = 0; i < start; ++i)
    if (!is_blank(line[i])) return false;  // a comma in front
  std::size_t pos = start + first.size();
  while (pos < line.size() && is_blank(line[pos])) ++pos;
  return pos == line.size() || line[pos] == ';';
}

int digit_value(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return 99;
}

// Whether the text holds "%" (when asked) or "$" (when asked): one loop, as
// find_first_of would look up the set for every byte.
bool holds_sign(std::string_view text, bool percent, bool dollar) {
  for (const char c : text)
    if ((percent && c == '%') || (dollar && c == '$')) return true;
  return false;
}

std::string_view shown_name(const DialectChoice& choice) {
  return choice.convention ? choice.convention->name : kPlainDialectName;
}

}  // namespace

DialectChoice recognise_dialect(std::string_view text) {
  DialectChoice choice;
  const Mark* weak = nullptr;  // the first weak mark and where it stands
  std::string weak_word;
  std::int32_t weak_line = 0;
  std::size_t pos = 0;
  std::string_view line;
  for (std::int32_t line_no = 1; !text.empty() && next_editor_line(text, pos, line); ++line_no) {
    const auto words = first_words(line);
    if (is_plain_end(line, words[0])) break;
    std::string_view word;
    const Mark* mark = mark_of(line, words, word);
    if (mark && mark->weak) {
      if (!weak) {
        weak = mark;
        weak_word = std::string(word);
        weak_line = line_no;
      }
      continue;
    }
    // The first mark decides, unless a marker line follows it.
    if (!mark || (choice.convention && !mark->marker)) continue;
    choice.convention = &mark->convention();
    choice.how = mark->marker ? DialectChoice::How::Marker : DialectChoice::How::Recognised;
    choice.mark = std::string(word);
    choice.line = line_no;
    if (mark->marker && word.front() != '$') {
      // The operand of cpu / .cr names the part.
      const auto words = first_words(code_of(line));
      for (std::size_t i = 0; i + 1 < words.size(); ++i)
        if (words[i] == word) choice.cpu = std::string(words[i + 1]);
      break;
    }
  }
  if (!choice.convention && weak) {
    choice.convention = &weak->convention();
    choice.how = DialectChoice::How::Recognised;
    choice.mark = std::move(weak_word);
    choice.line = weak_line;
  }
  return choice;
}

std::string dialect_line(const DialectChoice& choice) {
  std::string line = "Dialekt: " + std::string(shown_name(choice));
  switch (choice.how) {
    case DialectChoice::How::None: return line + " (keine Kennzeichen eines anderen Dialekts)";
    case DialectChoice::How::Option: return line + " (gewählt: " + choice.mark + ")";
    case DialectChoice::How::Marker:
      return line + " (festgelegt durch " + choice.mark + (choice.cpu.empty() ? "" : " " + choice.cpu) + ", Zeile " +
             std::to_string(choice.line) + ")";
    case DialectChoice::How::Recognised:
      return line + " (erkannt an " + choice.mark + ", Zeile " + std::to_string(choice.line) + ")";
  }
  return line;
}

std::vector<std::string> number_form_warnings(std::string_view text, const DialectChoice& choice) {
  std::vector<std::string> warnings;
  if (choice.how == DialectChoice::How::Option || choice.how == DialectChoice::How::Marker) return warnings;
  const Convention* c = choice.convention;
  // Most sources hold neither sign: then there is nothing to look at.
  if (!holds_sign(text, true, true)) return warnings;
  bool percent_done = false;
  bool dollar_done = !(c && c->dollar_hex);  // $ is worth a word only where it is hexadecimal
  std::size_t pos = 0;
  std::string_view line;
  bool sought_again = true;  // at the start and after a find: is a sign still sought in the rest at all?
  for (std::int32_t line_no = 1; !text.empty() && next_editor_line(text, pos, line); ++line_no) {
    if (percent_done && dollar_done) break;
    if (sought_again) {
      sought_again = false;
      const std::string_view rest = text.substr(static_cast<std::size_t>(line.data() - text.data()));  // this line on
      if ((percent_done || rest.find('%') == std::string_view::npos) &&
          (dollar_done || rest.find('$') == std::string_view::npos))
        break;
    }
    if (!holds_sign(line, !percent_done, !dollar_done)) continue;
    const std::string_view code = code_of(line);
    for (std::size_t i = 1; i < code.size(); ++i) {
      const char sign = code[i - 1];
      if ((sign != '%' && sign != '$') || digit_value(code[i]) > 15) continue;
      if (i >= 2 && (std::isalnum(static_cast<unsigned char>(code[i - 2])) != 0 || code[i - 2] == '\'')) continue;
      std::size_t end = i;
      while (end < code.size() && digit_value(code[end]) < 16) ++end;
      const std::string number(code.substr(i - 1, end - i + 1));
      const std::string where = " (Zeile " + std::to_string(line_no) + ")";
      if (sign == '%' && !percent_done) {
        percent_done = true;
        sought_again = true;
        const bool binary = c && c->percent_binary;
        warnings.push_back("Warnung: " + number + where + " gelesen als " + (binary ? "Binärzahl" : "Hexadezimalzahl") +
                           " (" + std::string(shown_name(choice)) + "); " +
                           (binary ? "der einfache Dialekt liest % hexadezimal"
                                   : "TASM, SB-Assembler, ASxxxx/asm48 und der Makroassembler lesen % binär"));
      } else if (sign == '$' && !dollar_done && c && c->dollar_hex) {
        dollar_done = true;
        sought_again = true;
        warnings.push_back("Warnung: " + number + where + " gelesen als Hexadezimalzahl (" +
                           std::string(shown_name(choice)) + "); in Intel ASM48 ist $ der Adresszähler");
      }
    }
  }
  return warnings;
}

}  // namespace zorvin::asm48
