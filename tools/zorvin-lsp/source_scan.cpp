#include "source_scan.h"

#include <algorithm>
#include <set>

#include "asm/dialect/dialects.h"
#include "asm/ext/directive_table.h"
#include "instruction_facts.h"
#include "text_positions.h"
#include "text/unicode_text.h"

namespace zorvin::lsp {

namespace {

bool starts_name(unsigned char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' || c == '.' || c == '?' || c >= 0x80;
}
bool continues_name(unsigned char c) { return starts_name(c) || (c >= '0' && c <= '9') || c == '$'; }

// Directive words of every convention by what they do in the engine.
struct WordSets {
  std::set<std::string, std::less<>> definitions;  // name equ value
  std::set<std::string, std::less<>> macros;       // name macro / macro name
  std::set<std::string, std::less<>> defines;      // #define name value
  std::set<std::string, std::less<>> includes;
  std::set<std::string, std::less<>> directives;   // all of them
};

const WordSets& word_sets() {
  static const WordSets sets = [] {
    WordSets s;
    auto sort = [&s](std::string_view word, std::string_view engine) {
      s.directives.emplace(word);
      if (engine == "equ" || engine == "set" || engine == "reg") s.definitions.emplace(word);
      if (engine == "macro") s.macros.emplace(word);
      if (engine == "define") s.defines.emplace(word);
      if (engine == "include") s.includes.emplace(word);
    };
    for (const auto& directive : asm48::ext::engine_directives()) sort(directive.word, directive.word);
    for (const asm48::Convention* convention : asm48::engine_conventions())
      for (const auto& alias : convention->directives) sort(alias.word, alias.engine);
    for (std::string_view word : {".equ", ".set", ".reg"}) sort(word, "equ");
    sort(".macro", "macro");
    sort("$include", "include");
    sort(".define", "define");
    return s;
  }();
  return sets;
}

std::string_view trim(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  return text;
}

// "file", 'file', (file) or a bare word.
std::string include_operand(std::string_view rest) {
  rest = trim(rest);
  if (rest.empty()) return {};
  const char open = rest.front();
  if (open == '"' || open == '\'' || open == '(') {
    const char close = open == '(' ? ')' : open;
    const std::size_t end = rest.find(close, 1);
    return std::string(trim(rest.substr(1, end == std::string_view::npos ? std::string_view::npos : end - 1)));
  }
  return std::string(rest.substr(0, rest.find_first_of(" \t")));
}

void add(SourceScan& scan, const Word& word, NameKind kind) {
  scan.definitions.push_back({std::string(word.text), fold_case(word.text), kind, word.spot});
}

void scan_line(std::string_view line, std::size_t line_no, const asm48::Convention* convention, SourceScan& scan) {
  if (convention && convention->comment_after_operands && !line.empty() && line.front() == '*') return;
  const std::vector<Word> words = words_of_line(line, line_no);
  if (words.empty()) return;
  const WordSets& sets = word_sets();
  const Word& first = words.front();
  const std::string_view before = line.substr(0, first.spot.begin - (first.prefix ? 1 : 0));
  const bool at_start = trim(before).empty();
  if (!at_start) return;
  const bool colon = first.spot.end < line.size() && line[first.spot.end] == ':';
  const bool column1 = first.spot.begin == 0;
  const std::string first_word = keyword_of(first);
  std::string_view after = line.substr(first.spot.end + (colon ? 1 : 0));
  const bool equals_sign = !trim(after).empty() && trim(after).front() == '=';
  const std::string second = words.size() > 1 ? keyword_of(words[1]) : std::string();
  if (!first.prefix && (equals_sign || sets.definitions.contains(second))) return add(scan, first, NameKind::Equate);
  if (!first.prefix && sets.macros.contains(second)) return add(scan, first, NameKind::Macro);
  if (sets.macros.contains(first_word) && words.size() > 1) return add(scan, words[1], NameKind::Macro);
  if (sets.defines.contains(first_word) && words.size() > 1) return add(scan, words[1], NameKind::Equate);
  if (sets.includes.contains(first_word)) {
    // The operand is read from the raw line: the scan of words skips strings.
    const std::string name = include_operand(code_part(line).substr(first.spot.end));
    if (!name.empty()) scan.includes.push_back({name, line_no});
    return;
  }
  if (first.prefix) return;
  if (colon) return add(scan, first, NameKind::Label);
  // Conventions other than the plain one take a name in column 1 as a label.
  if (convention && column1 && !is_mnemonic(first_word) && !sets.directives.contains(first_word))
    add(scan, first, NameKind::Label);
}

}  // namespace

std::string keyword_of(const Word& word) {
  std::string folded = fold_case(word.text);
  if (word.prefix) folded.insert(folded.begin(), word.prefix);
  return folded;
}

std::string_view code_part(std::string_view line) {
  char quote = 0;
  for (std::size_t i = 0; i < line.size(); ++i) {
    const char c = line[i];
    if (quote) {
      if (c == quote) quote = 0;
    } else if (c == '"' || c == '\'') {
      quote = c;
    } else if (c == ';') {
      return line.substr(0, i);
    }
  }
  return line;
}

std::vector<Word> words_of_line(std::string_view line, std::size_t line_no) {
  std::vector<Word> words;
  const std::string_view code = code_part(line);
  std::size_t i = 0;
  while (i < code.size()) {
    const auto c = static_cast<unsigned char>(code[i]);
    if (c == '"' || c == '\'') {
      const std::size_t end = code.find(static_cast<char>(c), i + 1);
      i = end == std::string_view::npos ? code.size() : end + 1;
      continue;
    }
    if (c >= '0' && c <= '9') {  // a number: 0FFh, 1$ and the like are no names
      while (i < code.size() && continues_name(static_cast<unsigned char>(code[i]))) ++i;
      continue;
    }
    if (!starts_name(c)) {
      ++i;
      continue;
    }
    const std::size_t begin = i;
    while (i < code.size() && continues_name(static_cast<unsigned char>(code[i]))) ++i;
    char prefix = 0;
    if (begin > 0 && (code[begin - 1] == '#' || code[begin - 1] == '$')) prefix = code[begin - 1];
    words.push_back({code.substr(begin, i - begin), {line_no, begin, i}, prefix});
  }
  return words;
}

std::optional<Word> word_at(std::string_view line, std::size_t line_no, std::size_t column) {
  for (const Word& word : words_of_line(line, line_no)) {
    if (column >= word.spot.begin && column <= word.spot.end) return word;
  }
  return std::nullopt;
}

SourceScan scan_source(std::string_view text, const asm48::Convention* convention) {
  SourceScan scan;
  const LineIndex lines(text);
  for (std::size_t i = 0; i < lines.line_count(); ++i) scan_line(lines.line(i), i, convention, scan);
  return scan;
}

bool is_mnemonic(std::string_view folded) { return find_mnemonic(folded) != nullptr; }

bool is_directive(std::string_view folded) {
  return word_sets().directives.contains(folded) || folded == "end" || folded == "org" || folded == "db";
}

}  // namespace zorvin::lsp
