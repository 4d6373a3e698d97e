#include "asm/ext/symbol_table.h"

#include <algorithm>

#include "asm/ext/folded_name.h"

namespace zorvin::asm48::ext {

void SymbolTable::start_pass(int pass) {
  pass_ = pass;
  early_uses_.clear();
}

bool SymbolTable::define(std::string_view name, SymbolKind kind, std::int32_t value, std::string_view register_name) {
  const FoldedName key(name);
  const auto it = symbols_.find(key.view());
  if (it == symbols_.end()) {
    symbols_.emplace(std::string(key.view()),
                     Symbol{std::string(name), kind, value, std::string(register_name), pass_});
    return true;
  }
  Symbol& symbol = it->second;
  if (symbol.pass == pass_ && !(symbol.kind == SymbolKind::Set && kind == SymbolKind::Set)) return false;
  symbol.kind = kind;
  symbol.value = value;
  symbol.register_name.assign(register_name);
  symbol.pass = pass_;
  return true;
}

std::optional<std::int32_t> SymbolTable::value_of(std::string_view name) {
  const FoldedName key(name);
  const auto it = symbols_.find(key.view());
  if (it != symbols_.end() && it->second.kind != SymbolKind::Register) {
    if (it->second.kind == SymbolKind::Set) ++set_reads_;
    if (it->second.pass == pass_) return it->second.value;
    early_uses_.push_back({it->first, it->second.value});
    return it->second.value;
  }
  if (it == symbols_.end()) early_uses_.push_back({std::string(key.view()), std::nullopt});
  return std::nullopt;
}

const Symbol* SymbolTable::register_alias(std::string_view name) const {
  const FoldedName key(name);
  const auto it = symbols_.find(key.view());
  if (it == symbols_.end() || it->second.kind != SymbolKind::Register || it->second.pass != pass_) return nullptr;
  return &it->second;
}

bool SymbolTable::pass_was_consistent() const {
  for (const EarlyUse& use : early_uses_) {
    const auto it = symbols_.find(use.key);
    const bool defined_now = it != symbols_.end() && it->second.pass == pass_;
    if (!defined_now) {
      if (use.seen) return false;  // a name of the previous pass vanished
      continue;                    // never defined: an error, and stays one
    }
    if (!use.seen || *use.seen != it->second.value) return false;
  }
  return true;
}

std::vector<SymbolEntry> SymbolTable::entries() const {
  std::vector<std::pair<std::string, const Symbol*>> sorted;
  for (const auto& [key, symbol] : symbols_)
    if (symbol.pass == pass_) sorted.emplace_back(key, &symbol);
  std::sort(sorted.begin(), sorted.end());
  std::vector<SymbolEntry> out;
  out.reserve(sorted.size());
  for (const auto& [key, symbol] : sorted)
    out.push_back({symbol->name, symbol->kind, symbol->value, symbol->register_name});
  return out;
}

}  // namespace zorvin::asm48::ext
