// The 8048 instruction table (216 rows and a terminator row) and its lookup.
// jmp, call and the directives are handled by the encoder, not here.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

namespace zorvin::asm48 {

inline constexpr std::string_view kTerminator = "$$$$;";
inline constexpr std::string_view kDataPlaceholder = "#§data§";
inline constexpr std::string_view kAddressPlaceholder = "§adresse§";

// Number of rows including the terminator row (the last one).
std::size_t table_size();

// Row text by 0-based position; positions past the end read as the terminator.
std::string_view table_row(std::size_t row);

// Field k (1-based) of a row; a field beyond the last ";" reads as empty.
std::string_view row_field(std::string_view row, int k);

// A row split into its seven fields once, so that trying rows costs no
// re-parsing; field(k) equals row_field(text, k).
struct TableRow {
  std::string_view text;
  std::string_view fields[7];
  std::uint8_t opcode = 0;  // field 6 read as a byte
  std::string_view field(int k) const { return (k >= 1 && k <= 7) ? fields[k - 1] : std::string_view{}; }
};

// Split row by 0-based position; positions past the end read as the terminator.
const TableRow& split_row(std::size_t row);

// The rows of a mnemonic: from its first row up to (not including) the next
// row with another mnemonic.
struct RowRange {
  std::size_t first = 0;
  std::size_t end = 0;
};
std::optional<RowRange> rows_of(std::string_view folded_mnemonic);

// First row whose mnemonic equals the already case-folded mnemonic, or none
// when the lookup would run into the terminator row.
std::optional<std::size_t> first_row_of(std::string_view folded_mnemonic);

}  // namespace zorvin::asm48
