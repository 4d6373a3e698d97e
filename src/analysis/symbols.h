// The symbols of an assembled source as the "Symbole" pane lists them:
// labels, equates and macros, each with its value and the line that
// defines it, and the filter the user types.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "asm/source_listing.h"

namespace zorvin::analysis {

enum class SymbolKind : std::uint8_t { Label, Equate, Macro };

struct SymbolEntry {
  std::string name;
  SymbolKind kind = SymbolKind::Label;
  std::string value;       // as the listing shows it; empty for a macro
  std::int32_t line = 0;   // defining line of the source, 0 when not in it
};

// From a run's listing (plain or extended dialect): its symbols, with the
// line where each stands at the start, and the macros the source defines
// ("name macro ..."). Sorted by name, without regard to case.
std::vector<SymbolEntry> listed_symbols(const asm48::SourceListing& listing);

// The entries whose name contains `filter` (without regard to case).
std::vector<SymbolEntry> filter_symbols(const std::vector<SymbolEntry>& symbols, std::string_view filter);

// "ZAHL        Konstante  12h    Zeile 2": one row of the pane.
std::string symbol_row(const SymbolEntry& symbol);

}  // namespace zorvin::analysis
