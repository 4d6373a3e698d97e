#include "analysis/symbols.h"

#include <algorithm>
#include <map>

#include "text/unicode_text.h"

namespace zorvin::analysis {

namespace {

// The words of a line's code part, up to two: "name", "equ" in "name equ 5".
std::vector<std::string_view> leading_words(std::string_view text) {
  std::vector<std::string_view> words;
  std::size_t at = 0;
  while (words.size() < 2 && at < text.size()) {
    const std::size_t begin = text.find_first_not_of(" \t:", at);
    if (begin == std::string_view::npos || text[begin] == ';') break;
    std::size_t end = text.find_first_of(" \t:;", begin);
    if (end == std::string_view::npos) end = text.size();
    words.push_back(text.substr(begin, end - begin));
    at = end;
  }
  return words;
}

std::string padded(std::string text, std::size_t width) {
  const std::size_t shown = char_count(text);
  if (shown < width) text.append(width - shown, ' ');
  return text + ' ';
}

}  // namespace

std::vector<SymbolEntry> listed_symbols(const asm48::SourceListing& listing) {
  std::map<std::string, SymbolEntry> by_name;  // folded name
  for (const asm48::ListedSymbol& symbol : listing.symbols)
    by_name.try_emplace(fold_case(symbol.name), SymbolEntry{symbol.name, SymbolKind::Label, symbol.value, 0});
  for (const asm48::ListingLine& line : listing.lines) {
    // A definition stands at the start of a line of the source itself.
    if (line.expansion || line.text.empty() || line.text[0] == ' ' || line.text[0] == '\t') continue;
    const std::vector<std::string_view> words = leading_words(line.text);
    if (words.empty()) continue;
    const std::string second = words.size() > 1 ? fold_case(words[1]) : std::string();
    if (second == "macro") {
      by_name.try_emplace(fold_case(words[0]), SymbolEntry{std::string(words[0]), SymbolKind::Macro, "", line.line_no});
      continue;
    }
    const auto found = by_name.find(fold_case(words[0]));
    if (found == by_name.end() || found->second.line != 0) continue;
    found->second.line = line.line_no;
    if (second == "equ" || second == "set" || second == "=" || second == "defl" || second == "var")
      found->second.kind = SymbolKind::Equate;
  }
  std::vector<SymbolEntry> symbols;
  for (auto& [folded, entry] : by_name) symbols.push_back(std::move(entry));
  return symbols;
}

std::vector<SymbolEntry> filter_symbols(const std::vector<SymbolEntry>& symbols, std::string_view filter) {
  const std::string wanted = fold_case(filter);
  std::vector<SymbolEntry> kept;
  for (const SymbolEntry& symbol : symbols)
    if (fold_case(symbol.name).find(wanted) != std::string::npos) kept.push_back(symbol);
  return kept;
}

std::string symbol_row(const SymbolEntry& symbol) {
  const char* kind = symbol.kind == SymbolKind::Macro ? "Makro" : symbol.kind == SymbolKind::Equate ? "Konstante" : "Marke";
  std::string row = padded(symbol.name, 16) + padded(kind, 9) + padded(symbol.value, 8);
  if (symbol.line > 0) row += "Zeile " + std::to_string(symbol.line);
  while (!row.empty() && row.back() == ' ') row.pop_back();
  return row;
}

}  // namespace zorvin::analysis
