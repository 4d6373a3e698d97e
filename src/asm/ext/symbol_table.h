// Names of the extended dialect across the passes of one run: labels, equ
// and set symbols and register aliases, compared without regard to case.
// A name used before its definition gets the value of the previous pass;
// the run repeats until every such use saw the value the name ends with.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace zorvin::asm48::ext {

enum class SymbolKind { Label, Equ, Set, Register };

struct Symbol {
  std::string name;            // as first written
  SymbolKind kind = SymbolKind::Label;
  std::int32_t value = 0;
  std::string register_name;   // Register: "r3", "a", ...
  int pass = 0;                // pass of the latest definition
};

struct SymbolEntry {
  std::string name;
  SymbolKind kind;
  std::int32_t value;
  std::string register_name;
};

class SymbolTable {
 public:
  SymbolTable() { symbols_.reserve(256); }  // a program's names without growing the table

  void start_pass(int pass);

  // Defines the name in this pass; false when it was already defined in this
  // pass by anything but set.
  bool define(std::string_view name, SymbolKind kind, std::int32_t value, std::string_view register_name = {});

  // Value for an expression. Names defined earlier in this pass give their
  // value now; others the value of the previous pass, noted for the check.
  std::optional<std::int32_t> value_of(std::string_view name);

  // Register alias of the name, or none.
  const Symbol* register_alias(std::string_view name) const;

  // Early uses so far in this pass; the ones from a position on can be
  // forgotten when their statement will be encoded again at the pass's end.
  std::size_t early_use_count() const { return early_uses_.size(); }
  void forget_early_uses_from(std::size_t count) { early_uses_.resize(count); }

  // Reads of set symbols so far: their value may change before the end.
  std::size_t set_reads() const { return set_reads_; }

  // True when every early use saw the value the name has at the end of the
  // pass, and nothing used as undefined was defined later.
  bool pass_was_consistent() const;

  // Every symbol, sorted by name (case-insensitive).
  std::vector<SymbolEntry> entries() const;

 private:
  struct EarlyUse {
    std::string key;
    std::optional<std::int32_t> seen;
  };
  // Looked up by folded views, without building a key text each time.
  struct NameHash {
    using is_transparent = void;
    // FNV-1a: names are short, and for them this is several times cheaper
    // than the library's hash of a text.
    std::size_t operator()(std::string_view name) const {
      std::uint64_t h = 0xCBF29CE484222325u;
      for (const char c : name) h = (h ^ static_cast<unsigned char>(c)) * 0x100000001B3u;
      return static_cast<std::size_t>(h);
    }
  };
  std::unordered_map<std::string, Symbol, NameHash, std::equal_to<>> symbols_;
  std::vector<EarlyUse> early_uses_;
  int pass_ = 0;
  std::size_t set_reads_ = 0;
};

}  // namespace zorvin::asm48::ext
