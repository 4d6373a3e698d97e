#include "asm/ext/symbol_table.h"

#include <algorithm>

#include "asm/ext/folded_name.h"

namespace zorvin::asm48::ext {

void SymbolTable::start_pass(int pass) {
  pass_ = pass;
  early_uses_.clear();
}

const SymbolTable::Entry* SymbolTable::find(std::string_view key, std::uint64_t hash) const {
  const std::size_t mask = slots_.size() - 1;
  for (std::size_t slot = hash & mask; slots_[slot] != 0; slot = (slot + 1) & mask) {
    const Entry& entry = entries_[slots_[slot] - 1];
    if (entry.hash == hash && entry.key == key) return &entry;
  }
  return nullptr;
}

void SymbolTable::index(std::size_t entry) {
  if (2 * entries_.size() > slots_.size()) {
    // Grown to twice the size, every entry placed anew.
    slots_.assign(2 * slots_.size(), 0);
    for (std::size_t i = 0; i + 1 < entries_.size(); ++i) index(i);
  }
  const std::size_t mask = slots_.size() - 1;
  std::size_t slot = entries_[entry].hash & mask;
  while (slots_[slot] != 0) slot = (slot + 1) & mask;
  slots_[slot] = static_cast<std::uint32_t>(entry + 1);
}

bool SymbolTable::define(std::string_view name, SymbolKind kind, std::int32_t value, std::string_view register_name) {
  const FoldedName key(name);
  const std::uint64_t hash = key.hash();
  Entry* const found = find(key, hash);
  if (!found) {
    Entry& entry = entries_.emplace_back();  // filled in place: no entry is built aside and moved
    entry.key = key.view();
    entry.hash = hash;
    entry.symbol.name = name;
    entry.symbol.kind = kind;
    entry.symbol.value = value;
    entry.symbol.register_name = register_name;
    entry.symbol.pass = pass_;
    index(entries_.size() - 1);
    return true;
  }
  Symbol& symbol = found->symbol;
  if (symbol.pass == pass_ && !(symbol.kind == SymbolKind::Set && kind == SymbolKind::Set)) return false;
  symbol.kind = kind;
  symbol.value = value;
  symbol.register_name.assign(register_name);
  symbol.pass = pass_;
  symbol.provisional = false;
  return true;
}

std::optional<std::int32_t> SymbolTable::value_of(std::string_view name) {
  const FoldedName key(name);
  const Entry* const found = find(key, key.hash());
  if (found && found->symbol.kind != SymbolKind::Register) {
    const bool this_pass = found->symbol.pass == pass_;
    if (found->symbol.kind == SymbolKind::Set) {
      ++set_reads_;
      current_set_reads_ += this_pass && !found->symbol.provisional ? 1 : 0;
    }
    if (this_pass && !found->symbol.provisional) return found->symbol.value;
    early_uses_.push_back({found->key, found->symbol.value});
    return found->symbol.value;
  }
  if (!found) early_uses_.push_back({std::string(key.view()), std::nullopt});
  return std::nullopt;
}

void SymbolTable::mark_provisional(std::string_view name) {
  const FoldedName key(name);
  if (Entry* const found = find(key, key.hash()); found && found->symbol.pass == pass_) found->symbol.provisional = true;
}

void SymbolTable::settle(std::string_view name, std::int32_t value) {
  const FoldedName key(name);
  if (Entry* const found = find(key, key.hash()); found && found->symbol.pass == pass_) {
    found->symbol.value = value;
    found->symbol.provisional = false;
  }
}

void SymbolTable::end_provisional() {
  for (Entry& entry : entries_) entry.symbol.provisional = false;
}

std::optional<std::int32_t> SymbolTable::value_in_pass(std::string_view name) const {
  const FoldedName key(name);
  const Entry* const found = find(key, key.hash());
  if (!found || found->symbol.pass != pass_ || found->symbol.kind == SymbolKind::Register) return std::nullopt;
  return found->symbol.value;
}

std::vector<std::optional<std::int32_t>> SymbolTable::take_early_uses(std::string_view name, std::size_t from,
                                                                      std::size_t& position) {
  const FoldedName key(name);
  std::vector<std::optional<std::int32_t>> seen;
  std::size_t kept = std::min(from, early_uses_.size());
  const std::size_t end = position;
  for (std::size_t i = kept; i < early_uses_.size(); ++i) {
    if (early_uses_[i].key == key.view()) {
      seen.push_back(early_uses_[i].seen);
      if (i < end) --position;
      continue;
    }
    if (kept != i) early_uses_[kept] = std::move(early_uses_[i]);
    ++kept;
  }
  early_uses_.resize(kept);
  return seen;
}

bool SymbolTable::defined_so_far(std::string_view name) const {
  const FoldedName key(name);
  const Entry* const found = find(key, key.hash());
  return found && found->symbol.pass == pass_;
}

const Symbol* SymbolTable::register_alias(std::string_view name) const {
  const FoldedName key(name);
  const Entry* const found = find(key, key.hash());
  if (!found || found->symbol.kind != SymbolKind::Register || found->symbol.pass != pass_) return nullptr;
  return &found->symbol;
}

bool SymbolTable::pass_was_consistent() const {
  for (const EarlyUse& use : early_uses_) {
    const FoldedName key(use.key);  // folding a folded key leaves it as it is
    const Entry* const found = find(key, key.hash());
    const bool defined_now = found && found->symbol.pass == pass_;
    if (!defined_now) {
      if (use.seen) return false;  // a name of the previous pass vanished
      continue;                    // never defined: an error, and stays one
    }
    if (!use.seen || *use.seen != found->symbol.value) return false;
  }
  return true;
}

std::vector<std::string> SymbolTable::unsettled_names(std::size_t most) const {
  std::vector<std::string> names;
  for (const EarlyUse& use : early_uses_) {
    if (names.size() >= most) break;
    const FoldedName key(use.key);
    const Entry* const found = find(key, key.hash());
    const bool defined_now = found && found->symbol.pass == pass_;
    const bool same = defined_now ? use.seen && *use.seen == found->symbol.value : !use.seen;
    if (same) continue;
    const std::string name = found ? found->symbol.name : use.key;
    if (std::find(names.begin(), names.end(), name) == names.end()) names.push_back(name);
  }
  return names;
}

std::vector<SymbolEntry> SymbolTable::entries() const {
  std::vector<std::pair<std::string, const Symbol*>> sorted;
  for (const Entry& entry : entries_)
    if (entry.symbol.pass == pass_) sorted.emplace_back(entry.key, &entry.symbol);
  std::sort(sorted.begin(), sorted.end());
  std::vector<SymbolEntry> out;
  out.reserve(sorted.size());
  for (const auto& [key, symbol] : sorted)
    out.push_back({symbol->name, symbol->kind, symbol->value, symbol->register_name});
  return out;
}

}  // namespace zorvin::asm48::ext
