// The 8048 instruction table: one row per accepted mnemonic/operand
// combination, kept as the ";"-separated texts the encoder reads field by
// field, plus an index from mnemonic to its first row.
#include "asm/instruction_table.h"

#include <array>

#include "asm/statement.h"
#include "asm/table_hash.h"

namespace zorvin::asm48 {

namespace {

// Fields: mnemonic; operand 1; operand 2; operand count; length; opcode bits;
// second byte. Rows of one mnemonic are contiguous; order decides matching.
constexpr std::array<std::string_view, 217> kRows = {
    "add;a;r0;2;1;01101000;",
    "add;a;r1;2;1;01101001;",
    "add;a;r2;2;1;01101010;",
    "add;a;r3;2;1;01101011;",
    "add;a;r4;2;1;01101100;",
    "add;a;r5;2;1;01101101;",
    "add;a;r6;2;1;01101110;",
    "add;a;r7;2;1;01101111;",
    "add;a;@r0;2;1;01100000;",
    "add;a;@r1;2;1;01100001;",
    "add;a;#§data§;2;2;00000011;§data§",
    "addc;a;r0;2;1;01111000;",
    "addc;a;r1;2;1;01111001;",
    "addc;a;r2;2;1;01111010;",
    "addc;a;r3;2;1;01111011;",
    "addc;a;r4;2;1;01111100;",
    "addc;a;r5;2;1;01111101;",
    "addc;a;r6;2;1;01111110;",
    "addc;a;r7;2;1;01111111;",
    "addc;a;@r0;2;1;01110000;",
    "addc;a;@r1;2;1;01110001;",
    "addc;a;#§data§;2;2;00010011;§data§",
    "anl;a;r0;2;1;01011000;",
    "anl;a;r1;2;1;01011001;",
    "anl;a;r2;2;1;01011010;",
    "anl;a;r3;2;1;01011011;",
    "anl;a;r4;2;1;01011100;",
    "anl;a;r5;2;1;01011101;",
    "anl;a;r6;2;1;01011110;",
    "anl;a;r7;2;1;01011111;",
    "anl;a;@r0;2;1;01010000;",
    "anl;a;@r1;2;1;01010001;",
    "anl;a;#§data§;2;2;01010011;§data§",
    "anl;bus;#§data§;2;2;10011000;§data§",
    "anl;p1;#§data§;2;2;10011001;§data§",
    "anl;p2;#§data§;2;2;10011010;§data§",
    "anld;p4;a;2;1;10011100;",
    "anld;p5;a;2;1;10011101;",
    "anld;p6;a;2;1;10011110;",
    "anld;p7;a;2;1;10011111;",
    "clr;a;;1;1;00100111;",
    "clr;c;;1;1;10010111;",
    "clr;f1;;1;1;10100101;",
    "clr;f0;;1;1;10000101;",
    "cpl;a;;1;1;00110111;",
    "cpl;c;;1;1;10100111;",
    "cpl;f0;;1;1;10010101;",
    "cpl;f1;;1;1;10110101;",
    "da;a;;1;1;01010111;",
    "dec;a;;1;1;00000111;",
    "dec;r0;;1;1;11001000;",
    "dec;r1;;1;1;11001001;",
    "dec;r2;;1;1;11001010;",
    "dec;r3;;1;1;11001011;",
    "dec;r4;;1;1;11001100;",
    "dec;r5;;1;1;11001101;",
    "dec;r6;;1;1;11001110;",
    "dec;r7;;1;1;11001111;",
    "dis;i;;1;1;00010101;",
    "dis;tcnti;;1;1;00110101;",
    "en;i;;1;1;00000101;",
    "en;tcnti;;1;1;00100101;",
    "ent0;clk;;1;1;01110101;",
    "in;a;p0;2;1;00001000;",
    "in;a;p1;2;1;00001001;",
    "in;a;p2;2;1;00001010;",
    "inc;a;;1;1;00010111;",
    "inc;r0;;1;1;00011000;",
    "inc;r1;;1;1;00011001;",
    "inc;r2;;1;1;00011010;",
    "inc;r3;;1;1;00011011;",
    "inc;r4;;1;1;00011100;",
    "inc;r5;;1;1;00011101;",
    "inc;r6;;1;1;00011110;",
    "inc;r7;;1;1;00011111;",
    "inc;@r0;;1;1;00010000;",
    "inc;@r1;;1;1;00010001;",
    "ins;a;bus;2;1;00001000;",
    "jmpp;@a;;1;1;10110011;",
    "mov;a;#§data§;2;2;00100011;§data§",
    "mov;a;psw;2;1;11000111;",
    "mov;a;r0;2;1;11111000;",
    "mov;a;r1;2;1;11111001;",
    "mov;a;r2;2;1;11111010;",
    "mov;a;r3;2;1;11111011;",
    "mov;a;r4;2;1;11111100;",
    "mov;a;r5;2;1;11111101;",
    "mov;a;r6;2;1;11111110;",
    "mov;a;r7;2;1;11111111;",
    "mov;a;@r0;2;1;11110000;",
    "mov;a;@r1;2;1;11110001;",
    "mov;a;t;2;1;01000010;",
    "mov;psw;a;2;1;11010111;",
    "mov;r0;a;2;1;10101000;",
    "mov;r1;a;2;1;10101001;",
    "mov;r2;a;2;1;10101010;",
    "mov;r3;a;2;1;10101011;",
    "mov;r4;a;2;1;10101100;",
    "mov;r5;a;2;1;10101101;",
    "mov;r6;a;2;1;10101110;",
    "mov;r7;a;2;1;10101111;",
    "mov;r0;#§data§;2;2;10111000;§data§",
    "mov;r1;#§data§;2;2;10111001;§data§",
    "mov;r2;#§data§;2;2;10111010;§data§",
    "mov;r3;#§data§;2;2;10111011;§data§",
    "mov;r4;#§data§;2;2;10111100;§data§",
    "mov;r5;#§data§;2;2;10111101;§data§",
    "mov;r6;#§data§;2;2;10111110;§data§",
    "mov;r7;#§data§;2;2;10111111;§data§",
    "mov;@r0;a;2;1;10100000;",
    "mov;@r1;a;2;1;10100001;",
    "mov;@r0;#§data§;2;2;10110000;§data§",
    "mov;@r1;#§data§;2;2;10110001;§data§",
    "mov;t;a;2;1;01100010;",
    "movd;a;p4;2;1;00001100;",
    "movd;a;p5;2;1;00001101;",
    "movd;a;p6;2;1;00001110;",
    "movd;a;p7;2;1;00001111;",
    "movd;p4;a;2;1;00111100;",
    "movd;p5;a;2;1;00111101;",
    "movd;p6;a;2;1;00111110;",
    "movd;p7;a;2;1;00111111;",
    "movp;a;@a;2;1;10100011;",
    "movp3;a;@a;2;1;11100011;",
    "movx;a;@r0;2;1;10000000;",
    "movx;a;@r1;2;1;10000001;",
    "movx;@r0;a;2;1;10010000;",
    "movx;@r1;a;2;1;10010001;",
    "nop;;;0;1;00000000;",
    "orl;a;r0;2;1;01001000;",
    "orl;a;r1;2;1;01001001;",
    "orl;a;r2;2;1;01001010;",
    "orl;a;r3;2;1;01001011;",
    "orl;a;r4;2;1;01001100;",
    "orl;a;r5;2;1;01001101;",
    "orl;a;r6;2;1;01001110;",
    "orl;a;r7;2;1;01001111;",
    "orl;a;@r0;2;1;01000000;",
    "orl;a;@r1;2;1;01000001;",
    "orl;a;#§data§;2;2;01000011;§data§",
    "orl;bus;#§data§;2;2;10001000;§data§",
    "orl;p1;#§data§;2;2;10001001;§data§",
    "orl;p2;#§data§;2;2;10001010;§data§",
    "orld;p4;a;2;1;10001100;",
    "orld;p5;a;2;1;10001101;",
    "orld;p6;a;2;1;10001110;",
    "orld;p7;a;2;1;10001111;",
    "outl;p0;a;2;1;10010000;",
    "outl;bus;a;2;1;00000010;",
    "outl;p1;a;2;1;00111001;",
    "outl;p2;a;2;1;00111010;",
    "ret;;;0;1;10000011;",
    "retr;;;0;1;10010011;",
    "rl;a;;1;1;11100111;",
    "rlc;a;;1;1;11110111;",
    "rr;a;;1;1;01110111;",
    "rrc;a;;1;1;01100111;",
    "sel;mb0;;1;1;11100101;",
    "sel;mb1;;1;1;11110101;",
    "sel;rb0;;1;1;11000101;",
    "sel;rb1;;1;1;11010101;",
    "stop;tcnt;;1;1;01100101;",
    "strt;cnt;;1;1;01000101;",
    "strt;t;;1;1;01010101;",
    "swap;a;;1;1;01000111;",
    "xch;a;r0;2;1;00101000;",
    "xch;a;r1;2;1;00101001;",
    "xch;a;r2;2;1;00101010;",
    "xch;a;r3;2;1;00101011;",
    "xch;a;r4;2;1;00101100;",
    "xch;a;r5;2;1;00101101;",
    "xch;a;r6;2;1;00101110;",
    "xch;a;r7;2;1;00101111;",
    "xch;a;@r0;2;1;00100000;",
    "xch;a;@r1;2;1;00100001;",
    "xchd;a;@r0;2;1;00110000;",
    "xchd;a;@r1;2;1;00110001;",
    "xrl;a;r0;2;1;11011000;",
    "xrl;a;r1;2;1;11011001;",
    "xrl;a;r2;2;1;11011010;",
    "xrl;a;r3;2;1;11011011;",
    "xrl;a;r4;2;1;11011100;",
    "xrl;a;r5;2;1;11011101;",
    "xrl;a;r6;2;1;11011110;",
    "xrl;a;r7;2;1;11011111;",
    "xrl;a;@r0;2;1;11010000;",
    "xrl;a;@r1;2;1;11010001;",
    "xrl;a;#§data§;2;2;11010011;§data§",
    "djnz;r0;§adresse§;2;2;11101000;§adresse§",
    "djnz;r1;§adresse§;2;2;11101001;§adresse§",
    "djnz;r2;§adresse§;2;2;11101010;§adresse§",
    "djnz;r3;§adresse§;2;2;11101011;§adresse§",
    "djnz;r4;§adresse§;2;2;11101100;§adresse§",
    "djnz;r5;§adresse§;2;2;11101101;§adresse§",
    "djnz;r6;§adresse§;2;2;11101110;§adresse§",
    "djnz;r7;§adresse§;2;2;11101111;§adresse§",
    "jb0;§adresse§;;1;2;00010010;§adresse§",
    "jb1;§adresse§;;1;2;00110010;§adresse§",
    "jb2;§adresse§;;1;2;01010010;§adresse§",
    "jb3;§adresse§;;1;2;01110010;§adresse§",
    "jb4;§adresse§;;1;2;10010010;§adresse§",
    "jb5;§adresse§;;1;2;10110010;§adresse§",
    "jb6;§adresse§;;1;2;11010010;§adresse§",
    "jb7;§adresse§;;1;2;11110010;§adresse§",
    "jc;§adresse§;;1;2;11110110;§adresse§",
    "jf0;§adresse§;;1;2;10110110;§adresse§",
    "jf1;§adresse§;;1;2;01110110;§adresse§",
    "jnc;§adresse§;;1;2;11100110;§adresse§",
    "jni;§adresse§;;1;2;10000110;§adresse§",
    "jnt0;§adresse§;;1;2;00100110;§adresse§",
    "jnt1;§adresse§;;1;2;01000110;§adresse§",
    "jnz;§adresse§;;1;2;10010110;§adresse§",
    "jtf;§adresse§;;1;2;00010110;§adresse§",
    "jt0;§adresse§;;1;2;00110110;§adresse§",
    "jt1;§adresse§;;1;2;01010110;§adresse§",
    "jz;§adresse§;;1;2;11000110;§adresse§",
    "$$$$;",
};

constexpr std::string_view field_of(std::string_view row, int k) {
  for (int field = 1; field < k; ++field) {
    const auto semicolon = row.find(';');
    if (semicolon == std::string_view::npos) return {};
    row.remove_prefix(semicolon + 1);
  }
  return row.substr(0, row.find(';'));
}

constexpr std::uint8_t byte_of_bits(std::string_view bits) {
  unsigned value = 0;
  for (char c : bits) value = ((value << 1) | (c == '1' ? 1u : 0u)) & 0xFFu;
  return static_cast<std::uint8_t>(value);
}

// A table operand as the Operand it matches; anything but a register word
// stops the build here.
constexpr std::uint16_t shape_of_field(std::string_view field) {
  if (field.empty()) return Operand::none().shape();
  if (field == kDataPlaceholder) return Operand::immediate(0).shape();
  if (field == kAddressPlaceholder) return Operand::target(0).shape();
  const bool indirect = field.front() == '@';
  const auto reg = register_of(indirect ? field.substr(1) : field);
  if (!reg) throw "table operand that is no register";
  return indirect ? Operand::indirect(*reg).shape() : Operand::of_register(*reg).shape();
}

// All rows in one run of characters, for the split rows to point into by
// position.
constexpr std::size_t kTextSize = [] {
  std::size_t size = 0;
  for (const std::string_view row : kRows) size += row.size();
  return size;
}();

constexpr std::array<char, kTextSize> kText = [] {
  std::array<char, kTextSize> text{};
  std::size_t at = 0;
  for (const std::string_view row : kRows)
    for (const char c : row) text[at++] = c;
  return text;
}();
static_assert(kTextSize <= UINT16_MAX, "row positions are 16 bits");

// Rows split at compile time: a run pays nothing to set up the table.
constexpr std::array<TableRow, kRows.size()> split_all_rows() {
  std::array<TableRow, kRows.size()> rows{};
  std::size_t at = 0;
  for (std::size_t r = 0; r < kRows.size(); ++r) {
    const std::string_view text = kRows[r];
    rows[r].text_at = static_cast<std::uint16_t>(at);
    rows[r].text_size = static_cast<std::uint8_t>(text.size());
    rows[r].opcode = byte_of_bits(field_of(text, 6));
    const std::string_view count = field_of(text, 4);
    rows[r].operand_count = static_cast<std::uint8_t>(count.empty() ? 0 : count.front() - '0');
    rows[r].two_bytes = field_of(text, 5) == "2";
    for (int operand = 1; operand <= 2; ++operand) {
      const std::string_view field = field_of(text, operand + 1);
      if (field == kAddressPlaceholder) rows[r].address_operand = static_cast<std::uint8_t>(operand);
      rows[r].operand_shapes[operand - 1] = shape_of_field(field);
    }
    at += text.size();
  }
  return rows;
}

constexpr auto kSplitRows = split_all_rows();

// Mnemonic -> its rows: the first row and the end of the run of rows that
// follow with the same mnemonic. An open-addressing hash table filled at
// compile time, at most half full, so that a lookup mostly probes once.
struct MnemonicSlot {
  std::uint64_t key = 0;  // 0: empty
  std::uint8_t first = 0;
  std::uint8_t end = 0;
};

constexpr int kSlotBits = 8;
constexpr std::size_t kSlots = std::size_t{1} << kSlotBits;
static_assert(kRows.size() <= UINT8_MAX, "row numbers are 8 bits");

constexpr auto kMnemonicSlots = [] {
  std::array<MnemonicSlot, kSlots> slots{};
  for (std::size_t r = 0; r + 1 < kRows.size();) {
    const std::string_view mnemonic = field_of(kRows[r], 1);
    std::size_t end = r;
    while (field_of(kRows[end], 1) == mnemonic) ++end;
    std::size_t slot = key_slot(text_key(mnemonic), kSlotBits);
    while (slots[slot].key != 0) slot = (slot + 1) % kSlots;
    slots[slot] = {text_key(mnemonic), static_cast<std::uint8_t>(r), static_cast<std::uint8_t>(end)};
    r = end;
  }
  return slots;
}();

}  // namespace

std::string_view row_field(std::string_view row, int k) { return field_of(row, k); }

std::size_t table_size() { return kRows.size(); }

std::string_view TableRow::text() const { return {kText.data() + text_at, text_size}; }

std::string_view table_row(std::size_t row) { return row < kRows.size() ? kSplitRows[row].text() : kTerminator; }

std::span<const TableRow> split_rows(RowRange rows) { return {kSplitRows.data() + rows.first, rows.end - rows.first}; }

std::optional<RowRange> rows_of(std::string_view folded_mnemonic) { return rows_of_key(text_key(folded_mnemonic)); }

std::optional<RowRange> rows_of_key(std::uint64_t key) {
  // Every mnemonic is a key of its own; a longer text has none.
  if (key == kLongTextKey) return std::nullopt;
  for (std::size_t slot = key_slot(key, kSlotBits); kMnemonicSlots[slot].key != 0; slot = (slot + 1) % kSlots) {
    const MnemonicSlot& found = kMnemonicSlots[slot];
    if (found.key == key) return RowRange{found.first, found.end};
  }
  return std::nullopt;
}

std::optional<std::size_t> first_row_of(std::string_view folded_mnemonic) {
  const auto rows = rows_of(folded_mnemonic);
  if (!rows) return std::nullopt;
  return rows->first;
}

}  // namespace zorvin::asm48
