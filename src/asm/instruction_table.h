// The 8048 instruction table (216 rows and a terminator row) and its lookup.
// jmp, call and the directives are handled by the encoder, not here.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
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

// A text of up to seven bytes packed with its length into one number, so
// that one compare tells mnemonics, operands and other short words apart;
// with fold_ascii, A-Z count as a-z. A longer text gets kLongTextKey, which
// no such word has; only the empty text has the key 0.
inline constexpr std::uint64_t kLongTextKey = UINT64_MAX;
constexpr std::uint64_t text_key(std::string_view text, bool fold_ascii = false) {
  if (text.size() > 7) return kLongTextKey;
  std::uint64_t key = 0;
  for (const char c : text)
    key = (key << 8) | static_cast<unsigned char>((fold_ascii && c >= 'A' && c <= 'Z') ? c + 32 : c);
  return (key << 8) | text.size();
}
constexpr std::uint64_t folded_key(std::string_view text) { return text_key(text, true); }
// text_key of a word written in the code, worked out by the compiler: a
// compare with it costs no call at run time.
consteval std::uint64_t word_key(std::string_view word) { return text_key(word); }

// A row read once at compile time into what the encoder asks of it, so
// that trying rows costs no re-parsing. A position instead of a pointer for
// the text: the table is plain read-only data that needs no relocation when
// the program is loaded.
struct TableRow {
  std::uint16_t text_at = 0;           // where the row starts in the table's text
  std::uint8_t text_size = 0;
  std::uint8_t opcode = 0;             // field 6 read as a byte
  std::uint8_t operand_count = 0;      // field 4 read as a number
  bool two_bytes = false;              // field 5 is "2"
  std::uint8_t address_operand = 0;    // 1 or 2: that operand is kAddressPlaceholder
  std::uint16_t operand_shapes[2] = {};  // fields 2 and 3 as an Operand's shape() (asm/statement.h)
  std::string_view text() const;
};

// The rows of a mnemonic: from its first row up to (not including) the next
// row with another mnemonic.
struct RowRange {
  std::size_t first = 0;
  std::size_t end = 0;
};
std::optional<RowRange> rows_of(std::string_view folded_mnemonic);
// The same by the mnemonic's text_key.
std::optional<RowRange> rows_of_key(std::uint64_t key);

// The split rows of a range, to be tried one after the other.
std::span<const TableRow> split_rows(RowRange rows);

// First row whose mnemonic equals the already case-folded mnemonic, or none
// when the lookup would run into the terminator row.
std::optional<std::size_t> first_row_of(std::string_view folded_mnemonic);

}  // namespace zorvin::asm48
