#include "asm/equ_cycles.h"

#include <algorithm>
#include <string_view>
#include <optional>
#include <unordered_set>

#include "asm/definition_order.h"
#include "text/unicode_text.h"

namespace zorvin::asm48 {

namespace {

bool is_equ_line(const LineRecord& record) { return record.is_equ && !record.mnemonic.empty(); }

// The equ names, one node per name (as first written), found by binary
// search over their folded texts kept in one string: no allocation per name.
class SymbolNodes {
 public:
  explicit SymbolNodes(const std::vector<const LineRecord*>& records) {
    std::vector<std::pair<std::size_t, std::size_t>> spans;  // folded name of each equ line in text_
    std::string folded;
    for (const LineRecord* record : records) {
      fold_case_into(folded, record->mnemonic);
      spans.emplace_back(text_.size(), folded.size());
      text_ += folded;
      lines_.push_back(record->mnemonic);
    }
    // By name, and among equal names by line: the first line gives the node its spelling.
    std::vector<std::pair<std::string_view, std::size_t>> by_name;
    by_name.reserve(spans.size());
    for (std::size_t line = 0; line < spans.size(); ++line)
      by_name.emplace_back(std::string_view(text_).substr(spans[line].first, spans[line].second), line);
    std::sort(by_name.begin(), by_name.end());
    node_of_line_.resize(spans.size());
    for (std::size_t i = 0; i < by_name.size(); ++i) {
      if (i == 0 || by_name[i].first != by_name[i - 1].first) {
        sorted_.emplace_back(by_name[i].first, names_.size());
        names_.push_back(lines_[by_name[i].second]);
      }
      node_of_line_[by_name[i].second] = sorted_.back().second;
    }
  }

  std::optional<std::size_t> find(std::string_view folded) const {
    const auto found = std::lower_bound(sorted_.begin(), sorted_.end(), folded,
                                        [](const auto& entry, std::string_view key) { return entry.first < key; });
    if (found == sorted_.end() || found->first != folded) return std::nullopt;
    return found->second;
  }
  std::size_t node_of_line(std::size_t line) const { return node_of_line_[line]; }
  const std::vector<std::string_view>& names() const { return names_; }

 private:
  std::string text_;
  std::vector<std::string_view> lines_;                      // name of each equ line as written
  std::vector<std::pair<std::string_view, std::size_t>> sorted_;  // folded name -> node
  std::vector<std::size_t> node_of_line_;
  std::vector<std::string_view> names_;                      // of each node
};

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
  EquValues equs;
  for (const LineRecord& record : table.records) {
    if (!is_equ_line(record)) continue;
    equs.records.push_back(&record);
    equs.values.push_back(record.operand1);
  }
  return equs;
}

int report_circular_equs(const EquValues& equs, Diagnostics& diagnostics) {
  if (equs.records.empty()) return 0;
  const SymbolNodes nodes(equs.records);
  const std::vector<std::string_view>& names = nodes.names();
  // Which values still name a symbol: only those can be circular.
  std::vector<std::size_t> unresolved;  // equ lines, by their number among them
  std::string folded;
  for (std::size_t line = 0; line < equs.records.size(); ++line) {
    bool names_symbol = false;
    fold_case_into(folded, equs.records[line]->operand1);
    for_each_word(folded, [&](std::string_view word) {
      names_symbol = names_symbol || nodes.find(word).has_value();
    });
    if (names_symbol) unresolved.push_back(line);
  }
  if (unresolved.empty()) return 0;
  // The names each symbol's values name as written.
  std::vector<std::vector<std::size_t>> named(names.size());
  for (std::size_t line = 0; line < equs.values.size(); ++line) {
    auto& edges = named[nodes.node_of_line(line)];
    const std::string value = fold_case(equs.values[line]);
    // "R equ r" replaces a name by itself and changes no text: no cycle.
    if (nodes.find(value) == nodes.node_of_line(line)) continue;
    for_each_word(value, [&](std::string_view word) {
      const auto node = nodes.find(word);
      if (node && std::find(edges.begin(), edges.end(), *node) == edges.end()) edges.push_back(*node);
    });
  }
  DefinitionOrder order(names.size());
  order.settle([&](std::size_t node) {
    for (const std::size_t next : named[node]) order.value_of(next);
    return DefinitionOrder::Attempt{0, {}};
  });
  std::unordered_set<std::int32_t> reported;
  for (const Diagnostic& diagnostic : diagnostics.items) reported.insert(diagnostic.line);
  int errors = 0;
  for (const std::size_t line : unresolved) {
    const std::size_t node = nodes.node_of_line(line);
    if (order.settled()[node].state != SettledDefinition::State::Circular) continue;
    if (!reported.insert(equs.records[line]->line_no).second) continue;
    std::string text(kCircularDefinition);
    text += order.cycle_text(node, [&](std::size_t name) { return names[name]; });
    diagnostics.report(equs.records[line]->line_no, text);
    ++errors;
  }
  if (errors > 0) {
    std::stable_sort(diagnostics.items.begin(), diagnostics.items.end(),
                     [](const Diagnostic& a, const Diagnostic& b) { return a.line < b.line; });
  }
  return errors;
}

}  // namespace zorvin::asm48
