// Names of the extended dialect across the passes of one run: labels, equ
// and set symbols and register aliases, compared without regard to case.
// A name used before its definition gets the value of the previous pass; a
// definition made of such names is provisional until the pass settles it
// at its end, and reads of it count as early too. The run repeats until
// every early use saw the value the name ends with.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zorvin::asm48::ext {

enum class SymbolKind { Label, Equ, Set, Register };

struct Symbol {
  std::string name;            // as first written
  SymbolKind kind = SymbolKind::Label;
  std::int32_t value = 0;
  std::string register_name;   // Register: "r3", "a", ...
  int pass = 0;                // pass of the latest definition
  // Its value in this pass rests on names defined further on: it is
  // settled at the end of the pass, and each read of it counts as early.
  bool provisional = false;
};

struct SymbolEntry {
  std::string name;
  SymbolKind kind;
  std::int32_t value;
  std::string register_name;
};

class SymbolTable {
 public:
  SymbolTable() { entries_.reserve(256); }  // a program's names without moving them

  void start_pass(int pass);

  // Defines the name in this pass; false when it was already defined in this
  // pass by anything but set.
  bool define(std::string_view name, SymbolKind kind, std::int32_t value, std::string_view register_name = {});

  // Value for an expression. Names defined earlier in this pass give their
  // value now; others the value of the previous pass, noted for the check.
  std::optional<std::int32_t> value_of(std::string_view name);

  // A definition whose value will be settled at the end of the pass.
  void mark_provisional(std::string_view name);
  // Its value once settled; it is no longer provisional.
  void settle(std::string_view name, std::int32_t value);
  // Every definition of the pass settled: none is provisional any more.
  void end_provisional();

  // The value of a name defined in this pass, without noting a use, or none.
  std::optional<std::int32_t> value_in_pass(std::string_view name) const;

  // Reads of set symbols defined earlier in this pass, provisional ones
  // aside: their value then is not the one at the end.
  std::size_t current_set_reads() const { return current_set_reads_; }

  // True when the name was defined earlier in this pass (ifdef).
  bool defined_so_far(std::string_view name) const;

  // Register alias of the name, or none. Valid until the next definition.
  const Symbol* register_alias(std::string_view name) const;

  // Early uses so far in this pass; the ones from a position on can be
  // forgotten when their statement will be encoded again at the pass's end.
  std::size_t early_use_count() const { return early_uses_.size(); }
  void forget_early_uses_from(std::size_t count) { early_uses_.resize(count); }
  // The values early uses of a name from a position on saw, taken out: a
  // set symbol defined again read them from its earlier definition.
  // `position` (a count of early uses) is moved back by those taken before it.
  std::vector<std::optional<std::int32_t>> take_early_uses(std::string_view name, std::size_t from,
                                                           std::size_t& position);

  // Reads of set symbols so far: their value may change before the end.
  std::size_t set_reads() const { return set_reads_; }

  // True when every early use saw the value the name has at the end of the
  // pass, and nothing used as undefined was defined later.
  bool pass_was_consistent() const;

  // Names whose early uses saw another value than they ended with (as
  // first written, each once, at most `most`).
  std::vector<std::string> unsettled_names(std::size_t most) const;

  // Every symbol, sorted by name (case-insensitive).
  std::vector<SymbolEntry> entries() const;

 private:
  struct EarlyUse {
    std::string key;
    std::optional<std::int32_t> seen;
  };
  struct Entry {
    std::string key;  // the name folded
    std::uint64_t hash = 0;
    Symbol symbol;
  };

  // The entry of a folded name with its hash, or none.
  const Entry* find(std::string_view key, std::uint64_t hash) const;
  Entry* find(std::string_view key, std::uint64_t hash) {
    return const_cast<Entry*>(static_cast<const SymbolTable*>(this)->find(key, hash));
  }
  void index(std::size_t entry);

  // Entries in the order they were first defined, found through an
  // open-addressed index of entry numbers plus one (0: a free slot) that is
  // kept at most half full.
  std::vector<Entry> entries_;
  std::vector<std::uint32_t> slots_ = std::vector<std::uint32_t>(512);
  std::vector<EarlyUse> early_uses_;
  int pass_ = 0;
  std::size_t set_reads_ = 0;
  std::size_t current_set_reads_ = 0;
};

}  // namespace zorvin::asm48::ext
