#include "asm/equ_cycles.h"

#include <algorithm>
#include <string_view>
#include <unordered_map>
#include <unordered_set>

#include "asm/definition_order.h"
#include "text/unicode_text.h"

namespace zorvin::asm48 {

namespace {

bool is_equ_line(const LineRecord& record) { return record.is_equ && !record.mnemonic.empty(); }

// Letters, digits, "_", ".", "?", "$" and the bytes of UTF-8 sequences: what
// a name is made of; anything else ends a word.
bool is_word_byte(char c) {
  const auto b = static_cast<unsigned char>(c);
  return (b >= 'a' && b <= 'z') || (b >= 'A' && b <= 'Z') || (b >= '0' && b <= '9') || b == '_' || b == '.' ||
         b == '?' || b == '$' || b >= 0x80;
}

// Calls found(word) for each word of the folded text.
template <class Found>
void for_each_word(const std::string& folded, Found&& found) {
  std::size_t pos = 0;
  while (pos < folded.size()) {
    while (pos < folded.size() && !is_word_byte(folded[pos])) ++pos;
    const std::size_t start = pos;
    while (pos < folded.size() && is_word_byte(folded[pos])) ++pos;
    if (pos > start) found(std::string_view(folded).substr(start, pos - start));
  }
}

}  // namespace

EquValues equ_values(const LineTable& table) {
  EquValues written;
  for (const LineRecord& record : table.records)
    if (is_equ_line(record)) written.values.emplace_back(record.operand1);
  return written;
}

int report_circular_equs(const LineTable& table, const EquValues& written, Diagnostics& diagnostics) {
  // One node per symbol name, as first written.
  std::unordered_map<std::string, std::size_t> node_of;
  std::vector<std::string_view> names;
  std::vector<std::size_t> node_of_line;  // per equ line
  for (const LineRecord& record : table.records) {
    if (!is_equ_line(record)) continue;
    const auto [entry, added] = node_of.emplace(fold_case(record.mnemonic), names.size());
    if (added) names.push_back(record.mnemonic);
    node_of_line.push_back(entry->second);
  }
  if (names.empty()) return 0;
  // Which values still name a symbol: only those can be circular.
  std::vector<std::size_t> unresolved;  // equ lines, by their number among them
  std::size_t equ_line = 0;
  for (const LineRecord& record : table.records) {
    if (!is_equ_line(record)) continue;
    bool names_symbol = false;
    for_each_word(fold_case(record.operand1), [&](std::string_view word) {
      names_symbol = names_symbol || node_of.count(std::string(word)) > 0;
    });
    if (names_symbol) unresolved.push_back(equ_line);
    ++equ_line;
  }
  if (unresolved.empty()) return 0;
  // The names each symbol's values name as written.
  std::vector<std::vector<std::size_t>> named(names.size());
  for (std::size_t line = 0; line < written.values.size(); ++line) {
    auto& edges = named[node_of_line[line]];
    const std::string value = fold_case(written.values[line]);
    // "R equ r" replaces a name by itself and changes no text: no cycle.
    if (const auto own = node_of.find(value); own != node_of.end() && own->second == node_of_line[line]) continue;
    for_each_word(value, [&](std::string_view word) {
      const auto node = node_of.find(std::string(word));
      if (node != node_of.end() && std::find(edges.begin(), edges.end(), node->second) == edges.end())
        edges.push_back(node->second);
    });
  }
  DefinitionOrder order(names.size());
  order.settle([&](std::size_t node) {
    for (const std::size_t next : named[node]) order.value_of(next);
    return DefinitionOrder::Attempt{0, {}};
  });
  std::unordered_set<std::int32_t> reported;
  for (const Diagnostic& diagnostic : diagnostics.items) reported.insert(diagnostic.line);
  std::vector<const LineRecord*> equ_records;
  for (const LineRecord& record : table.records)
    if (is_equ_line(record)) equ_records.push_back(&record);
  int errors = 0;
  for (const std::size_t line : unresolved) {
    const std::size_t node = node_of_line[line];
    if (order.settled()[node].state != SettledDefinition::State::Circular) continue;
    if (!reported.insert(equ_records[line]->line_no).second) continue;
    std::string text(kCircularDefinition);
    text += order.cycle_text(node, [&](std::size_t name) { return names[name]; });
    diagnostics.report(equ_records[line]->line_no, text);
    ++errors;
  }
  if (errors > 0) {
    std::stable_sort(diagnostics.items.begin(), diagnostics.items.end(),
                     [](const Diagnostic& a, const Diagnostic& b) { return a.line < b.line; });
  }
  return errors;
}

}  // namespace zorvin::asm48
